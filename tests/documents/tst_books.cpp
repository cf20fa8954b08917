// The book readers on files made by other programs, detection by content, books with the
// edge cases of their formats, and damaged or hostile containers.
#include "documents/TextDocumentIO.h"
#include "documents/books/BookReader.h"
#include "documents/books/ZipArchive.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <sys/resource.h>

namespace {

const QString Books = QStringLiteral(VEMO_BOOKS_DIR);

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

using ZipEntries = QList<std::pair<QString, QByteArray>>;

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void Put(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char(i < 4 ? (value >> (8 * i)) & 0xFF : 0));
}

// A zip archive of the entries, stored uncompressed, written here byte by byte: quick even
// for tens of thousands of entries.
QByteArray ZipBytes(const ZipEntries& entries)
{
    QByteArray local;
    QByteArray central;
    for (const auto& [name, bytes] : entries) {
        const QByteArray utf8 = name.toUtf8();
        const quint32 offset = quint32(local.size());
        const quint32 crc = Crc32(bytes);
        Put(local, 0x04034B50, 4);
        Put(local, 20, 2);
        Put(local, 0x0800, 2); // UTF-8 names
        Put(local, 0, 2);      // stored
        Put(local, 0, 4);      // time and date
        Put(local, crc, 4);
        Put(local, quint32(bytes.size()), 4);
        Put(local, quint32(bytes.size()), 4);
        Put(local, quint32(utf8.size()), 2);
        Put(local, 0, 2);
        local += utf8 + bytes;
        Put(central, 0x02014B50, 4);
        Put(central, 20, 2);
        Put(central, 20, 2);
        Put(central, 0x0800, 2);
        Put(central, 0, 2);
        Put(central, 0, 4);
        Put(central, crc, 4);
        Put(central, quint32(bytes.size()), 4);
        Put(central, quint32(bytes.size()), 4);
        Put(central, quint32(utf8.size()), 2);
        Put(central, 0, 2 + 2 + 2 + 2 + 4);
        Put(central, offset, 4);
        central += utf8;
    }
    QByteArray zip = local + central;
    const quint32 count = quint32(qMin<qsizetype>(entries.size(), 0xFFFF));
    Put(zip, 0x06054B50, 4);
    Put(zip, 0, 4);
    Put(zip, count, 2);
    Put(zip, count, 2);
    Put(zip, quint32(central.size()), 4);
    Put(zip, quint32(local.size()), 4);
    Put(zip, 0, 2);
    return zip;
}

void WriteZip(const QString& path, const ZipEntries& entries)
{
    WriteBytes(path, ZipBytes(entries));
}

// An EPUB of the given chapters, in the order given.
ZipEntries Epub(const QString& title, const QStringList& chapters)
{
    ZipEntries entries{
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<container><rootfiles><rootfile full-path=\"OPS/book.opf\"/></rootfiles></container>"}};
    QString manifest;
    QString spine;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        manifest +=
            QStringLiteral("<item id=\"c%1\" href=\"text/c%1.xhtml\" media-type=\"application/xhtml+xml\"/>")
                .arg(i);
        spine += QStringLiteral("<itemref idref=\"c%1\"/>").arg(i);
        entries.append({QStringLiteral("OPS/text/c%1.xhtml").arg(i), chapters.at(i).toUtf8()});
    }
    const QString opf = QStringLiteral("<package xmlns=\"http://www.idpf.org/2007/opf\"><metadata "
                                       "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>%1</dc:title>"
                                       "</metadata><manifest>%2</manifest><spine>%3</spine></package>")
                            .arg(title, manifest, spine);
    entries.append({"OPS/book.opf", opf.toUtf8()});
    return entries;
}

// The document in the references' markup: one paragraph a line, "# " before a heading,
// **bold**, *italic*, ***both*** (but for a heading's own formatting, which its style gives).
QString Markup(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const bool heading = block.blockFormat().headingLevel() > 0;
        QString line = heading ? QStringLiteral("# ") : QString();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const bool bold = !heading && fragment.charFormat().fontWeight() >= QFont::Bold;
            const bool italic = !heading && fragment.charFormat().fontItalic();
            const QString mark = QString(bold ? 2 : 0, u'*') + QString(italic ? 1 : 0, u'*');
            line += mark + fragment.text() + mark;
        }
        line.replace(QStringLiteral("**"
                                    "**"),
                     QString()); // runs of one style split in two
        lines.append(line);
    }
    return lines.join(u'\n');
}

QString Reference(const QString& name)
{
    return QString::fromUtf8(ReadBytes(Books + u'/' + name)).trimmed();
}

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const VemoError& e) {
        return e.Message();
    }
    return {};
}

long PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

