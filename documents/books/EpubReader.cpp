#include "documents/books/EpubReader.h"

#include "documents/books/BookWriter.h"
#include "documents/books/BookXml.h"
#include "documents/books/HtmlReader.h"
#include "documents/books/ZipArchive.h"
#include "files/MessageLanguage.h"

#include <QHash>
#include <QUrl>

namespace {

const QString ContainerFile = QStringLiteral("META-INF/container.xml");

struct ManifestItem
{
    QString href;
    QString mediaType;
};

struct Package
{
    QString title;
    QHash<QString, ManifestItem> manifest; // by id
    QStringList spine;                     // ids of the linear documents, in reading order
};

QString PackagePath(ZipArchive& archive)
{
    BookXmlReader xml(archive.Read(ContainerFile), archive.Source(), ContainerFile);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"rootfile") {
            const QString path = AttributeValue(xml.attributes(), u"full-path");
            if (!path.isEmpty())
                return path;
        }
    }
    xml.ThrowIfError();
    ThrowBookError(archive.Source(), Say("META-INF/container.xml names no package file",
                                         "в META-INF/container.xml не указан файл описания книги"));
}

Package ReadPackage(ZipArchive& archive, const QString& path)
{
    Package package;
    BookXmlReader xml(archive.Read(path), archive.Source(), path);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"title" && xml.namespaceUri() == u"http://purl.org/dc/elements/1.1/") {
            const QString title = xml.ElementText().simplified();
            if (package.title.isEmpty())
                package.title = title;
        } else if (xml.name() == u"item") {
            package.manifest.insert(
                AttributeValue(attributes, u"id"),
                {AttributeValue(attributes, u"href"), AttributeValue(attributes, u"media-type")});
        } else if (xml.name() == u"itemref" && AttributeValue(attributes, u"linear") != u"no") {
            package.spine.append(AttributeValue(attributes, u"idref"));
        }
    }
    xml.ThrowIfError();
    return package;
}

// An href of the package, relative to the package file's folder, as a name in the archive.
QString EntryName(const QString& packagePath, const QString& href)
{
    const qsizetype slash = packagePath.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : packagePath.left(slash + 1);
    QString path = QUrl::fromPercentEncoding(href.section(u'#', 0, 0).toUtf8());
    QStringList parts;
    for (const QString& part : (folder + path).split(u'/')) {
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!part.isEmpty() && part != u".") {
            parts.append(part);
        }
    }
    return parts.join(u'/');
}

bool IsHtmlDocument(const QString& mediaType)
{
    return mediaType == u"application/xhtml+xml" || mediaType == u"text/html";
}

} // namespace

bool IsEpub(const ZipArchive& archive)
{
    return archive.Contains(ContainerFile) && !archive.Contains(QStringLiteral("word/document.xml")) &&
           !archive.Contains(QStringLiteral("content.xml"));
}

void ReadEpub(ZipArchive& archive, BookWriter& out)
{
    const QString packagePath = PackagePath(archive);
    const Package package = ReadPackage(archive, packagePath);
    out.title = package.title;
    for (const QString& id : package.spine) {
        const auto item = package.manifest.constFind(id);
        if (item == package.manifest.constEnd() || !IsHtmlDocument(item->mediaType))
            continue;
        const QString entry = EntryName(packagePath, item->href);
        if (!archive.Contains(entry))
            ThrowBookError(archive.Source(),
                           Say("the archive has no chapter \"%1\"", "в архиве нет главы «%1»").arg(entry));
        // A chapter's own title (the head's) is not the book's.
        const QString title = out.title;
        ReadHtml(archive.Read(entry), out);
        out.title = title;
    }
    out.Finish();
}
