#include "soundfile/ConsoleToFileHost.h"

#include "soundfile/ToFileArguments.h"
#include "soundfile/VoiceChoice.h"
#include "speech/SpeechVoice.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t StopSignalled = 0;

extern "C" void OnStopSignal(int)
{
    StopSignalled = 1;
}

void SetUpVoice(SpeechVoice& voice, const VoiceArguments& arguments, const QString& language)
{
    voice.setEventInterests(AllEventInterests);
    voice.setVoice(ChooseVoice(voice.GetVoices(), arguments.name, language));
    if (arguments.rate)
        voice.setRate(*arguments.rate);
    if (arguments.volume)
        voice.setVolume(*arguments.volume);
}

void PrintLine(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

} // namespace

ConsoleToFileHost::ConsoleToFileHost(SpeechEngineKind engine)
    : m_ru(CreateVoice(engine)), m_eng(CreateVoice(engine))
{
    StopSignalled = 0;
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

ConsoleToFileHost::~ConsoleToFileHost()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void ConsoleToFileHost::SetUpVoices(const VoiceArguments& ru, const VoiceArguments& en)
{
    SetUpVoice(*m_ru, ru, QStringLiteral("ru"));
    SetUpVoice(*m_eng, en, QStringLiteral("en"));
}

bool ConsoleToFileHost::StopToFileRequested() const
{
    return StopSignalled != 0;
}

void ConsoleToFileHost::LetMessagesThrough()
{
    QCoreApplication::processEvents();
}

void ConsoleToFileHost::ShowProgress(const QString& captionSuffix)
{
    PrintLine(captionSuffix.trimmed());
}

void ConsoleToFileHost::ShowConversionError(const QString& message, const QString& wavFileName)
{
    ++m_conversionFailures;
    PrintLine(message.trimmed() + QStringLiteral(" ") + wavFileName);
}
