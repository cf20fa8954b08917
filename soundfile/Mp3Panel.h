#pragma once

#include "soundfile/FillEncoderConfig.h"
#include "soundfile/Mp3Tables.h"

#include <QFrame>

class QComboBox;
class QGridLayout;
class QLabel;
class QSlider;

// The MP3 encoder options shared by the sound-file and folder dialogs: sample rate,
// channels, encoding mode, bitrates, VBR quality and algorithm quality. The lists are
// pick-only; the mode list starts on "CBR-Constant Bitrate", so what it shows is what the
// encoder does. Picking a bitrate the chosen sample rate cannot encode moves that list to
// "128 kbps".
class Mp3Panel : public QFrame
{
    Q_OBJECT

public:
    explicit Mp3Panel(QWidget* parent = nullptr);

    Mp3Choices Choices() const;
    // Shows the choices as they are, without the bitrate check of a pick.
    void SetChoices(const Mp3Choices& choices);

    // Enable or disable the seven option controls, in the order of the form; labels stay.
    void OnPanelMp3();
    void OffPanelMp3();
    void SetPanelEnabled(bool enabled);
    // LabelVrbQ shows the track bar's position (run when the dialog becomes active).
    void ShowVbrQuality();
    MpegClass CurrentMpegClass() const;

    QComboBox* CBoxSampleRate;
    QComboBox* CBoxChannels;
    QComboBox* CBoxMode;
    QComboBox* CBoxBitrate;
    QComboBox* CBoxBitrateMax;
    QSlider* TkBarVBRQuality;
    QLabel* LabelVrbQ;
    QComboBox* CBoxQuality;

private:
    QComboBox* AddList(QGridLayout* grid, int row, const char* name, const char* label,
                       const QStringList& items, int current);
    void CreateVbrQualityRow(QGridLayout* grid, int row);
    void CBoxBitrateClick();
    void CBoxBitrateMaxClick();
    void CheckPickedBitrate(QComboBox* box);
    void TkBarVBRQualityChange(int position);
};
