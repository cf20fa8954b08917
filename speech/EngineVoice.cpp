#include "speech/EngineVoice.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/EngineThread.h"
#include "speech/EspeakVoiceList.h"
#include "speech/SpeechPlayback.h"

EngineVoice::EngineVoice(QObject* parent) : PlaybackVoice(true, parent), m_engine(EngineThread::Instance())
{
    const EspeakVoiceList& voices = m_engine->EspeakVoices();
    // Until told otherwise, speak as espeak-ng's US English voice.
    m_voice = voices.FirstOfLanguage(QStringLiteral("en-us"));
    if (m_voice.IsNull())
        m_voice = voices.FirstOfLanguage(QStringLiteral("en"));
    if (m_voice.IsNull() && !voices.Voices().isEmpty())
        m_voice = voices.Voices().constFirst();
}

EngineVoice::~EngineVoice()
{
    StopSpeaking();
}

QList<VoiceToken> EngineVoice::GetVoices() const
{
    return m_engine->Voices();
}

void EngineVoice::SetVoice(const VoiceToken& token)
{
    const QList<VoiceToken>& voices = m_engine->Voices();
    const qsizetype at = voices.indexOf(token);
    const EspeakVoiceList& espeak = m_engine->EspeakVoices();
    if (at < 0 || (voices.at(at).engine == espeak.EngineName() && !espeak.IsInstalled(voices.at(at))))
        throw VemoError(Say("Voice \"%1\" was not found: espeak-ng, Flite and Festival have no such voice.",
                            "Голос «%1» не найден: его нет среди голосов espeak-ng, Flite и Festival.")
                            .arg(token.description.isEmpty() ? token.id : token.description));
    m_voice = voices.at(at);
}

void EngineVoice::SpeakStream(const SpokenText& spoken, int streamNumber, int generation)
{
    SpeechJob job;
    job.spoken = spoken;
    job.voice = m_voice;
    job.rate = Rate();
    job.volume = Volume();
    job.streamNumber = streamNumber;
    job.generation = generation;
    job.queue = Playback().Queue();
    job.file = AudioOutputStream();
    m_engine->Speak(std::move(job));
}
