#include "soundfile/PartFileNames.h"

#include "documents/books/BookReader.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

const QString Mp3Extension = QStringLiteral(".mp3");
const QString WavExtension = QStringLiteral(".wav");

// Position of the extension's dot in the last component of the name, or -1.
qsizetype ExtensionDot(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype slash = fileName.lastIndexOf(u'/');
    return dot > slash ? dot : -1;
}

} // namespace

PartFileNames::PartFileNames(QString wholeWav, QString base, QString separator, QString partExtension)
    : m_wholeWav(std::move(wholeWav)), m_base(std::move(base)), m_separator(std::move(separator)),
      m_partExtension(std::move(partExtension))
{}

PartFileNames PartFileNames::ForChosenName(const QString& chosenFileName)
{
    const qsizetype dot = ExtensionDot(chosenFileName);
    const QString extension = dot < 0 ? QString() : chosenFileName.mid(dot);
    return PartFileNames(chosenFileName, WithoutExtension(chosenFileName), QString(), extension);
}

PartFileNames PartFileNames::ForTextFile(const QString& textFileName, bool withoutExtension)
{
    const QString base = withoutExtension ? BookFileBase(textFileName) : textFileName;
    return PartFileNames(base + WavExtension, base, QStringLiteral(" "), WavExtension);
}

QString PartFileNames::WavName(bool divide, int partNumber) const
{
    return divide ? m_base + m_separator + PartNumberText(partNumber) + m_partExtension : m_wholeWav;
}

QString PartFileNames::Mp3Name(bool divide, int partNumber) const
{
    return divide ? m_base + m_separator + PartNumberText(partNumber) + Mp3Extension : m_base + Mp3Extension;
}

QString PartFileNames::PartNumberText(int partNumber)
{
    return QStringLiteral("%1").arg(partNumber, 3, 10, QChar(u'0'));
}

QString PartFileNames::WithoutExtension(const QString& fileName)
{
    const qsizetype dot = ExtensionDot(fileName);
    return dot < 0 ? fileName : fileName.left(dot);
}

QString PartFileNames::TemporaryName(const QString& fileName)
{
    return fileName + QStringLiteral(".part");
}

void PartFileNames::Publish(const QString& fileName)
{
    const QString temporary = TemporaryName(fileName);
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(fileName).constData()) != 0)
        throw VemoError(
            Say("Could not rename \"%1\" to \"%2\": %3", "Не удалось переименовать «%1» в «%2»: %3")
                .arg(temporary, fileName, QString::fromLocal8Bit(std::strerror(errno))));
}
