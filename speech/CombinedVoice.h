#pragma once

#include "speech/SpeechVoice.h"

#include <memory>

class DispatcherVoice;
class EngineVoice;

// The voice the windows and the command line speak with: a voice of the engines in the
// program (espeak-ng, Flite, Festival) or of the speech service (speech-dispatcher),
// whichever the chosen voice belongs to. It lists both; the service's voices come in when
// the daemon has answered (WaitForVoices starts the listing, voicesChanged tells its end).
// Rate, volume and event interests go to both, so that a change of voice keeps them.
class CombinedVoice : public SpeechVoice
{
    Q_OBJECT

public:
    explicit CombinedVoice(QObject* parent = nullptr);
    ~CombinedVoice() override;

    QList<VoiceToken> GetVoices() const override;
    bool WaitForVoices(int msTimeout) override;
    VoiceToken Voice() const override;
    void SetVoice(const VoiceToken& token) override;
    void SetEventInterests(int interests) override;

    int Rate() const override;
    void SetRate(int rate) override;
    int Volume() const override;
    void SetVolume(int volume) override;

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    bool WaitUntilDone(int msTimeout) override;

    SpFileStream* AudioOutputStream() const override;
    void SetAudioOutputStream(SpFileStream* stream) override;
    void SetAllowAudioOutputFormatChangesOnNextSet(bool allow) override;

private:
    void Forward(SpeechVoice& voice);

    std::unique_ptr<EngineVoice> m_engines;
    std::unique_ptr<DispatcherVoice> m_service;
    SpeechVoice* m_chosen;   // speaks the next Speak
    SpeechVoice* m_speaking; // got the last Speak: Pause and Resume go to it
};
