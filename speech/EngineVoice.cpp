#include "speech/EngineVoice.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/EngineThread.h"
#include "speech/EspeakVoiceList.h"
#include "speech/SpeechPlayback.h"

EngineVoice::EngineVoice(QObject* parent) : PlaybackVoice(true, parent), m_engine(EngineThread::instance())
{
    const EspeakVoiceList& voices = m_engine->espeakVoices();
    // Until told otherwise, speak as espeak-ng's US English voice.
    m_voice = voices.firstOfLanguage(QStringLiteral("en-us"));
    if (m_voice.isNull())
        m_voice = voices.firstOfLanguage(QStringLiteral("en"));
    if (m_voice.isNull() && !voices.voices().isEmpty())
        m_voice = voices.voices().constFirst();
}

EngineVoice::~EngineVoice()
{
    stopSpeaking();
}

QList<VoiceToken> EngineVoice::GetVoices() const
{
    return m_engine->voices();
}

void EngineVoice::setVoice(const VoiceToken& token)
{
    const QList<VoiceToken>& voices = m_engine->voices();
    const qsizetype at = voices.indexOf(token);
    const EspeakVoiceList& espeak = m_engine->espeakVoices();
    if (at < 0 || (voices.at(at).engine == espeak.engineName() && !espeak.isInstalled(voices.at(at))))
        throw VemoError(Say("Voice \"%1\" was not found: espeak-ng, Flite and Festival have no such voice.",
                            "Голос «%1» не найден: его нет среди голосов espeak-ng, Flite и Festival.")
                            .arg(token.description.isEmpty() ? token.id : token.description));
    m_voice = voices.at(at);
}

void EngineVoice::speakStream(const SpokenText& spoken, int streamNumber, int generation)
{
    SpeechJob job;
    job.spoken = spoken;
    job.voice = m_voice;
    job.rate = Rate();
    job.volume = Volume();
    job.streamNumber = streamNumber;
    job.generation = generation;
    job.queue = playback().queue();
    job.file = AudioOutputStream();
    m_engine->speak(std::move(job));
}
