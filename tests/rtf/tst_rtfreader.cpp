#include "files/VemoError.h"
#include "text/rtf/Rtf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QString CorpusPath(const QString& name)
{
    return QStringLiteral(VEMO_TESTDATA_DIR "/rtf/") + name;
}

// The comparison the corpus describes (on the raw text, which keeps U+00A0): paragraph and line breaks as LF,
// no trailing line ends, and list bullets (which some writers produce as text) taken off list lines.
QString Normalized(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    static const QRegularExpression bullet(QStringLiteral("^\\s*•\\s"), QRegularExpression::MultilineOption);
    text.remove(bullet);
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

QString TextOf(const QByteArray& rtf)
{
    QTextDocument doc;
    ReadRtf(rtf, doc);
    return doc.toRawText();
}

// The character format at the first occurrence of needle.
QTextCharFormat FormatAt(const QTextDocument& doc, const QString& needle)
{
    const int pos = doc.toPlainText().indexOf(needle);
    if (pos < 0)
        return {};
    const QTextBlock block = doc.findBlock(pos);
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().contains(pos))
            return it.fragment().charFormat();
    return {};
}

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void corpus_data();
    void corpus();
    void formats_data();
    void formats();
    void escapes_data();
    void escapes();
    void alignment_data();
    void alignment();
    void notRtf_data();
    void notRtf();
    void hostile_data();
    void hostile();
    void truncatedAndFlipped();
    void replacesContent();
};

void TestRtfReader::corpus_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("reference");
    const QDir dir(CorpusPath(QString()));
    for (const QString& name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name)) {
        const QString base = name.chopped(4);
        // A file that names no code page is read as Windows-1251, not as Windows-1252.
        const QString cp1251 = base + QStringLiteral(".cp1251.txt");
        const QString reference = dir.exists(cp1251) ? cp1251 : base + QStringLiteral(".txt");
        QTest::newRow(qPrintable(base)) << name << reference;
    }
}

void TestRtfReader::corpus()
{
    QFETCH(QString, rtf);
    QFETCH(QString, reference);
    const QString expected = Normalized(QString::fromUtf8(ReadFile(CorpusPath(reference))));
    QCOMPARE(Normalized(TextOf(ReadFile(CorpusPath(rtf)))), expected);
}

void TestRtfReader::formats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("value");

    const int family = QTextFormat::FontFamilies;
    const int size = QTextFormat::FontPointSize;
    const int weight = QTextFormat::FontWeight;
    const QString richedit = QStringLiteral("richedit_wine_build.rtf");
    const QString lo = QStringLiteral("lo_fonts_sizes.rtf");
    QTest::newRow("richedit bold") << richedit << "Жирный" << weight << QVariant(int(QFont::Bold));
    QTest::newRow("richedit italic") << richedit << "курсив" << int(QTextFormat::FontItalic)
                                     << QVariant(true);
    QTest::newRow("richedit underline") << richedit << "underlined" << int(QTextFormat::TextUnderlineStyle)
                                        << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("richedit strike") << richedit << "struck" << int(QTextFormat::FontStrikeOut)
                                     << QVariant(true);
    QTest::newRow("richedit red") << richedit << "red text" << int(QTextFormat::ForegroundBrush)
                                  << QVariant(QColor(255, 0, 0));
    QTest::newRow("richedit yellow highlight")
        << richedit << "yellow" << int(QTextFormat::BackgroundBrush) << QVariant(QColor(255, 255, 0));
    QTest::newRow("richedit 15 pt") << richedit << "Пятнадцать" << size << QVariant(15.0);
    QTest::newRow("richedit Arial") << richedit << "Пятнадцать" << family << QVariant(QStringList{"Arial"});
    QTest::newRow("richedit Courier")
        << richedit << "Braces" << family << QVariant(QStringList{"Courier New"});
    QTest::newRow("lo 10 pt") << lo << "Десять" << size << QVariant(10.0);
    QTest::newRow("lo 24 pt") << lo << "Двадцать" << size << QVariant(24.0);
    QTest::newRow("lo DejaVu") << lo << "DejaVu" << family << QVariant(QStringList{"DejaVu Sans"});
    QTest::newRow("lo Liberation") << lo << "ten points" << family
                                   << QVariant(QStringList{"Liberation Serif"});
    QTest::newRow("lo dark red") << lo << "Тёмно" << int(QTextFormat::ForegroundBrush)
                                 << QVariant(QColor(192, 0, 0));
    QTest::newRow("lo green background")
        << lo << "зелёный" << int(QTextFormat::BackgroundBrush) << QVariant(QColor(0, 255, 0));
    QTest::newRow("lo underline ends") << lo << " и " << int(QTextFormat::TextUnderlineStyle) << QVariant();
    QTest::newRow("pandoc bold") << "pandoc_notes_md.rtf"
                                 << "жирным" << weight << QVariant(int(QFont::Bold));
    QTest::newRow("pandoc group ends bold") << "pandoc_notes_md.rtf"
                                            << ", " << weight << QVariant();
    QTest::newRow("abiword highlight")
        << "abiword_fonts_sizes.rtf"
        << "зелёный" << int(QTextFormat::BackgroundBrush) << QVariant(QColor(0, 255, 0));
}

