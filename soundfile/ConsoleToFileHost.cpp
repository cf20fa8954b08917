#include "soundfile/ConsoleToFileHost.h"

#include "files/MessageLanguage.h"
#include "soundfile/ToFileArguments.h"
#include "soundfile/VoiceChoice.h"
#include "speech/SpeechVoice.h"

#include <QCoreApplication>
#include <csignal>

namespace {

volatile std::sig_atomic_t StopSignalled = 0;

extern "C" void OnStopSignal(int)
{
    StopSignalled = 1;
}

void SetUpVoice(SpeechVoice& voice, const VoiceArguments& arguments, const QString& language)
{
    voice.SetEventInterests(AllEventInterests);
    voice.SetVoice(ChooseVoice(VoicesToChooseFrom(voice, arguments.name), arguments.name, language));
    if (arguments.rate)
        voice.SetRate(*arguments.rate);
    if (arguments.volume)
        voice.SetVolume(*arguments.volume);
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

void ConsoleToFileHost::ShowConversionError(const QString& message, const QString& wavFileName)
{
    ++m_conversionFailures;
    m_progress.Error(message.trimmed() + QStringLiteral(" ") + wavFileName);
}

void ConsoleToFileHost::ShowSpeakingProgress(const QString& soundFileName, qsizetype fragment,
                                             qsizetype count)
{
    m_progress.Update(Say("speaking", "озвучивание"), soundFileName, fragment, count);
}

void ConsoleToFileHost::ShowConversionProgress(const QString& mp3FileName, qint64 done, qint64 total)
{
    m_progress.Update(Say("converting", "преобразование"), mp3FileName, done, total);
}
