#pragma once

#include "speech/PlaybackVoice.h"

// A deterministic engine behind the voice interface, for tests and for runs without
// espeak-ng: every word takes the same time (wordMilliseconds at rate 0, scaled by the
// rate), sounding as a tone whose loudness follows the volume; silences of the markup are
// silent. Events follow the same word and sentence rules as the real engine. On the sound
// device it runs on a silent clock in real time; into a file stream it writes at once.
class TestVoice : public PlaybackVoice
{
    Q_OBJECT

public:
    explicit TestVoice(QObject* parent = nullptr);

    QList<VoiceToken> GetVoices() const override;
    VoiceToken Voice() const override { return m_voice; }
    void SetVoice(const VoiceToken& token) override;

    int WordMilliseconds() const { return m_wordMs; }
    void SetWordMilliseconds(int ms);

protected:
    void SpeakStream(const SpokenText& spoken, int streamNumber, int generation) override;

private:
    VoiceToken m_voice;
    int m_wordMs = 5;
};