void TestRtfReader::formats()
{
    QFETCH(QString, file);
    QFETCH(QString, needle);
    QFETCH(int, property);
    QFETCH(QVariant, value);
    QTextDocument doc;
    ReadRtf(ReadFile(CorpusPath(file)), doc);
    QVERIFY2(doc.toPlainText().contains(needle), qPrintable(needle));
    const QTextCharFormat format = FormatAt(doc, needle);
    QVariant actual = format.property(property);
    if (actual.metaType() == QMetaType::fromType<QBrush>())
        actual = actual.value<QBrush>().color();
    QCOMPARE(actual, value);
}

void TestRtfReader::escapes_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no code page is 1251") << QByteArray("{\\rtf1 \\'cf\\'f0\\'e8}") << "При";
    QTest::newRow("ansicpg1252") << QByteArray("{\\rtf1\\ansi\\ansicpg1252 \\'e9}") << "é";
    QTest::newRow("fcharset 204 beats 1252")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 X;}}\\f0 \\'e0}") << "а";
    QTest::newRow("greek font") << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset161 G;}}\\f1 \\'e1}") << "α";
    QTest::newRow("shift-jis pair") << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset128 J;}}\\f1 \\'82\\'a0}")
                                    << "あ";
    QTest::newRow("koi8-r") << QByteArray("{\\rtf1\\ansicpg20866 \\'f0\\'d2\\'c9}") << "При";
    QTest::newRow("utf-8 code page") << QByteArray("{\\rtf1\\ansicpg65001 \\'d0\\'af}") << "Я";
    QTest::newRow("uc1 fallback") << QByteArray("{\\rtf1 \\u1044?x}") << "Дx";
    QTest::newRow("uc2 hex fallback") << QByteArray("{\\rtf1\\uc2 \\u1044\\'c4\\'c4x}") << "Дx";
    QTest::newRow("uc0 two spaces") << QByteArray("{\\rtf1\\uc0\\u1044  a}") << "Д a";
    QTest::newRow("fallback control word") << QByteArray("{\\rtf1 \\u8212\\emdash x}") << "—x";
    QTest::newRow("fallback ends at group") << QByteArray("{\\rtf1\\uc3 \\u1044{a}b}") << "Дab";
    QTest::newRow("uc restored by group") << QByteArray("{\\rtf1{\\uc0 \\u1044}\\u1044?}") << "ДД";
    QTest::newRow("negative u") << QByteArray("{\\rtf1 \\u-3946?}") << QString(QChar(0xF096));
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << "😀";
    QTest::newRow("pair across uc change") << QByteArray("{\\rtf1\\uc0 \\u55357\\uc1 \\u56832\\'3f}") << "😀";
    QTest::newRow("lone high surrogate") << QByteArray("{\\rtf1 \\u55357?x}") << "\uFFFDx";
    QTest::newRow("lone low surrogate") << QByteArray("{\\rtf1 \\u56832?x}") << "\uFFFDx";
    QTest::newRow("escaped specials") << QByteArray("{\\rtf1 \\{a\\}\\\\}") << "{a}\\";
    QTest::newRow("named characters") << QByteArray("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote"
                                                    "\\ldblquote\\rdblquote\\~\\_}")
                                      << "—–•‘’“”\u00A0\u2011";
    QTest::newRow("tab and line") << QByteArray("{\\rtf1 a\\tab b\\line c}") << "a\tb\u2028c";
    QTest::newRow("par sect page") << QByteArray("{\\rtf1 a\\par b\\sect c\\page d}")
                                   << "a\u2029b\u2029c\u2029d";
    QTest::newRow("final par adds nothing") << QByteArray("{\\rtf1 a\\par}") << "a";
    QTest::newRow("empty paragraphs kept") << QByteArray("{\\rtf1 a\\par\\par\\par}") << "a\u2029\u2029";
    QTest::newRow("backslash newline is par") << QByteArray("{\\rtf1 a\\\nb}") << "a\u2029b";
    QTest::newRow("line ends ignored") << QByteArray("{\\rtf1 a\r\nb\nc}") << "abc";
    QTest::newRow("starred group skipped") << QByteArray("{\\rtf1 a{\\*\\unknown x}b}") << "ab";
    QTest::newRow("starred result kept")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\*\\fldrslt link}}}") << "link";
    QTest::newRow("unstarred skips") << QByteArray("{\\rtf1 {\\info{\\title T}}{\\pict 0a0b}{\\nonshppict x}"
                                                   "{\\header h}{\\footnote f}ok}")
                                     << "ok";
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v hidden}\\v b\\v0 c}") << "ac";
    QTest::newRow("footnote mark numbered")
        << QByteArray("{\\rtf1 x{\\super\\chftn}{\\footnote\\chftn f}}") << "x1";
    QTest::newRow("font table not shown")
        << QByteArray("{\\rtf1{\\fonttbl\\f0 Arial;\\f1 Times;}{\\colortbl;\\red1;}x}") << "x";
    QTest::newRow("bin data skipped") << QByteArray("{\\rtf1 a{\\pict\\bin4 }}{x}b}") << "ab";
    QTest::newRow("upr shows ansi") << QByteArray("{\\rtf1 {\\upr{a}{\\*\\ud{b}}}}") << "a";
}

