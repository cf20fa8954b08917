#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The WAV formats a file stream writes, numbered as the sound-file dialogs list them: for
// each rate (8, 11.025, 12, 16, 22.05, 24, 32, 44.1, 48 kHz) the four formats 8-bit mono,
// 8-bit stereo, 16-bit mono, 16-bit stereo. Item i of a dialog's list is value i + 4.
enum SpeechAudioFormatType : int
{
    SAFT8kHz8BitMono = 4,
    SAFT8kHz8BitStereo,
    SAFT8kHz16BitMono,
    SAFT8kHz16BitStereo,
    SAFT11kHz8BitMono,
    SAFT11kHz8BitStereo,
    SAFT11kHz16BitMono,
    SAFT11kHz16BitStereo,
    SAFT12kHz8BitMono,
    SAFT12kHz8BitStereo,
    SAFT12kHz16BitMono,
    SAFT12kHz16BitStereo,
    SAFT16kHz8BitMono,
    SAFT16kHz8BitStereo,
    SAFT16kHz16BitMono,
    SAFT16kHz16BitStereo,
    SAFT22kHz8BitMono,
    SAFT22kHz8BitStereo,
    SAFT22kHz16BitMono,
    SAFT22kHz16BitStereo,
    SAFT24kHz8BitMono,
    SAFT24kHz8BitStereo,
    SAFT24kHz16BitMono,
    SAFT24kHz16BitStereo,
    SAFT32kHz8BitMono,
    SAFT32kHz8BitStereo,
    SAFT32kHz16BitMono,
    SAFT32kHz16BitStereo,
    SAFT44kHz8BitMono,
    SAFT44kHz8BitStereo,
    SAFT44kHz16BitMono,
    SAFT44kHz16BitStereo,
    SAFT48kHz8BitMono,
    SAFT48kHz8BitStereo,
    SAFT48kHz16BitMono,
    SAFT48kHz16BitStereo,
};

constexpr int FirstSpeechAudioFormat = SAFT8kHz8BitMono;
constexpr int LastSpeechAudioFormat = SAFT48kHz16BitStereo;

// What one SpeechAudioFormatType value stands for.
struct SpeechAudioFormat
{
    int type = 0;
    int sampleRate = 0;    // Hz
    int bitsPerSample = 0; // 8 (unsigned) or 16 (signed little-endian)
    int channels = 0;      // 1 or 2

    int BlockAlign() const { return bitsPerSample / 8 * channels; }
    int BytesPerSecond() const { return sampleRate * BlockAlign(); }
    // The enumeration member's name, such as "SAFT22kHz16BitStereo".
    QString Name() const;

    // Empty for a value outside 4..39.
    static std::optional<SpeechAudioFormat> FromType(int type);
    // The 36 names in the order of their values.
    static QStringList Names();
};
