#include "folder/RunLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

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
