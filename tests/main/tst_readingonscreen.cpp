#include "FormMainFixture.h"
#include "main/RichTextBox.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

// What reading shows on a real X server, read back from the screen: the sentence being read
// drawn in bold exactly as a document with that sentence in bold draws it, and after Stop
// the text as it was. Painting that never reaches the screen (a block left without lines,
// a region not repainted) shows only here, not in offscreen renderings.
class TestReadingOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sentenceIsDrawnInBoldWhileRead_data();
    void sentenceIsDrawnInBoldWhileRead();
};

namespace {

const QString Text = QStringLiteral("Первое предложение, with some English words. Second sentence here.\n"
                                    "Третье предложение стоит в отдельном абзаце, and it ends in English.\n"
                                    "Last line.");

// The widget's pixels as the X server holds them. The widget's window must not be covered.
QImage OnScreen(const QWidget& widget)
{
    const QPoint at = widget.mapTo(widget.window(), QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(widget.window()->winId(), at.x(), at.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Selections look the same whether or not their window is the active one.
void SameColoursWhenInactive(QWidget& widget)
{
    QPalette palette = widget.palette();
    for (QPalette::ColorRole role :
         {QPalette::Highlight, QPalette::HighlightedText, QPalette::Base, QPalette::Text})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    widget.setPalette(palette);
}

// Lets the window system deliver and draw what is pending.
void Settle()
{
    QTest::qWait(300);
    QCoreApplication::processEvents();
}

// A plain text box like `box`, showing a copy of its document with from..to in bold and the
// same selection, as the document itself would lay it out.
QImage Reference(const QTextEdit& box, int from, int to, bool bold)
{
    QTextEdit reference;
    reference.setWindowFlag(Qt::FramelessWindowHint);
    reference.setFrameStyle(box.frameStyle());
    reference.setLineWrapMode(box.lineWrapMode());
    reference.setVerticalScrollBarPolicy(box.verticalScrollBarPolicy());
    reference.setHorizontalScrollBarPolicy(box.horizontalScrollBarPolicy());
    reference.setPalette(box.palette());
    reference.setDocument(box.document()->clone(&reference));
    reference.document()->setDocumentMargin(box.document()->documentMargin());
    if (bold) {
        QTextCursor range(reference.document());
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        range.mergeCharFormat(format);
    }
    QTextCursor selection(reference.document());
    selection.setPosition(box.textCursor().anchor());
    selection.setPosition(box.textCursor().position(), QTextCursor::KeepAnchor);
    reference.setTextCursor(selection);
    reference.setReadOnly(box.isReadOnly());
    reference.resize(box.size());
    reference.move(0, 0);
    reference.show();
    if (!QTest::qWaitForWindowExposed(&reference))
        return {};
    reference.horizontalScrollBar()->setValue(box.horizontalScrollBar()->value());
    reference.verticalScrollBar()->setValue(box.verticalScrollBar()->value());
    Settle();
    return OnScreen(*reference.viewport());
}

QString Saved(const QImage& image, const QString& name)
{
    const QString path = QDir::temp().filePath(name);
    image.save(path);
    return path;
}

} // namespace

void TestReadingOnScreen::init()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP(qPrintable(QStringLiteral("needs an X server (tools/with-xvfb.sh): ") +
                         qEnvironmentVariable("VEMO_NO_X_SERVER")));
}

void TestReadingOnScreen::sentenceIsDrawnInBoldWhileRead_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<bool>("wrapped");
    QTest::newRow("the text box's own type") << 0 << false;
    // Lines wider than the box: the box scrolls sideways to the word being read.
    QTest::newRow("large type") << 30 << false;
    // Wrapped lines, where bold type breaks some lines elsewhere.
    QTest::newRow("large type, wrapped") << 30 << true;
}

void TestReadingOnScreen::sentenceIsDrawnInBoldWhileRead()
{
    QFETCH(int, pointSize);
    QFETCH(bool, wrapped);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    const MainControls ui(form);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    RichTextBox& box = *ui.MText;
    SameColoursWhenInactive(box);
    box.setPlainText(Text);
    if (wrapped)
        box.setLineWrapMode(QTextEdit::WidgetWidth);
    if (pointSize > 0) {
        QFont font = box.document()->defaultFont();
        font.setPointSize(pointSize);
        box.document()->setDefaultFont(font);
    }
    QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
    Settle();
    const QImage before = OnScreen(*box.viewport());

    // The Russian fragment of the second paragraph.
    const QString third = QStringLiteral("Третье предложение стоит в отдельном абзаце,");
    ui.ButtonStart->click();
    QTRY_VERIFY2_WITH_TIMEOUT(
        BoldRanges(form) == QStringList{third},
        qPrintable(BoldRanges(form).join(u'|') + QStringLiteral(" / ") + ui.MLog->toPlainText()), 30000);
    ui.BPause->click();
    Settle();
    QVERIFY2(BoldRanges(form) == QStringList{third}, qPrintable(BoldRanges(form).join(u'|')));
    const QImage shown = OnScreen(*box.viewport());
    const int from = int(Text.indexOf(third));
    const QImage expected = Reference(box, from, from + int(third.size()), true);
    const QImage regular = Reference(box, from, from + int(third.size()), false);
    QVERIFY(!expected.isNull());
    // The comparison means something only when bold shows: the sentence in regular weight
    // draws differently.
    QVERIFY(expected != regular);
    QVERIFY2(shown == expected, qPrintable(QStringLiteral("the screen differs from a document with the "
                                                          "sentence in bold: %1, expected %2")
                                               .arg(Saved(shown, "reading-shown.png"),
                                                    Saved(expected, "reading-expected.png"))));

    ui.ButtonStop->click();
    QTRY_VERIFY(BoldRanges(form).isEmpty());
    QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
    Settle();
    const QImage after = OnScreen(*box.viewport());
    QVERIFY2(after == before,
             qPrintable(QStringLiteral("after Stop the text box shows %1, before reading %2")
                            .arg(Saved(after, "reading-after.png"), Saved(before, "reading-before.png"))));
    QVERIFY(fixture.Errors.isEmpty());
}

QTEST_MAIN(TestReadingOnScreen)
#include "tst_readingonscreen.moc"
