#include "folder/ConsoleFolderHost.h"

#include "main/TextDocumentIO.h"

#include <QDir>
#include <QTextDocument>
#include <cstdio>

void ConsoleFolderHost::Print(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

void ConsoleFolderHost::ShowTextFile(const QString& textFile, int number, int count)
{
    Print(QStringLiteral("[%1/%2] %3").arg(number).arg(count).arg(QDir::toNativeSeparators(textFile)));
}

// As the main window holds a file after Open: RTF read as a document when the bytes are
// RTF, plain text otherwise.
QString ConsoleFolderHost::LoadText(const QString& textFile)
{
    QTextDocument document;
    LoadDocument(textFile, false, document);
    return DocumentPlainText(document);
}

void ConsoleFolderHost::Log(const QString& line)
{
    Print(line);
}

void ConsoleFolderHost::Beep(int times)
{
    Print(times > 1 ? QStringLiteral("The video batch has run.")
                    : QStringLiteral("The video batch could not be run or was stopped at its time limit."));
}
