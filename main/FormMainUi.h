#pragma once

#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSplitter;

class QTimer;
class QToolButton;
class QWidget;
class PictureView;
class RadioGroup;
class RichTextBox;

// The controls of the main window, each named (objectName) as its member, and their
// layout: the control group on top, the log under it, then the text box and, below a
// splitter, the picture group. The window class inherits them as its own members.
class FormMainUi
{
public:
    QMenuBar* MM = nullptr;
    QMenu* MenuFiles = nullptr;
    QMenu* MenuView = nullptr;
    QMenu* MenuControl = nullptr;
    QAction* FilesOpen = nullptr;
    QAction* FilesSave = nullptr;
    QAction* FilesSaveAs = nullptr;
    QAction* FilesNew = nullptr;
    QAction* FilesExit = nullptr;
    QAction* ViewControl = nullptr;
    QAction* ViewLog = nullptr;
    QAction* ViewImg = nullptr;
    QAction* ControlTTSSpeechSynthesis = nullptr;
    QAction* ControlTTSSpeechSynthesisPause = nullptr;
    QAction* ControlTTSSpeechSynthesisResume = nullptr;
    QAction* ControlTTSSpeechSynthesisToFile = nullptr;
    QAction* ControlTTSSpeechSynthesisStopToFile = nullptr;
    QAction* HelpMenu = nullptr;

    QGroupBox* GroupBoxControl = nullptr;
    QGroupBox* GroupBoxRu = nullptr;
    QLabel* LVoiceRu = nullptr;
    QComboBox* cbVoicesRu = nullptr;
    QLabel* LRateRu = nullptr;
    QSlider* TBRateRu = nullptr;
    QLabel* LVolumeRu = nullptr;
    QSlider* TBVolumeRu = nullptr;
    QProgressBar* PBVolumeRu = nullptr;
    QGroupBox* GroupBoxEng = nullptr;
    QLabel* LVoiceEng = nullptr;
    QComboBox* cbVoicesEng = nullptr;
    QLabel* LRateEng = nullptr;
    QSlider* TBRateEng = nullptr;
    QLabel* LVolumeEng = nullptr;
    QSlider* TBVolumeEng = nullptr;
    QProgressBar* PBVolumeEng = nullptr;
    QPushButton* ButtonStart = nullptr;
    QPushButton* BPause = nullptr;
    QPushButton* ButtonStop = nullptr;
    QPushButton* ButtonButtonToFile = nullptr;
    QPushButton* BStopToFile = nullptr;
    QPushButton* ButtonFont = nullptr;
    QPushButton* ButtonColor = nullptr;
    QPushButton* BProsTxt = nullptr;
    QCheckBox* CBoxIsXML = nullptr;
    QCheckBox* CBoxPlainText = nullptr;
    QCheckBox* CheckBoxImg = nullptr;
    QCheckBox* CheckBoxVariants = nullptr;
    RadioGroup* RGDigitSay = nullptr;
    QToolButton* SButtonGetText = nullptr;
    QPushButton* ButtonDirToSound = nullptr;
    QCheckBox* ChkBoxAutoStart = nullptr;

    QGroupBox* GroupBoxLog = nullptr;
    QPlainTextEdit* MLog = nullptr;
    QSplitter* Splitter1 = nullptr;
    QGroupBox* GroupBoxTxt = nullptr;
    RichTextBox* MText = nullptr;
    QGroupBox* GroupBoxImg = nullptr;
    QFrame* PanelImg = nullptr;
    PictureView* ImageV = nullptr;

    QTimer* TimerDirToSoundAndAvi = nullptr;

    void SetupUi(QMainWindow* window);

private:
    void SetupMenu(QMainWindow* window);
    QAction* AddAction(QMenu* menu, const char* name, const QString& caption, const QString& key = {});
    QGroupBox* SetupControlGroup(QWidget* parent);
    QWidget* SetupButtons(QWidget* parent);
    QGroupBox* SetupLogGroup(QWidget* parent);
    QSplitter* SetupTextAndPicture(QWidget* parent);
};
