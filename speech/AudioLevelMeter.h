#pragma once

#include "speech/SpeechEvent.h"

#include <QList>

// Measures the output level (0..100) of a stream of samples, one AudioLevel event per
// twentieth of a second of audio.
class AudioLevelMeter
{
public:
    explicit AudioLevelMeter(int streamNumber) : m_streamNumber(streamNumber) {}

    // Takes the next samples of the stream; returns the events of the blocks they complete,
    // each at the stream sample where its block starts.
    QList<SpeechEvent> Measure(const qint16* samples, qsizetype count);

private:
    int m_streamNumber;
    qint64 m_blockStart = 0;
    qsizetype m_filled = 0;
    double m_sumSquares = 0;
};
