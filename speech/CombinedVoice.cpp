#include "speech/CombinedVoice.h"

#include "speech/DispatcherVoice.h"
#include "speech/EngineVoice.h"

#include <QDeadlineTimer>

CombinedVoice::CombinedVoice(QObject* parent)
    : SpeechVoice(parent), m_engines(std::make_unique<EngineVoice>()),
      m_service(std::make_unique<DispatcherVoice>()), m_chosen(m_engines.get()), m_speaking(m_engines.get())
{
    Forward(*m_engines);
    Forward(*m_service);
    connect(m_service.get(), &SpeechVoice::VoicesChanged, this, &SpeechVoice::VoicesChanged);
}

CombinedVoice::~CombinedVoice() = default;

void CombinedVoice::Forward(SpeechVoice& voice)
{
    connect(&voice, &SpeechVoice::EndStream, this, &SpeechVoice::EndStream);
    connect(&voice, &SpeechVoice::Word, this, &SpeechVoice::Word);
    connect(&voice, &SpeechVoice::Sentence, this, &SpeechVoice::Sentence);
    connect(&voice, &SpeechVoice::AudioLevel, this, &SpeechVoice::AudioLevel);
    connect(&voice, &SpeechVoice::DeviceMessage, this, &SpeechVoice::DeviceMessage);
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
void CombinedVoice::SetVoice(const VoiceToken& token)
{
    if (token.aloudOnly || token.id.startsWith(QLatin1String("speech-dispatcher/"))) {
        m_service->SetVoice(token);
        m_chosen = m_service.get();
        return;
    }
    m_engines->SetVoice(token);
    m_chosen = m_engines.get();
}

void CombinedVoice::SetEventInterests(int interests)
{
    m_engines->SetEventInterests(interests);
    m_service->SetEventInterests(interests);
}

int CombinedVoice::Rate() const
{
    return m_engines->Rate();
}

void CombinedVoice::SetRate(int rate)
{
    m_engines->SetRate(rate);
    m_service->SetRate(rate);
}

int CombinedVoice::Volume() const
{
    return m_engines->Volume();
}

void CombinedVoice::SetVolume(int volume)
{
    m_engines->SetVolume(volume);
    m_service->SetVolume(volume);
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

void CombinedVoice::SetAudioOutputStream(SpFileStream* stream)
{
    m_engines->SetAudioOutputStream(stream);
    m_service->SetAudioOutputStream(stream);
}

void CombinedVoice::SetAllowAudioOutputFormatChangesOnNextSet(bool allow)
{
    m_engines->SetAllowAudioOutputFormatChangesOnNextSet(allow);
    m_service->SetAllowAudioOutputFormatChangesOnNextSet(allow);
}
