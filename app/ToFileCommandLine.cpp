#include "app/ToFileCommandLine.h"

#include "documents/TextDocumentIO.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/ConsoleToFileHost.h"
#include "soundfile/SpeakTextToFile.h"
#include "soundfile/ToFileArguments.h"

#include <QTextDocument>
#include <cstdio>
#include <exception>
#include <utility>

namespace {

constexpr int ExitStopped = 130;

void PrintError(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// The text as the main window would hold it after Open: RTF and books (FB2, EPUB, DOCX,
// ODT, HTML) read as documents, plain text otherwise; a book's title goes to the options.
QString ReadText(const QString& fileName, ToFileOptions& options)
{
    QTextDocument document;
    LoadedFormat format;
    const DocumentEncoding encoding = LoadDocument(fileName, false, document, NoCharacterLimit, &format);
    if (encoding.replacedBytes > 0)
        PrintError(ReplacedBytesMessage(fileName, encoding.replacedBytes));
    options.bookTitle = format.title;
    return DocumentPlainText(document);
}

int SpeakToFiles(ToFileArguments arguments)
{
    QString text = ReadText(arguments.textFile, arguments.options);
    ConsoleToFileHost host(DefaultSpeechEngine());
    host.SetUpVoices(arguments.ru, arguments.en);
    SpeakTextToFile(host, arguments.options, std::move(text));
    if (host.StopToFileRequested()) {
        // What is on disk, not what a stop usually leaves: a stop during an MP3 conversion
        // lets it finish, and the WAV is then gone.
        const QStringList& kept = host.FinishedFiles();
        PrintError(kept.isEmpty()
                       ? Say("Stopped: no sound file was written.", "Остановлено: звуковой файл не записан.")
                       : Say("Stopped. On disk: %1", "Остановлено. На диске: %1")
                             .arg(kept.join(QStringLiteral(", "))));
        return ExitStopped;
    }
    return host.ConversionFailures() > 0 ? 1 : 0;
}

} // namespace

int RunToFileMode(const QStringList& words)
{
    try {
        return SpeakToFiles(ParseToFileArguments(words));
    } catch (const VemoError& e) {
        PrintError(e.Message());
    } catch (const std::exception& e) {
        PrintError(QStringLiteral("vemo --to-file: ") + QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
