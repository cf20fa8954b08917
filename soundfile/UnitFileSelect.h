#pragma once

#include "soundfile/EncoderConfig.h"

#include <QDialog>

class Mp3Panel;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;

// The sound-file dialog shown before the text is spoken into files: the WAV name and
// format, division into parts, and MP3 conversion with its encoder options. Created once
// and reused: every choice stays from one showing to the next. The caller reads the
// results after it closes, and CBoxDivFile, EditMaxSimvolInFragm and CheckBoxMP3 directly.
class TFormFileSelect : public QDialog
{
    Q_OBJECT

public:
    explicit TFormFileSelect(QWidget* parent = nullptr);

    // Results: set by OK (all four) or Cancel (Accepted only).
    bool Accepted = false;
    QString ChosenFileName;
    int StreamFormatType = 0;
    ::EncoderConfig EncoderConfig; // filled only when MP3 was chosen at OK

    QLineEdit* EditNameFile;
    QPushButton* ButtonSaveAs;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QComboBox* CBStreamFormattype;
    QCheckBox* CBoxDivFile;
    QLineEdit* EditMaxSimvolInFragm;
    QCheckBox* CheckBoxMP3;
    Mp3Panel* PanelMp3;
    QFileDialog* SaveDialogWav;

    void reject() override; // Cancel and the Escape key

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    QLayout* CreateNameRow();
    QLayout* CreateButtonRow();
    QLayout* CreateWavRows();
    void CreateSaveDialog();
    void ConnectHandlers();

    void FormActivate();
    void ButtonSaveAsClick();
    void ButtonOkClick();
    void ButtonCancelClick();
    void CheckBoxMP3Click();
    void CBoxDivFileClick();
};
