#pragma once

#include "soundfile/SoundFileOptions.h"

#include <QDialog>

class Mp3Panel;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;
class SoundFileOptionsPanel;

// The sound-file dialog shown before the text is spoken into files: the WAV name, and the
// sound-file options (format, division into parts, MP3 conversion with its encoder options).
// Created once and reused: every choice stays from one showing to the next. The caller reads
// the results after it closes.
class TFormFileSelect : public QDialog
{
    Q_OBJECT

public:
    explicit TFormFileSelect(QWidget* parent = nullptr);

    // Results: set by OK (all three) or Cancel (Accepted only).
    bool Accepted = false;
    QString ChosenFileName;
    SoundFileOptions SoundFile; // its StreamFormatType() and EncoderConfig() are those OK chose

    QLineEdit* EditNameFile;
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
    QFileDialog* SaveDialogWav;

    void reject() override; // Cancel and the Escape key

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    QLayout* CreateNameRow();
    QLayout* CreateButtonRow();
    void CreateSoundFilePanel();
    void CreateSaveDialog();
    void ConnectHandlers();

    void FormActivate();
    void ButtonSaveAsClick();
    void ButtonOkClick();
    void ButtonCancelClick();
};
