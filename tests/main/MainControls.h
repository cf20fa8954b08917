#pragma once

#include "main/FormMain.h"
#include "main/PictureView.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"
#include "speech/SpeechVoice.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>

// The child of parent with that object name and kind, found as UI automation or a screen
// reader finds it. A child that is missing or of another kind ends the test at once.
template <class T> T* NamedChild(const QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("%s has no %s named %s", parent.metaObject()->className(), T::staticMetaObject.className(),
               name);
    return child;
}

// The main window's controls and its two voices, found by their names when made: tests
// reach them the way a user's tools do, not through the window's members.
struct MainControls
{
    explicit MainControls(const QObject& window) : window(window) {}

    const QObject& window;
    QMenuBar* const MM = NamedChild<QMenuBar>(window, "MM");
    QMenu* const MenuFiles = NamedChild<QMenu>(window, "MenuFiles");
    QMenu* const MenuView = NamedChild<QMenu>(window, "MenuView");
    QMenu* const MenuControl = NamedChild<QMenu>(window, "MenuControl");
    QAction* const FilesOpen = NamedChild<QAction>(window, "FilesOpen");
    QAction* const FilesSave = NamedChild<QAction>(window, "FilesSave");
    QAction* const FilesSaveAs = NamedChild<QAction>(window, "FilesSaveAs");
    QAction* const FilesNew = NamedChild<QAction>(window, "FilesNew");
    QAction* const FilesExit = NamedChild<QAction>(window, "FilesExit");
    QAction* const ViewControl = NamedChild<QAction>(window, "ViewControl");
    QAction* const ViewLog = NamedChild<QAction>(window, "ViewLog");
    QAction* const ViewImg = NamedChild<QAction>(window, "ViewImg");
    QAction* const ControlTTSSpeechSynthesis = NamedChild<QAction>(window, "ControlTTSSpeechSynthesis");
    QAction* const ControlTTSSpeechSynthesisPause =
        NamedChild<QAction>(window, "ControlTTSSpeechSynthesisPause");
    QAction* const ControlTTSSpeechSynthesisResume =
        NamedChild<QAction>(window, "ControlTTSSpeechSynthesisResume");
    QAction* const ControlTTSSpeechSynthesisToFile =
        NamedChild<QAction>(window, "ControlTTSSpeechSynthesisToFile");
    QAction* const ControlTTSSpeechSynthesisStopToFile =
        NamedChild<QAction>(window, "ControlTTSSpeechSynthesisStopToFile");
    QAction* const HelpMenu = NamedChild<QAction>(window, "HelpMenu");
    QGroupBox* const GroupBoxControl = NamedChild<QGroupBox>(window, "GroupBoxControl");
    QGroupBox* const GroupBoxRu = NamedChild<QGroupBox>(window, "GroupBoxRu");
    QLabel* const LVoiceRu = NamedChild<QLabel>(window, "LVoiceRu");
    QComboBox* const cbVoicesRu = NamedChild<QComboBox>(window, "cbVoicesRu");
    QLabel* const LRateRu = NamedChild<QLabel>(window, "LRateRu");
    QSlider* const TBRateRu = NamedChild<QSlider>(window, "TBRateRu");
    QLabel* const LVolumeRu = NamedChild<QLabel>(window, "LVolumeRu");
    QSlider* const TBVolumeRu = NamedChild<QSlider>(window, "TBVolumeRu");
    QProgressBar* const PBVolumeRu = NamedChild<QProgressBar>(window, "PBVolumeRu");
    QGroupBox* const GroupBoxEng = NamedChild<QGroupBox>(window, "GroupBoxEng");
    QLabel* const LVoiceEng = NamedChild<QLabel>(window, "LVoiceEng");
    QComboBox* const cbVoicesEng = NamedChild<QComboBox>(window, "cbVoicesEng");
    QLabel* const LRateEng = NamedChild<QLabel>(window, "LRateEng");
    QSlider* const TBRateEng = NamedChild<QSlider>(window, "TBRateEng");
    QLabel* const LVolumeEng = NamedChild<QLabel>(window, "LVolumeEng");
    QSlider* const TBVolumeEng = NamedChild<QSlider>(window, "TBVolumeEng");
    QProgressBar* const PBVolumeEng = NamedChild<QProgressBar>(window, "PBVolumeEng");
    QPushButton* const ButtonStart = NamedChild<QPushButton>(window, "ButtonStart");
    QPushButton* const BPause = NamedChild<QPushButton>(window, "BPause");
    QPushButton* const ButtonStop = NamedChild<QPushButton>(window, "ButtonStop");
    QPushButton* const ButtonButtonToFile = NamedChild<QPushButton>(window, "ButtonButtonToFile");
    QPushButton* const BStopToFile = NamedChild<QPushButton>(window, "BStopToFile");
    QPushButton* const ButtonFont = NamedChild<QPushButton>(window, "ButtonFont");
    QPushButton* const ButtonColor = NamedChild<QPushButton>(window, "ButtonColor");
    QPushButton* const BProsTxt = NamedChild<QPushButton>(window, "BProsTxt");
    QCheckBox* const CBoxIsXML = NamedChild<QCheckBox>(window, "CBoxIsXML");
    QCheckBox* const CBoxPlainText = NamedChild<QCheckBox>(window, "CBoxPlainText");
    QCheckBox* const CheckBoxImg = NamedChild<QCheckBox>(window, "CheckBoxImg");
    QCheckBox* const CheckBoxVariants = NamedChild<QCheckBox>(window, "CheckBoxVariants");
    RadioGroup* const RGDigitSay = NamedChild<RadioGroup>(window, "RGDigitSay");
    QToolButton* const SButtonGetText = NamedChild<QToolButton>(window, "SButtonGetText");
    QPushButton* const ButtonDirToSound = NamedChild<QPushButton>(window, "ButtonDirToSound");
    QCheckBox* const ChkBoxAutoStart = NamedChild<QCheckBox>(window, "ChkBoxAutoStart");
    QGroupBox* const GroupBoxLog = NamedChild<QGroupBox>(window, "GroupBoxLog");
    QPlainTextEdit* const MLog = NamedChild<QPlainTextEdit>(window, "MLog");
    QSplitter* const Splitter1 = NamedChild<QSplitter>(window, "Splitter1");
    QGroupBox* const GroupBoxTxt = NamedChild<QGroupBox>(window, "GroupBoxTxt");
    RichTextBox* const MText = NamedChild<RichTextBox>(window, "MText");
    QGroupBox* const GroupBoxImg = NamedChild<QGroupBox>(window, "GroupBoxImg");
    QFrame* const PanelImg = NamedChild<QFrame>(window, "PanelImg");
    PictureView* const ImageV = NamedChild<PictureView>(window, "ImageV");
    QTimer* const TimerDirToSoundAndAvi = NamedChild<QTimer>(window, "TimerDirToSoundAndAvi");
    SpeechVoice* const SpVoiceRu = NamedChild<SpeechVoice>(window, "SpVoiceRu");
    SpeechVoice* const SpVoiceEng = NamedChild<SpeechVoice>(window, "SpVoiceEng");
};
