#include "speech/CombinedVoice.h"

#include "speech/DispatcherVoice.h"
#include "speech/EngineVoice.h"

#include <QDeadlineTimer>

CombinedVoice::CombinedVoice(QObject* parent)
    : SpeechVoice(parent), m_engines(std::make_unique<EngineVoice>()),
      m_service(std::make_unique<DispatcherVoice>()), m_chosen(m_engines.get()), m_speaking(m_engines.get())
{
    forward(*m_engines);
    forward(*m_service);
    connect(m_service.get(), &SpeechVoice::voicesChanged, this, &SpeechVoice::voicesChanged);
}

CombinedVoice::~CombinedVoice() = default;

void CombinedVoice::forward(SpeechVoice& voice)
{
    connect(&voice, &SpeechVoice::EndStream, this, &SpeechVoice::EndStream);
    connect(&voice, &SpeechVoice::Word, this, &SpeechVoice::Word);
    connect(&voice, &SpeechVoice::Sentence, this, &SpeechVoice::Sentence);
    connect(&voice, &SpeechVoice::AudioLevel, this, &SpeechVoice::AudioLevel);
    connect(&voice, &SpeechVoice::deviceMessage, this, &SpeechVoice::deviceMessage);
}

QList<VoiceToken> CombinedVoice::GetVoices() const
{
    return m_engines->GetVoices() + m_service->GetVoices();
}

bool CombinedVoice::WaitForVoices(int msTimeout)
{
    return m_service->WaitForVoices(msTimeout);
}

VoiceToken CombinedVoice::Voice() const
{
    return m_chosen->Voice();
}

// A voice of the service (known by its id too) is the service's to find; every other goes to
// the engines, which say when they do not have it.
void CombinedVoice::setVoice(const VoiceToken& token)
{
    if (token.aloudOnly || token.id.startsWith(QLatin1String("speech-dispatcher/"))) {
        m_service->setVoice(token);
        m_chosen = m_service.get();
        return;
    }
    m_engines->setVoice(token);
    m_chosen = m_engines.get();
}

void CombinedVoice::setEventInterests(int interests)
{
    m_engines->setEventInterests(interests);
    m_service->setEventInterests(interests);
}

int CombinedVoice::Rate() const
{
    return m_engines->Rate();
}

void CombinedVoice::setRate(int rate)
{
    m_engines->setRate(rate);
    m_service->setRate(rate);
}

int CombinedVoice::Volume() const
{
    return m_engines->Volume();
}

void CombinedVoice::setVolume(int volume)
{
    m_engines->setVolume(volume);
    m_service->setVolume(volume);
}

// A purge silences both: the voice may have changed while the other was still speaking.
void CombinedVoice::Speak(const QString& text, int flags)
{
    if (flags & SVSFPurgeBeforeSpeak) {
        SpeechVoice& other = m_chosen == m_engines.get() ? static_cast<SpeechVoice&>(*m_service) : *m_engines;
        other.Speak(QString(), SpeakPurge);
    }
    m_chosen->Speak(text, flags);
    if (!text.isEmpty())
        m_speaking = m_chosen;
}

void CombinedVoice::Pause()
{
    m_speaking->Pause();
}

void CombinedVoice::Resume()
{
    m_speaking->Resume();
}

bool CombinedVoice::WaitUntilDone(int msTimeout)
{
    const QDeadlineTimer deadline(msTimeout < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msTimeout));
    SpeechVoice& other = m_speaking == m_engines.get() ? static_cast<SpeechVoice&>(*m_service) : *m_engines;
    if (!m_speaking->WaitUntilDone(msTimeout))
        return false;
    const qint64 left = deadline.remainingTime();
    return other.WaitUntilDone(left < 0 ? -1 : int(left));
}

SpFileStream* CombinedVoice::AudioOutputStream() const
{
    return m_engines->AudioOutputStream();
}

void CombinedVoice::setAudioOutputStream(SpFileStream* stream)
{
    m_engines->setAudioOutputStream(stream);
    m_service->setAudioOutputStream(stream);
}

void CombinedVoice::setAllowAudioOutputFormatChangesOnNextSet(bool allow)
{
    m_engines->setAllowAudioOutputFormatChangesOnNextSet(allow);
    m_service->setAllowAudioOutputFormatChangesOnNextSet(allow);
}
