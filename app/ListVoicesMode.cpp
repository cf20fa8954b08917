#include "app/ListVoicesMode.h"

#include "files/VemoError.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"

#include <cstdio>

namespace {

// speech-dispatcher may take seconds to list its voices (its espeak-ng module has thousands).
constexpr int ServiceListingWaitMs = 30000;

} // namespace

int RunListVoicesMode(const QStringList&)
{
    try {
        const std::unique_ptr<SpeechVoice> voice = CreateVoice(DefaultSpeechEngine());
        voice->WaitForVoices(ServiceListingWaitMs);
        for (const VoiceToken& token : voice->GetVoices())
            std::printf("%s\t%s\t%s\n", token.engine.toLocal8Bit().constData(),
                        token.id.toLocal8Bit().constData(), token.description.toLocal8Bit().constData());
        return 0;
    } catch (const VemoError& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
}

QString ListVoicesUsage()
{
    return QStringLiteral("vemo --list-voices\n"
                          "    Lists the voices, one a line: engine, id and description, separated by tabs.\n"
                          "    --voice-ru and --voice-en take an id or a description.\n");
}
