#pragma once

#include "speech/PlaybackVoice.h"

#include <memory>

class EngineThread;

// A voice of one of the engines in the program (espeak-ng, Flite, Festival), speaking through
// the sound device (or, without one, on a silent clock in real time) or, as fast as the
// engine goes, into a file stream. Its voice may change engine between two Speaks.
class EngineVoice : public PlaybackVoice
{
    Q_OBJECT

public:
    explicit EngineVoice(QObject* parent = nullptr);
    ~EngineVoice() override;

    QList<VoiceToken> GetVoices() const override;
    VoiceToken Voice() const override { return m_voice; }
    void SetVoice(const VoiceToken& token) override;

protected:
    void SpeakStream(const SpokenText& spoken, int streamNumber, int generation) override;

private:
    std::shared_ptr<EngineThread> m_engine;
    VoiceToken m_voice;
};
