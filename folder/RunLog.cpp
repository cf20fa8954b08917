#include "folder/RunLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>

RunLog::RunLog(const QString& folderName) : m_path(QDir(folderName).filePath(FileName)) {}

bool RunLog::Add(const QString& text)
{
    QString entry = QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' + text;
    entry.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (entry.endsWith(u'\n'))
        entry.chop(1);
    entry.replace(u'\n', QStringLiteral("\n    "));
    const QByteArray bytes = (entry + u'\n').toUtf8();
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_failure = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        m_failure = file.errorString();
        return false;
    }
    return true;
}

QSet<QString> RunLog::StoppedBooks() const
{
    QSet<QString> stopped;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return stopped;
    const QString book = QStringLiteral("book ");
    QTextStream in(&file);
    for (QString line; in.readLineInto(&line);) {
        const QString entry = line.section(u' ', 1);
        if (!entry.startsWith(book))
            continue;
        // The outcome is the first one named: what follows it (an error) may name others.
        qsizetype first = -1;
        bool wasStopped = false;
        for (const QString& outcome : {Done, Failed, Stopped, Skipped}) {
            const qsizetype at = entry.indexOf(outcome);
            if (at >= 0 && (first < 0 || at < first)) {
                first = at;
                wasStopped = outcome == Stopped;
            }
        }
        if (first < 0)
            continue;
        const QString textFile = entry.mid(book.size(), first - book.size());
        if (wasStopped)
            stopped.insert(textFile);
        else
            stopped.remove(textFile);
    }
    return stopped;
}
