#include "speech/TestVoice.h"

#include "files/VemoError.h"
#include "speech/SpeechPlayback.h"
#include "speech/TestVoiceWriter.h"

TestVoice::TestVoice(QObject* parent) : PlaybackVoice(false, parent)
{
    m_voice = GetVoices().constFirst();
}

QList<VoiceToken> TestVoice::GetVoices() const
{
    return {{QStringLiteral("test/en"), QStringLiteral("Test English (en-us)"), QStringLiteral("en-us")},
            {QStringLiteral("test/ru"), QStringLiteral("Test Russian (ru)"), QStringLiteral("ru")}};
}

void TestVoice::setVoice(const VoiceToken& token)
{
    if (!GetVoices().contains(token))
        throw VemoError(QStringLiteral("Голос «%1» не найден.").arg(token.id));
    m_voice = token;
}

void TestVoice::setWordMilliseconds(int ms)
{
    m_wordMs = qMax(1, ms);
}

void TestVoice::speakStream(const SpokenText& spoken, int streamNumber, int generation)
{
    TestVoiceWriter writer(playback().queue(), AudioOutputStream(), streamNumber, generation);
    writer.write(spoken, m_wordMs, Rate(), Volume());
}
