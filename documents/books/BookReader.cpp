#include "documents/books/BookReader.h"

#include "documents/books/BookWriter.h"
#include "documents/books/DocxReader.h"
#include "documents/books/EpubReader.h"
#include "documents/books/Fb2Reader.h"
#include "documents/books/HtmlReader.h"
#include "documents/books/OdtReader.h"
#include "documents/books/ZipArchive.h"
#include "files/MessageLanguage.h"
#include "text/rtf/Rtf.h"

#include <QFileInfo>
#include <QTextDocument>

namespace {

const QString Fb2ZipSuffix = QStringLiteral(".fb2.zip");

bool HasSuffix(const QString& source, QStringView suffix)
{
    return source.endsWith(suffix, Qt::CaseInsensitive);
}

// The FB2 book a zip holds: the entry named *.fb2, else the first whose content is FB2.
QString Fb2Entry(ZipArchive& archive)
{
    for (const QString& name : archive.Names())
        if (HasSuffix(name, u".fb2"))
            return name;
    return {};
}

BookFormat ZipFormat(ZipArchive& archive)
{
    if (IsDocx(archive))
        return BookFormat::Docx;
    if (IsOdt(archive))
        return BookFormat::Odt;
    if (IsEpub(archive))
        return BookFormat::Epub;
    if (!Fb2Entry(archive).isEmpty())
        return BookFormat::Fb2Zip;
    ThrowBookError(archive.Source(), Say("the zip archive is not a book: it holds no EPUB, DOCX, ODT or FB2",
                                         "zip-архив не книга: в нём нет ни EPUB, ни DOCX, ни ODT, ни FB2"));
}

BookFormat FormatByExtension(const QString& source)
{
    for (const auto& [suffix, format] : {std::pair{u".fb2", BookFormat::Fb2},
                                         {u".epub", BookFormat::Epub},
                                         {u".docx", BookFormat::Docx},
                                         {u".odt", BookFormat::Odt},
                                         {u".htm", BookFormat::Html},
                                         {u".html", BookFormat::Html},
                                         {u".xhtml", BookFormat::Html},
                                         {u".fb2.zip", BookFormat::Fb2Zip}})
        if (HasSuffix(source, suffix))
            return format;
    return BookFormat::PlainText;
}

void ReadContainer(const QByteArray& bytes, BookFormat format, BookWriter& out)
{
    ZipArchive archive(bytes, out.Source());
    const BookFormat found = ZipFormat(archive);
    if (found != format)
        ThrowBookError(out.Source(), Say("the archive's contents do not match its kind",
                                         "содержимое архива не совпадает с его видом"));
    switch (format) {
    case BookFormat::Epub:
        ReadEpub(archive, out);
        break;
    case BookFormat::Docx:
        ReadDocx(archive, out);
        break;
    case BookFormat::Odt:
        ReadOdt(archive, out);
        break;
    default:
        ReadFb2(archive.Read(Fb2Entry(archive)), out);
    }
}

} // namespace

BookFormat DetectBookFormat(const QByteArray& bytes, const QString& source)
{
    if (ZipArchive::LooksLikeZip(bytes)) {
        ZipArchive archive(bytes, source);
        return ZipFormat(archive);
    }
    if (IsRtf(bytes))
        return BookFormat::Rtf;
    if (LooksLikeFb2(bytes))
        return BookFormat::Fb2;
    if (LooksLikeHtml(bytes))
        return BookFormat::Html;
    const BookFormat byExtension = FormatByExtension(source);
    // A container by its extension that is no zip: refused as that container when read.
    return byExtension;
}

bool IsBook(BookFormat format)
{
    return format != BookFormat::PlainText && format != BookFormat::Rtf;
}

QString ReadBook(const QByteArray& bytes, BookFormat format, const QString& source, QTextDocument& document,
                 qsizetype maxCharacters)
{
    BookWriter out(document, source, maxCharacters);
    switch (format) {
    case BookFormat::Fb2:
        ReadFb2(bytes, out);
        break;
    case BookFormat::Html:
        ReadHtml(bytes, out);
        break;
    case BookFormat::Epub:
    case BookFormat::Docx:
    case BookFormat::Odt:
    case BookFormat::Fb2Zip:
        if (!ZipArchive::LooksLikeZip(bytes))
            ThrowBookError(source, Say("this is not a zip archive, and a book of this kind is one",
                                       "это не zip-архив, а книга этого вида — архив"));
        ReadContainer(bytes, format, out);
        break;
    default:
        ThrowBookError(source, Say("this is not a book", "это не книга"));
    }
    return out.title;
}

QStringList BookFormatNames()
{
    return {QStringLiteral("txt"),  QStringLiteral("fb2"), QStringLiteral("epub"),
            QStringLiteral("docx"), QStringLiteral("odt"), QStringLiteral("html")};
}

QStringList BookFileMasks(const QStringList& formatNames)
{
    QStringList masks;
    for (const QString& name : formatNames) {
        if (name == u"fb2")
            masks << QStringLiteral("*.fb2") << QStringLiteral("*.fb2.zip");
        else if (name == u"html")
            masks << QStringLiteral("*.html") << QStringLiteral("*.htm") << QStringLiteral("*.xhtml");
        else
            masks << QStringLiteral("*.") + name;
    }
    return masks;
}

QString BookFileBase(const QString& fileName)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    if (HasSuffix(fileName, Fb2ZipSuffix) && fileName.size() - Fb2ZipSuffix.size() > slash + 1)
        return fileName.left(fileName.size() - Fb2ZipSuffix.size());
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > slash ? fileName.left(dot) : fileName;
}
