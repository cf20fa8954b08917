#include "folder/ConsoleFolderHost.h"

#include "documents/TextDocumentIO.h"
#include "files/MessageLanguage.h"
#include "soundfile/ConsoleProgress.h"

#include <QDir>
#include <QTextDocument>
#include <cstdio>

void ConsoleFolderHost::Print(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

void ConsoleFolderHost::ShowTextFile(const QString& textFile, int number, int count)
{
    m_progress.Line(
        QStringLiteral("[%1/%2] %3").arg(number).arg(count).arg(QDir::toNativeSeparators(textFile)));
}

// As the main window holds a file after Open: RTF and books read as documents, plain text
// otherwise.
QString ConsoleFolderHost::LoadText(const QString& textFile)
{
    return ReadText(textFile, &m_bookTitle);
}

QString ConsoleFolderHost::ReadText(const QString& textFile, QString* bookTitle)
{
    QTextDocument document;
    LoadedFormat format;
    LoadDocument(textFile, false, document, NoCharacterLimit, &format);
    if (bookTitle)
        *bookTitle = format.title;
    return DocumentPlainText(document);
}

// Log lines (a book that failed, a batch killed at its time limit) are failures.
void ConsoleFolderHost::Log(const QString& line)
{
    m_progress.Error(line);
}

void ConsoleFolderHost::Beep(int times)
{
    if (times > 1)
        m_progress.Line(Say("The video batch has run.", "Пакет видео выполнен."));
    else
        m_progress.Error(Say("The video batch could not be run or was stopped at its time limit.",
                             "Пакет видео не запустился или был остановлен по истечении времени."));
}

void ConsoleFolderHost::ShowVideoProgress(const QString& batchFile, int done, int total)
{
    m_progress.Update(QStringLiteral("videos"), batchFile, done, total);
}
