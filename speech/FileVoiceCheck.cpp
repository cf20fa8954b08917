#include "speech/FileVoiceCheck.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/DefaultVoice.h"
#include "speech/SpeechVoice.h"

#include <QCoreApplication>

namespace {

// Windows speak Russian; the command line (no QApplication) the language of the locale.
bool InRussian()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return (app && app->inherits("QApplication")) || MessagesInRussian();
}

void RequireFileVoice(const SpeechVoice& voice, bool english)
{
    const VoiceToken chosen = voice.Voice();
    if (!chosen.aloudOnly)
        return;
    QList<VoiceToken> writers = voice.GetVoices();
    writers.removeIf([](const VoiceToken& token) { return token.aloudOnly || token.variant; });
    const qsizetype index = DefaultVoiceIndex(writers, english ? QStringLiteral("en") : QStringLiteral("ru"));
    const QString instead = index >= 0 ? writers.at(index).description : QString();
    const bool russian = InRussian();
    QString message = russian ? QStringLiteral("Запись в файл не начата: голос «%1» читает только вслух.")
                              : QStringLiteral("Nothing was written: the voice «%1» reads aloud only.");
    message = message.arg(chosen.description);
    if (instead.isEmpty())
        message +=
            russian ? (english ? QStringLiteral(" Голоса для английского текста, который пишет в файл, нет.")
                               : QStringLiteral(" Голоса для русского текста, который пишет в файл, нет."))
                    : (english ? QStringLiteral(" No voice for the English text speaks into files.")
                               : QStringLiteral(" No voice for the Russian text speaks into files."));
    else
        message +=
            (russian ? (english ? QStringLiteral(" Выберите для английского текста голос, который пишет "
                                                 "в файл, например «%1».")
                                : QStringLiteral(" Выберите для русского текста голос, который пишет в "
                                                 "файл, например «%1»."))
                     : (english ? QStringLiteral(" Choose a voice that speaks into files for the English "
                                                 "text, such as «%1».")
                                : QStringLiteral(" Choose a voice that speaks into files for the Russian "
                                                 "text, such as «%1».")))
                .arg(instead);
    throw VemoError(message);
}

} // namespace

void RequireFileVoices(const SpeechVoice& ru, const SpeechVoice& eng)
{
    RequireFileVoice(ru, false);
    RequireFileVoice(eng, true);
}
