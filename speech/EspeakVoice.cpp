#include "speech/EspeakVoice.h"

#include "files/VemoError.h"
#include "speech/EspeakEngine.h"
#include "speech/EspeakVoiceList.h"
#include "speech/SpeechPlayback.h"

EspeakVoice::EspeakVoice(QObject* parent) : PlaybackVoice(true, parent), m_engine(EspeakEngine::instance())
{
    const EspeakVoiceList& voices = m_engine->voices();
    // Until told otherwise, speak as espeak-ng's US English voice.
    m_voice = voices.firstOfLanguage(QStringLiteral("en-us"));
    if (m_voice.isNull())
        m_voice = voices.firstOfLanguage(QStringLiteral("en"));
    if (m_voice.isNull() && !voices.voices().isEmpty())
        m_voice = voices.voices().constFirst();
}

EspeakVoice::~EspeakVoice()
{
    stopSpeaking();
}

QList<VoiceToken> EspeakVoice::GetVoices() const
{
    return m_engine->voices().voices();
}

void EspeakVoice::setVoice(const VoiceToken& token)
{
    const VoiceToken listed = m_engine->voices().find(token.id);
    if (listed.isNull() || !m_engine->voices().isInstalled(listed))
        throw VemoError(QStringLiteral("Голос «%1» не найден: его нет среди голосов espeak-ng.")
                            .arg(token.description.isEmpty() ? token.id : token.description));
    m_voice = listed;
}

void EspeakVoice::speakStream(const SpokenText& spoken, int streamNumber, int generation)
{
    EspeakJob job;
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
