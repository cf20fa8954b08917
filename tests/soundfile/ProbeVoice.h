#pragma once

#include "speech/SpeechVoice.h"

#include <QStringList>
#include <functional>
#include <memory>

// A voice of the test engine that notes every Speak (language tag, text and flags) and can
// hold its fragments back for a number of 100 ms slices, so that a wait loop really waits.
class ProbeVoice : public SpeechVoice
{
public:
    ProbeVoice(std::unique_ptr<SpeechVoice> inner, QString lang) : m_inner(std::move(inner)), m_lang(lang)
    {
        connect(m_inner.get(), &SpeechVoice::Word, this, &SpeechVoice::Word);
        connect(m_inner.get(), &SpeechVoice::Sentence, this, &SpeechVoice::Sentence);
        connect(m_inner.get(), &SpeechVoice::EndStream, this, &SpeechVoice::EndStream);
    }

    struct Spoken
    {
        QString lang;
        QString text;
        int flags;
    };
    QList<Spoken>* log = nullptr;
    int slowSlices = 0;                 // slices each fragment is held back
    std::function<void()> whileWaiting; // runs at the first held-back slice

    QList<VoiceToken> GetVoices() const override { return m_inner->GetVoices(); }
    VoiceToken Voice() const override { return m_inner->Voice(); }
    void SetVoice(const VoiceToken& token) override { m_inner->SetVoice(token); }
    void SetEventInterests(int interests) override { m_inner->SetEventInterests(interests); }
    int Rate() const override { return m_inner->Rate(); }
    void SetRate(int rate) override { m_inner->SetRate(rate); }
    int Volume() const override { return m_inner->Volume(); }
    void SetVolume(int volume) override { m_inner->SetVolume(volume); }
    void Pause() override { m_inner->Pause(); }
    void Resume() override { m_inner->Resume(); }
    SpFileStream* AudioOutputStream() const override { return m_inner->AudioOutputStream(); }
    void SetAudioOutputStream(SpFileStream* stream) override { m_inner->SetAudioOutputStream(stream); }
    void SetAllowAudioOutputFormatChangesOnNextSet(bool allow) override
    {
        m_inner->SetAllowAudioOutputFormatChangesOnNextSet(allow);
    }

    void Speak(const QString& text, int flags) override
    {
        if (flags & SpeakPurge) {
            ++purges;
            m_held = 0;
        } else {
            m_held = slowSlices;
            if (log)
                log->append({m_lang, text, flags});
        }
        m_inner->Speak(text, flags);
    }
    bool WaitUntilDone(int msTimeout) override
    {
        if (m_held == 0)
            return m_inner->WaitUntilDone(msTimeout);
        if (m_held-- == slowSlices && whileWaiting)
            whileWaiting();
        return false;
    }

    int purges = 0;

private:
    std::unique_ptr<SpeechVoice> m_inner;
    QString m_lang;
    int m_held = 0;
};
