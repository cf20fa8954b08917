#include "speech/TestVoice.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/SpeechPlayback.h"
#include "speech/TestVoiceWriter.h"

TestVoice::TestVoice(QObject* parent) : PlaybackVoice(false, parent)
{
    m_voice = GetVoices().constFirst();
}

QList<VoiceToken> TestVoice::GetVoices() const
{
    const auto token = [](const char* id, const char* name, const char* language) {
        const QString engine = QStringLiteral("test");
        const QString code = QString::fromLatin1(language);
        return VoiceToken{QString::fromLatin1(id), VoiceDescription(QString::fromLatin1(name), code, engine),
                          code, engine};
    };
    return {token("test/en", "Test English", "en-us"), token("test/ru", "Test Russian", "ru")};
}

void TestVoice::SetVoice(const VoiceToken& token)
{
    if (!GetVoices().contains(token))
        throw VemoError(Say("Voice \"%1\" was not found.", "Голос «%1» не найден.").arg(token.id));
    m_voice = token;
}

void TestVoice::SetWordMilliseconds(int ms)
{
    m_wordMs = qMax(1, ms);
}

void TestVoice::SpeakStream(const SpokenText& spoken, int streamNumber, int generation)
{
    TestVoiceWriter writer(Playback().Queue(), AudioOutputStream(), streamNumber, generation);
    writer.Write(spoken, m_wordMs, Rate(), Volume());
}
