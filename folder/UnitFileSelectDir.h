#pragma once

#include "folder/DirSettings.h"
#include "folder/VideoBatch.h"
#include "soundfile/SoundFileOptions.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Mp3Panel;
class SoundFileOptionsPanel;

// The folder-conversion dialog: which folder holds the text files, how the sound files are
// made and how the videos are made. Created once, it keeps what the user set; the video
// settings and the folder name are loaded from "opsDir.txt" at creation and written back
// at destruction. The folder run reads the results and several controls directly.
class TFormFileSelectDir : public QDialog
{
    Q_OBJECT

public:
    explicit TFormFileSelectDir(QWidget* parent = nullptr);

    // Enables the format list or the MP3 controls by the MP3 check box; run whenever the
    // dialog is shown, and by the unattended folder run.
    void Activate();
    // Takes the choices and closes the dialog; refuses silently (the dialog stays) with a
    // blank folder name or no stream format. Also run by the unattended folder run.
    void Accept();

    // The message of a settings file that could not be fully loaded at creation; empty when
    // it loaded (or did not exist). The program shows it.
    QString LoadError() const { return m_loadError; }
    // Writes "opsDir.txt"; throws VemoError naming the file when it cannot be written.
    void SaveSettings() const;
    DirSettings Settings() const;
    VideoOptions VideoSettings() const;

    // Results of the last closing; FolderName and SoundFile are set by an acceptance only.
    bool Accepted = false;
    QString FolderName;
    SoundFileOptions SoundFile; // its StreamFormatType() and EncoderConfig() are those accepted

    QLineEdit* EditNameFileDir;
    QCheckBox* CheckBoxBooks; // the books of the other formats besides "*.txt"
    QPushButton* ButtonSaveAs;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    SoundFileOptionsPanel* PanelSoundFile;
    // The controls of the sound-file options, in PanelSoundFile.
    QComboBox* CBStreamFormattype;
    QCheckBox* CBoxDivFile;
    QLineEdit* EditMaxSimvolInFragm;
    QCheckBox* CheckBoxMP3;
    Mp3Panel* PanelMp3;
    QLineEdit* Editffmpeg;
    QPushButton* ButtonFfmpeGetDir;
    QLineEdit* EditCover;
    QPushButton* ButtonGetCover;
    QLabel* LabelCMD;          // a click restores the default template
    QPushButton* ButtonCmdMp4; // puts the MP4 template with subtitles in its place
    QLineEdit* EditCmd;
    QGroupBox* RGroupCover;
    QCheckBox* CheckBoxAvi;
    // Pass over books already converted (sound files complete and newer than the text).
    // Chosen for each run: not kept in "opsDir.txt".
    QCheckBox* CheckBoxSkipExisting;
    QFileDialog* OpenDialogJpg;

    int CoverRule() const;
    void SetCoverRule(int rule); // -1 chooses no item

    void reject() override; // Cancel and the Escape key

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QLayout* CreateFolderRows();
    void CreateSoundFilePanel();
    QLayout* CreateVideoRows();
    QLayout* CreateButtonRow();
    void CreateCoverGroup();
    void DescribeControls();
    void ConnectHandlers();
    void LoadSettings();
    void ApplySettings(const DirSettings& settings);

    void ButtonOkClick();
    void ButtonSaveAsClick();
    void ButtonFfmpeGetDirClick();
    void ButtonGetCoverClick();
    void LabelCMDClick();
    void ButtonCmdMp4Click();

    QButtonGroup* m_coverButtons;
    QString m_settingsPath;
    QString m_loadError;
};