class TestBooks : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void readsMadeBooks_data();
    void readsMadeBooks();
    void detectsByContent_data();
    void detectsByContent();
    void readsFormatDetails_data();
    void readsFormatDetails();
    void refusesBadContainers_data();
    void refusesBadContainers();
    void readsTenThousandChapters();
    void namesBaseOfBook_data();
    void namesBaseOfBook();

private:
    QTemporaryDir m_dir;
};

void TestBooks::readsMadeBooks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("format");
    const QString reference = QStringLiteral("book.reference.txt");
    QTest::newRow("FB2, pandoc") << "book.fb2" << reference << int(BookFormat::Fb2);
    QTest::newRow("FB2 zipped") << "book.fb2.zip" << reference << int(BookFormat::Fb2Zip);
    QTest::newRow("EPUB, pandoc") << "book.epub" << reference << int(BookFormat::Epub);
    QTest::newRow("DOCX, pandoc") << "book.docx" << reference << int(BookFormat::Docx);
    QTest::newRow("DOCX, LibreOffice") << "book-lo.docx" << reference << int(BookFormat::Docx);
    QTest::newRow("ODT, pandoc") << "book.odt" << reference << int(BookFormat::Odt);
    QTest::newRow("ODT, LibreOffice") << "book-lo.odt" << reference << int(BookFormat::Odt);
    QTest::newRow("HTML, pandoc") << "book.html" << reference << int(BookFormat::Html);
    QTest::newRow("HTML, LibreOffice") << "book-lo.html"
                                       << "book-lo-html.reference.txt" << int(BookFormat::Html);
}

// Each book reads to its reference with headings, bold and italic, and to the same words
// without marks in plain-text mode; its title comes from its metadata.
void TestBooks::readsMadeBooks()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QFETCH(int, format);
    const QString path = Books + u'/' + file;
    QTextDocument rich;
    LoadedFormat loaded;
    LoadDocument(path, false, rich, NoCharacterLimit, &loaded);
    QCOMPARE(Markup(rich), Reference(reference));
    QCOMPARE(int(loaded.format), format);
    if (!file.startsWith(QStringLiteral("book-lo.html")))
        QCOMPARE(loaded.title, QStringLiteral("Сказка о двух языках"));

    QTextDocument plain;
    LoadDocument(path, true, plain);
    QString words = Reference(reference);
    words.remove(QStringLiteral("# ")).remove(u'*');
    QCOMPARE(plain.toPlainText(), words);
    QVERIFY(plain.begin().charFormat().fontWeight() < QFont::Bold);
}

void TestBooks::detectsByContent_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::newRow("FB2 named .txt") << "book.fb2"
                                    << "book.txt";
    QTest::newRow("EPUB without extension") << "book.epub"
                                            << "book";
    QTest::newRow("DOCX named .odt") << "book.docx"
                                     << "book.odt";
    QTest::newRow("ODT named .docx") << "book.odt"
                                     << "book.docx";
    QTest::newRow("zipped FB2 named .epub") << "book.fb2.zip"
                                            << "book.epub";
    QTest::newRow("HTML named .txt") << "book.html"
                                     << "notes.txt";
}

void TestBooks::detectsByContent()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QVERIFY(QFile::copy(Books + u'/' + file, path));
    QTextDocument document;
    LoadDocument(path, false, document);
    QCOMPARE(Markup(document), Reference(QStringLiteral("book.reference.txt")));
}

