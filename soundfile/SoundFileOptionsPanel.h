#pragma once

#include "soundfile/SoundFileOptions.h"

#include <QWidget>

class Mp3Panel;
class QCheckBox;
class QComboBox;
class QLineEdit;

// The sound-file rows of the sound-file and folder dialogs: the WAV format list, division
// into parts with the characters per part, the MP3 check box and the MP3 panel. It reads
// and fills a SoundFileOptions. The WAV list is enabled exactly when MP3 is not chosen and
// the MP3 panel exactly when it is; the characters per part follow the division box once
// that changes (they start enabled, as designed).
class SoundFileOptionsPanel : public QWidget
{
    Q_OBJECT

public:
    // Column: a row for every control, the check boxes under their own rows (the sound-file
    // dialog). Compact: the characters per part under the format and the two check boxes
    // side by side, rows 2 pixels apart (the folder dialog, whose size is fixed).
    enum class Arrangement
    {
        Column,
        Compact
    };

    explicit SoundFileOptionsPanel(Arrangement arrangement, QWidget* parent = nullptr);

    // What the rows show. wavFormat is 0 when the WAV list has no item chosen.
    SoundFileOptions Options() const;
    // Shows the options; an item outside its list leaves that list without a choice.
    void SetOptions(const SoundFileOptions& options);

    // Enables the WAV list or the MP3 panel by the MP3 check box and shows the VBR quality
    // beside its track bar: run when the dialog becomes active.
    void FormActivate();
    // Enables the WAV list or the MP3 panel by the MP3 check box.
    void CheckBoxMP3Click();

    QComboBox* CBStreamFormattype;
    QCheckBox* CBoxDivFile;
    QLineEdit* EditMaxSimvolInFragm;
    QCheckBox* CheckBoxMP3;
    Mp3Panel* PanelMp3;

private:
    void CreateControls();
    void ArrangeInColumn();
    void ArrangeCompact();
    void CBoxDivFileClick();
};
