#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/FillEncoderConfig.h"

#include <QJsonObject>
#include <QString>

// How the sound files of a run are made: the WAV format, division into numbered parts and
// MP3 conversion with the MP3 panel's choices. The sound-file and folder dialogs show it in
// one options panel, the command line reads it from the same options for vemo --to-file and
// the folder commands, and the To File and folder runs take it whole.
struct SoundFileOptions
{
    int wavFormat = 34; // the WAV list's SpeechAudioFormatType (SAFT44kHz16BitMono); 0: none chosen
    bool divide = false;
    QString partCharLimit = QStringLiteral("1000"); // characters of text per part, as typed
    bool mp3 = false;                               // every WAV file converted to MP3
    Mp3Choices mp3Choices;                          // the encoder's options, used with mp3

    // The SpeechAudioFormatType the WAV files are written in: wavFormat, or with mp3 the
    // 16-bit format at the MP3 sample rate that the encoder record asks for.
    int StreamFormatType() const;
    // The encoder record of the MP3 choices with mp3, an all-zero record without. Both throw
    // VemoError when an MP3 choice lies outside its list.
    ::EncoderConfig EncoderConfig() const;
    // The characters per part as a number; throws VemoError naming the value when it is not
    // a whole number.
    int PartCharLimit() const;

    // For a worker process: every field, under its own name.
    QJsonObject ToJson() const;
    // What ToJson wrote; a field it lacks keeps its default.
    static SoundFileOptions FromJson(const QJsonObject& json);

    bool operator==(const SoundFileOptions&) const = default;
};

// The characters of text per part, as typed: an integer, blanks around it allowed.
// Throws VemoError naming the value otherwise.
int ParsePartCharLimit(const QString& text);