void TestRtfReader::escapes()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(TextOf(rtf), expected);
}

void TestRtfReader::alignment_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QList<int>>("expected");
    const int left = Qt::AlignLeft;
    QTest::newRow("centre") << QByteArray("{\\rtf1\\qc a}") << QList<int>{Qt::AlignHCenter};
    QTest::newRow("kept until pard") << QByteArray("{\\rtf1\\qr a\\par b\\par\\pard c}")
                                     << QList<int>{Qt::AlignRight, Qt::AlignRight, left};
    QTest::newRow("restored by group")
        << QByteArray("{\\rtf1{\\qj a\\par}b}") << QList<int>{Qt::AlignJustify, left};
    QTest::newRow("taken at the paragraph end")
        << QByteArray("{\\rtf1 a\\qc\\par b}") << QList<int>{Qt::AlignHCenter, Qt::AlignHCenter};
}

void TestRtfReader::alignment()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QList<int>, expected);
    QTextDocument doc;
    ReadRtf(rtf, doc);
    QList<int> actual;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        actual.append(int(block.blockFormat().alignment()));
    QCOMPARE(actual, expected);
}

void TestRtfReader::notRtf_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("plain text") << QByteArray("hello {\\rtf1}") << false;
    QTest::newRow("utf-16") << QByteArray("\xff\xfe{\0\\\0r\0t\0f\0", 12) << false;
    QTest::newRow("utf-8 bom") << QByteArray("\xef\xbb\xbf{\\rtf1 x}") << true;
    QTest::newRow("bom after space") << QByteArray(" \xef\xbb\xbf{\\rtf1 x}") << false;
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x02\x01\x01\0\0\0",
                                          10)
                            << false;
    QTest::newRow("upper case") << QByteArray("{\\RTF1 x}") << false;
    QTest::newRow("leading white space") << QByteArray(" \r\n\t{\\rtf1 x}") << true;
    QTest::newRow("no version") << QByteArray("{\\rtf\\ansi x}") << true;
}

void TestRtfReader::notRtf()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, rtf);
    QCOMPARE(IsRtf(data), rtf);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("before"));
    try {
        ReadRtf(data, doc);
        QVERIFY(rtf);
    } catch (const VemoError& error) {
        QVERIFY(!rtf);
        QCOMPARE(error.Message(), QStringLiteral("not valid RTF"));
        QCOMPARE(doc.toPlainText(), QStringLiteral("before"));
    }
}

