#include "RtfRuns.h"
#include "text/rtf/Rtf.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

// Bilingual text with every kind of formatting the writer knows.
const char* const kDocument =
    "<p>Вемо читает вслух. <b>Жирный bold</b>, <i>курсив italic</i>, <u>подчёркнутый underlined</u>, "
    "<s>зачёркнутый struck</s>.</p>"
    "<p><span style='font-size:15pt; font-family:Liberation Serif'>Пятнадцать пунктов, fifteen "
    "points.</span></p>"
    "<p><span style='color:#ff0000'>Красный red</span> и <span style='background-color:#ffff00'>жёлтый фон "
    "yellow</span>, <span style='color:#123456; background-color:#a0c0e0'>other colours</span>.</p>"
    "<p align=center>По центру, E = mc<sup>2</sup>, H<sub>2</sub>O.</p>"
    "<p>Первая строка,<br/>вторая строка.\tTab; {braces} back\\slash</p>"
    "<p>Вне cp1251: α ≈ 😀 € № «ёлочки» — тире.</p>";

// LibreOffice gives East Asian text sizes of their own (\dbch\afs), which the reader does not
// follow, so such text is only compared as text.
const char* const kEastAsian = "<p>中文 語 — ideographs.</p>";

QString Normalized(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

// Files the writer produces open in LibreOffice with the same text and formatting.
class TestRtfLibreOffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameText();
    void sameFormatting();

private:
    QString Convert(const QString& name, const QTextDocument& document, const QString& filter,
                    const QString& extension);

    QTemporaryDir m_dir;
    QString m_soffice;
    QTextDocument m_document;
};

void TestRtfLibreOffice::initTestCase()
{
    m_soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (m_soffice.isEmpty())
        QSKIP("soffice is not installed");
    QVERIFY(m_dir.isValid());
    m_document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    m_document.setHtml(QString::fromUtf8(kDocument));
}

// Writes the document as NAME.rtf and lets LibreOffice convert it; returns the converted file.
QString TestRtfLibreOffice::Convert(const QString& name, const QTextDocument& document, const QString& filter,
                                    const QString& extension)
{
    const QString written = m_dir.filePath(name + QStringLiteral(".rtf"));
    QFile file(written);
    if (!file.open(QIODevice::WriteOnly) || file.write(WriteRtf(document)) < 0)
        return {};
    file.close();
    const QString out = m_dir.filePath(extension);
    QProcess process;
    process.start(m_soffice, {QStringLiteral("-env:UserInstallation=file://") +
                                  m_dir.filePath(QStringLiteral("profile")),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter, written,
                              QStringLiteral("--outdir"), out});
    if (!process.waitForFinished(120000))
        process.kill();
    return out + u'/' + name + u'.' + extension;
}

void TestRtfLibreOffice::sameText()
{
    QTextDocument document;
    document.setHtml(QString::fromUtf8(kDocument) + QString::fromUtf8(kEastAsian));
    QFile converted(Convert(QStringLiteral("text"), document, QStringLiteral("txt:Text (encoded):UTF8,LF,,,"),
                            QStringLiteral("txt")));
    QVERIFY(converted.open(QIODevice::ReadOnly));
    QCOMPARE(Normalized(QString::fromUtf8(converted.readAll())), Normalized(document.toRawText()));
}

// LibreOffice writes the file again in its own way; reading that back gives the same runs.
void TestRtfLibreOffice::sameFormatting()
{
    QFile converted(
        Convert(QStringLiteral("formats"), m_document, QStringLiteral("rtf"), QStringLiteral("rtf")));
    QVERIFY(converted.open(QIODevice::ReadOnly));
    QTextDocument copy;
    copy.setDefaultFont(m_document.defaultFont());
    ReadRtf(converted.readAll(), copy);
    QStringList runs = RtfRuns(copy);
    // LibreOffice turns the automatic text colour into black once character shading has been
    // used; on the default background the two look the same.
    runs.replaceInStrings(QStringLiteral(" fg#000000 "), QStringLiteral(" fgnone "));
    QCOMPARE(runs, RtfRuns(m_document));
}

QTEST_GUILESS_MAIN(TestRtfLibreOffice)
#include "tst_rtflibreoffice.moc"
