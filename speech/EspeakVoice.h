#pragma once

#include "speech/PlaybackVoice.h"

#include <memory>

class EspeakEngine;

// A voice of espeak-ng, speaking through the sound device (or, without one, on a silent
// clock in real time) or, as fast as the engine goes, into a file stream.
class EspeakVoice : public PlaybackVoice
{
    Q_OBJECT

public:
    explicit EspeakVoice(QObject* parent = nullptr);
    ~EspeakVoice() override;

    QList<VoiceToken> GetVoices() const override;
    VoiceToken Voice() const override { return m_voice; }
    void setVoice(const VoiceToken& token) override;

protected:
    void speakStream(const SpokenText& spoken, int streamNumber, int generation) override;

private:
    std::shared_ptr<EspeakEngine> m_engine;
    VoiceToken m_voice;
};