void TestRtfReader::hostile_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("100000 nested groups")
        << "{\\rtf1 a" + QByteArray(100000, '{') + "b" + QByteArray(100000, '}') + "c}"
        << "abc";
    QTest::newRow("nested groups never closed") << "{\\rtf1 a" + QByteArray(100000, '{') + "b"
                                                << "ab";
    QTest::newRow("huge bin") << QByteArray("{\\rtf1 a\\bin999999999 xyz}") << "a";
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab";
    QTest::newRow("u far below range") << QByteArray("{\\rtf1 \\u-99999999?a}") << "\uFFFDa";
    QTest::newRow("u beyond the bmp") << QByteArray("{\\rtf1 \\u128512?a}") << "😀a";
    QTest::newRow("u beyond unicode") << QByteArray("{\\rtf1 \\u9999999?a}") << "\uFFFDa";
    QTest::newRow("huge uc") << QByteArray("{\\rtf1{\\uc99999 \\u1044 abc}d}") << "Дd";
    QTest::newRow("bad hex") << QByteArray("{\\rtf1 \\'zzq}") << "zzq";
    QTest::newRow("hex at end") << QByteArray("{\\rtf1 a\\'4") << "a4";
    QTest::newRow("backslash at end") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("40-letter word") << "{\\rtf1 a\\" + QByteArray(40, 'b') + " c}"
                                    << "ac";
    QTest::newRow("param over 2^31") << QByteArray("{\\rtf1 \\fs99999999999999999999 a\\cf-99999999999999 b}")
                                     << "ab";
    QTest::newRow("saturated u") << QByteArray("{\\rtf1 \\u99999999999999999999?a}") << "\uFFFDa";
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b\\'00c}\0\0", 17) << "abc";
    QTest::newRow("stray close") << QByteArray("{\\rtf1 a}}}b") << "a";
    QTest::newRow("early close") << QByteArray("{\\rtf1 {\\b a}} b\\}c}d") << "a b}c";
    QTest::newRow("after the last group") << QByteArray("{\\rtf1 a} trailing text") << "a";
    QTest::newRow("end inside font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << "";
    QTest::newRow("lone star") << QByteArray("{\\rtf1 a{\\*}b}") << "ab";
    QTest::newRow("many colours") << "{\\rtf1{\\colortbl" + QByteArray(100000, ';') + "}\\cf99999 x}"
                                  << "x";
    QTest::newRow("control characters") << QByteArray("{\\rtf1 a\x01\x1f\\'07b\tc}") << "ab\tc";
    QTest::newRow("undefined cp1251 byte") << QByteArray("{\\rtf1 \\'98}") << "\uFFFD";
    QTest::newRow("unknown ansicpg") << QByteArray("{\\rtf1\\ansicpg99999 \\'c0}") << "А";
}

void TestRtfReader::hostile()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(TextOf(rtf), expected);
    QVERIFY(timer.elapsed() < 5000);
}

// Every prefix of a corpus file, and the file with bytes changed, still reads: what comes before
// the damage is shown.
void TestRtfReader::truncatedAndFlipped()
{
    const QByteArray data = ReadFile(CorpusPath(QStringLiteral("richedit_wine_build.rtf")));
    const QString full = TextOf(data);
    for (qsizetype length = 5; length < data.size(); length += 7) {
        const QString text = TextOf(data.left(length));
        QVERIFY(full.startsWith(text.left(text.size() - 2)));
    }
    quint32 seed = 12345;
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = data;
        for (int flips = 0; flips < 4; ++flips) {
            seed = seed * 1103515245 + 12345;
            const qsizetype pos = 5 + qsizetype(seed >> 8) % (damaged.size() - 5);
            damaged[pos] = char(seed >> 24);
        }
        QTextDocument doc;
        ReadRtf(damaged, doc);
    }
    const QString tail = QStringLiteral("Конец. The end.");
    QVERIFY(full.endsWith(tail));
}

void TestRtfReader::replacesContent()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old\ntext"));
    ReadRtf("{\\rtf1 new}", doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("new"));
    QCOMPARE(doc.blockCount(), 1);
}

QTEST_GUILESS_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