void TestBooks::readsFormatDetails_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("title");
    const QByteArray fb2Head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook "
                               "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
                               "xmlns:l=\"http://www.w3.org/1999/xlink\">";
    QTest::newRow("FB2 notes left out")
        << "notes.fb2"
        << fb2Head +
               "<body><section><p>Текст<a l:href=\"#n1\" type=\"note\">[1]</a> дальше.</p></section></body>"
               "<body name=\"notes\"><section id=\"n1\"><p>Примечание.</p></section></body></FictionBook>"
        << "Текст дальше."
        << "";
    QTest::newRow("FB2 in Windows-1251, poem and nested sections")
        << "cp1251.fb2"
        << QByteArray(
               "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook "
               "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
               "<book-title>\xCA\xED\xE8\xE3\xE0</book-title></title-info></description><body><section>"
               "<section><title><p>\xC3\xEB\xE0\xE2\xE0</p></title><poem><stanza><v>One</v><v>Two</v>"
               "</stanza></poem><empty-line/><image l:href=\"#x\"/></section></section></body>"
               "<binary id=\"x\">AAAA</binary></FictionBook>")
        << "# Глава\nOne\nTwo"
        << "Книга";
    QTest::newRow("HTML without end tags, entities, script")
        << "page.html"
        << QByteArray("<!DOCTYPE html><html><head><title>Caf&eacute; &amp; &laquo;Кот&raquo;</title>"
                      "<script>var a = '<p>no</p>';</script><style>p > b {}</style></head><body>"
                      "<p>Один &mdash; <B>two</B>&nbsp;&#1090;&#x440;&#x438;<p>Second<br>line"
                      "<img src=\"/dev/zero\"><h3>Head &lt;3&gt;</h3><i>tail</body></html>")
        << QStringLiteral("Один — **two**\u00A0три\nSecond\u2028line\n# Head <3>\n*tail*")
        << "Caf&eacute; & «Кот»";
    const QByteArray w =
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body>";
    const QByteArray styles =
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:style w:styleId=\"Gl\"><w:name w:val=\"heading 2\"/></w:style>"
        "<w:style w:styleId=\"Loud\"><w:rPr><w:b/></w:rPr></w:style></w:styles>";
    QTest::newRow("DOCX styles, fields, deletions, switched-off bold")
        << "details.docx"
        << ZipBytes(
               {{"word/styles.xml", styles},
                {"word/document.xml",
                 w + "<w:p><w:pPr><w:pStyle w:val=\"Gl\"/></w:pPr><w:r><w:t>Глава</w:t></w:r></w:p>"
                     "<w:p><w:r><w:rPr><w:rStyle w:val=\"Loud\"/></w:rPr><w:t>loud</w:t></w:r>"
                     "<w:r><w:instrText> PAGE </w:instrText></w:r><w:del><w:r><w:delText>gone</w:delText>"
                     "</w:r></w:del><w:r><w:rPr><w:b w:val=\"0\"/><w:i/></w:rPr><w:t xml:space=\"preserve\">"
                     " quiet</w:t></w:r><w:r><w:br/><w:t>next</w:t></w:r></w:p></w:body></w:document>"}})
        << QStringLiteral("# Глава\n**loud*** quiet\u2028*next") << "";
    const QByteArray odf =
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\">";
    QTest::newRow("ODT inherited styles, notes, spaces")
        << "details.odt"
        << ZipBytes(
               {{"mimetype", "application/vnd.oasis.opendocument.text"},
                {"content.xml",
                 odf +
                     "<office:automatic-styles><style:style style:name=\"B\" style:family=\"text\">"
                     "<style:text-properties fo:font-weight=\"700\"/></style:style>"
                     "<style:style style:name=\"B2\" style:family=\"text\" style:parent-style-name=\"B\">"
                     "<style:text-properties fo:font-style=\"italic\"/></style:style>"
                     "</office:automatic-styles><office:body><office:text><text:list><text:list-item><text:p>"
                     "Один<text:s text:c=\"3\"/><text:span text:style-name=\"B2\">два</text:span>"
                     "<text:note><text:note-body><text:p>сноска</text:p></text:note-body></text:note>"
                     "</text:p></text:list-item></text:list><text:h text:outline-level=\"3\">Three</text:h>"
                     "</office:text></office:body></office:document-content>"}})
        << QStringLiteral("Один ***два***\n# Three") << "";
    QTest::newRow("HTML footnotes and stray end tags")
        << "notes.htm"
        << QByteArray(
               "<html><body></b><p>Text<a epub:type=\"noteref\" href=\"#f\">1</a>.</i></p>"
               "<aside epub:type=\"footnote\"><p>Note</p></aside><div title=\"footer\">7</div></body></html>")
        << "Text."
        << "";
}

void TestBooks::readsFormatDetails()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(QString, title);
    const QString path = m_dir.filePath(name);
    WriteBytes(path, bytes);
    QTextDocument document;
    LoadedFormat loaded;
    LoadDocument(path, false, document, NoCharacterLimit, &loaded);
    QCOMPARE(Markup(document), expected);
    QCOMPARE(loaded.title, title);
}

