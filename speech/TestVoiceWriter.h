#pragma once

#include "speech/AudioLevelMeter.h"
#include "speech/SpeechEvent.h"

#include <QList>
#include <memory>
#include <vector>

class SpFileStream;
class SpeechQueue;
class SpokenText;
struct SegmentSettings;

// Synthesises one Speak of the test engine: a tone per word, silence for the markup's
// silences, and the events at the samples where their words begin.
class TestVoiceWriter
{
public:
    TestVoiceWriter(std::shared_ptr<SpeechQueue> queue, SpFileStream* file, int streamNumber, int generation);

    void Write(const SpokenText& spoken, int wordMs, int rate, int volume);

private:
    void WriteSilence(int ms);
    void WriteTone(qsizetype count, int volume);
    void AddEvents(const QList<SpeechEvent>& events);
    void Flush();

    std::shared_ptr<SpeechQueue> m_queue;
    SpFileStream* m_file;
    int m_streamNumber;
    int m_generation;
    AudioLevelMeter m_meter;
    qint64 m_written = 0; // samples of this stream handed on
    std::vector<qint16> m_samples;
    QList<SpeechEvent> m_events;
};
