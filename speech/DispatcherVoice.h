#pragma once

#include "speech/SpeechVoice.h"

#include <QMap>
#include <atomic>
#include <memory>

class DispatcherService;
class SpokenText;
class WordEventFilter;

// A voice of the system's speech service, speech-dispatcher: the daemon speaks through its
// own output module and sound output, so this voice handles no audio. Each Speak goes to the
// daemon as SSML with an index mark before every word; the marks come back as the words are
// heard and become Word and Sentence events, the end of the text an EndStream. There is no
// audio level. Rate -10..10 and volume 0..100 are passed on in the daemon's -100..100. It
// cannot speak into a file stream.
//
// Pause cancels the daemon's speech and keeps the word it had reached; Resume sends the text
// again from that word. (The daemon's own pause stops only where it can resume by its own
// marks, which SSML text does not get, so it would speak on to the end of the text.)
class DispatcherVoice : public SpeechVoice
{
    Q_OBJECT

public:
    explicit DispatcherVoice(QObject* parent = nullptr);
    ~DispatcherVoice() override;

    QList<VoiceToken> GetVoices() const override;
    bool WaitForVoices(int msTimeout) override;
    VoiceToken Voice() const override { return m_voice; }
    void SetVoice(const VoiceToken& token) override;
    void SetEventInterests(int interests) override { m_interests = interests; }

    int Rate() const override { return m_rate; }
    void SetRate(int rate) override { m_rate = qBound(-10, rate, 10); }
    int Volume() const override { return m_volume; }
    void SetVolume(int volume) override { m_volume = qBound(0, volume, 100); }

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    bool WaitUntilDone(int msTimeout) override;

    SpFileStream* AudioOutputStream() const override { return m_outputStream; }
    void SetAudioOutputStream(SpFileStream* stream) override { m_outputStream = stream; }
    void SetAllowAudioOutputFormatChangesOnNextSet(bool) override {}

private:
    struct MarkedStream;

    void Purge();
    void Send(int stream, MarkedStream& marked);
    void Take(int channel, int stream, int kind, const QString& mark, const QString& failure);
    void MarkReached(MarkedStream& marked, int stream, int index);

    std::shared_ptr<DispatcherService> m_service;
    std::shared_ptr<std::atomic<int>> m_outstanding = std::make_shared<std::atomic<int>>(0);
    int m_channel = 0;
    VoiceToken m_voice;
    SpFileStream* m_outputStream = nullptr;
    int m_rate = 0;
    int m_volume = 100;
    int m_interests = AllEventInterests;
    int m_streamNumber = 0;
    int m_purgedThrough = 0; // streams up to this one were purged: their events are dropped
    bool m_paused = false;
    QString m_failure; // of an earlier Speak, reported to the next call
    std::map<int, std::unique_ptr<MarkedStream>> m_streams;
};