void TestBooks::refusesBadContainers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QByteArray epub = ReadBytes(Books + QStringLiteral("/book.epub"));
    const QByteArray docx = ReadBytes(Books + QStringLiteral("/book.docx"));
    WriteBytes(m_dir.filePath("cut.epub"), epub.left(epub.size() / 2));
    QTest::newRow("EPUB cut in half") << "cut.epub"
                                      << "неполный zip-архив";
    WriteBytes(m_dir.filePath("cut.docx"), docx.left(docx.size() - 30));
    QTest::newRow("DOCX without its last bytes") << "cut.docx"
                                                 << "неполный zip-архив";
    QByteArray damaged = docx;
    const qsizetype body = damaged.indexOf("word/document.xml") + 200;
    for (qsizetype i = body; i < body + 64; ++i)
        damaged[i] = char(damaged[i] ^ 0x5A);
    WriteBytes(m_dir.filePath("damaged.docx"), damaged);
    QTest::newRow("DOCX with damaged packed data") << "damaged.docx"
                                                   << "повреждён";
    QVERIFY(QFile::copy(Books + QStringLiteral("/bomb.docx"), m_dir.filePath("bomb.docx")));
    QTest::newRow("zip bomb") << "bomb.docx"
                              << "больше чем в 256 МБ";
    WriteBytes(m_dir.filePath("laughs.fb2"),
               "<?xml version=\"1.0\"?><!DOCTYPE FictionBook [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
               "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
               "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
               "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
               "<FictionBook><body><p>&e;&e;&e;&e;&e;&e;&e;&e;</p></body></FictionBook>");
    QTest::newRow("XML entity bomb") << "laughs.fb2"
                                     << "entity";
    ZipEntries many;
    for (int i = 0; i <= ZipArchive::MaxEntries; ++i)
        many.append({QStringLiteral("f%1").arg(i), QByteArray()});
    WriteZip(m_dir.filePath("many.epub"), many);
    QTest::newRow("50,001 entries") << "many.epub"
                                    << "больше допустимых 50000";
    WriteBytes(m_dir.filePath("plain.epub"), "just text");
    QTest::newRow("EPUB that is no zip") << "plain.epub"
                                         << "это не zip-архив";
    WriteZip(m_dir.filePath("other.zip"), {{"a.txt", "text"}});
    QTest::newRow("zip without a book") << "other.zip"
                                        << "zip-архив не книга";
    ZipEntries missing = Epub(QStringLiteral("T"), {QStringLiteral("<p>x</p>")});
    missing.removeIf([](const auto& entry) { return entry.first.endsWith(QStringLiteral(".xhtml")); });
    WriteZip(m_dir.filePath("hollow.epub"), missing);
    QTest::newRow("EPUB without its chapter") << "hollow.epub"
                                              << "нет главы";
    QByteArray nested =
        "<FictionBook><body>" + QByteArray("<section>").repeated(100000) + "</body></FictionBook>";
    WriteBytes(m_dir.filePath("deep.fb2"), nested);
    QTest::newRow("FB2 nested 100,000 deep") << "deep.fb2"
                                             << "вложенность";
}

// Each fails with a message that names the file, quickly, without taking much memory, and
// leaves the document as it was.
void TestBooks::refusesBadContainers()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(name);
    QTextDocument document;
    document.setPlainText(QStringLiteral("kept"));
    const long peakBefore = PeakMegabytes();
    QElapsedTimer timer;
    timer.start();
    const QString error = ErrorOf([&] { LoadDocument(path, false, document); });
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(error.contains(path) && error.contains(message), qPrintable(error));
    QVERIFY2(PeakMegabytes() - peakBefore < 300, qPrintable(QString::number(PeakMegabytes() - peakBefore)));
    QCOMPARE(document.toPlainText(), QStringLiteral("kept"));
}

// A book of 10,000 chapters reads whole, in the order of its spine, in bounded time.
void TestBooks::readsTenThousandChapters()
{
    QStringList chapters;
    for (int i = 0; i < 10000; ++i)
        chapters.append(QStringLiteral("<html><body><h1>Глава %1</h1><p>Text %1.</p></body></html>").arg(i));
    std::reverse(chapters.begin(), chapters.end());
    ZipEntries entries = Epub(QStringLiteral("Long"), chapters);
    const QString path = m_dir.filePath(QStringLiteral("long.epub"));
    WriteZip(path, entries);
    QElapsedTimer timer;
    timer.start();
    QTextDocument document;
    LoadedFormat loaded;
    LoadDocument(path, false, document, NoCharacterLimit, &loaded);
    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(loaded.title, QStringLiteral("Long"));
    QCOMPARE(document.blockCount(), 20000);
    QCOMPARE(document.begin().text(), QStringLiteral("Глава 9999"));
    QCOMPARE(document.lastBlock().text(), QStringLiteral("Text 0."));
}

void TestBooks::namesBaseOfBook_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("base");
    QTest::newRow("zipped FB2") << "/b/tale.fb2.zip"
                                << "/b/tale";
    QTest::newRow("upper case") << "/b/TALE.FB2.ZIP"
                                << "/b/TALE";
    QTest::newRow("EPUB") << "/b/tale.epub"
                          << "/b/tale";
    QTest::newRow("other zip") << "/b/tale.zip"
                               << "/b/tale";
    QTest::newRow("dot in folder") << "/b.c/tale"
                                   << "/b.c/tale";
    QTest::newRow("nothing before .fb2.zip") << "/b/.fb2.zip"
                                             << "/b/.fb2";
}

void TestBooks::namesBaseOfBook()
{
    QFETCH(QString, file);
    QFETCH(QString, base);
    QCOMPARE(BookFileBase(file), base);
}

QTEST_MAIN(TestBooks)
#include "tst_books.moc"
