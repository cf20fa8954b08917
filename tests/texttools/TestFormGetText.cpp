#include "TextNotation.h"
#include "texttools/CatPicture.h"
#include "texttools/GetTextIcon.h"
#include "texttools/UnitGetText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {

std::unique_ptr<QMimeData> PlainText(const QString& text)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    return data;
}

} // namespace

class TestFormGetText : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startState();
    void collecting_data();
    void collecting();
    void mimeKinds_data();
    void mimeKinds();
    void simulatedDrop_data();
    void simulatedDrop();
    void largeDrop();
    void closeZone_data();
    void closeZone();
    void clickOnPicture_data();
    void clickOnPicture();
    void titleBarTiming();
    void titleBarDuringModalShowing();
    void pictureHasCloseMark();
    void sheetIcon();

private:
    std::unique_ptr<TFormGetText> form;
};

void TestFormGetText::init()
{
    form = std::make_unique<TFormGetText>();
}

void TestFormGetText::startState()
{
    QCOMPARE(form->windowTitle(), "Жду Текст!");
    QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(form->TitleBarShown());
    QVERIFY(!form->Timer->isActive());
    QCOMPARE(form->Timer->interval(), 3000);
    QVERIFY(form->Timer->isSingleShot());
    QCOMPARE(form->Src->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(form->Src->isHidden());
    QCOMPARE(form->LastMouseX, 0);
    QCOMPARE(form->LastMouseY, 0);
    QVERIFY(form->acceptDrops());
}

void TestFormGetText::collecting_data()
{
    QTest::addColumn<QStringList>("drops");
    QTest::addColumn<QString>("collected");
    QTest::newRow("two drops") << QStringList{"A", "B"} << T("↵A↵↵B↵");
    QTest::newRow("empty drop") << QStringList{""} << QString();
    QTest::newRow("empty among others") << QStringList{"", "A", ""} << T("↵A↵");
    QTest::newRow("line breaks of every kind") << QStringList{T("x␊y␍z↵w")} << T("↵x↵y↵z↵w↵");
    QTest::newRow("markers and tabs kept") << QStringList{T("a¹\tb")} << T("↵a¹\tb↵");
}

void TestFormGetText::collecting()
{
    QFETCH(QStringList, drops);
    QFETCH(QString, collected);
    form->DroppedText = "earlier";
    form->StartCollecting();
    for (const QString& drop : drops)
        QVERIFY(form->DropText(PlainText(drop).get()));
    QCOMPARE(form->DroppedText, collected);
    QVERIFY(form->Src->document()->isEmpty());
}

void TestFormGetText::mimeKinds_data()
{
    QTest::addColumn<bool>("withText");
    QTest::addColumn<bool>("withHtml");
    QTest::addColumn<bool>("withUrls");
    QTest::addColumn<QString>("collected");
    QTest::newRow("plain") << true << false << false << T("↵plain↵");
    QTest::newRow("rich text uses its plain part") << true << true << false << T("↵plain↵");
    QTest::newRow("URLs with text") << true << false << true << T("↵plain↵");
    QTest::newRow("URLs only") << false << false << true << QString();
    QTest::newRow("HTML only") << false << true << false << QString();
}

void TestFormGetText::mimeKinds()
{
    QFETCH(bool, withText);
    QFETCH(bool, withHtml);
    QFETCH(bool, withUrls);
    QFETCH(QString, collected);
    QMimeData data;
    if (withText)
        data.setText("plain");
    if (withHtml)
        data.setHtml("<b>rich</b>");
    if (withUrls)
        data.setUrls({QUrl("file:///tmp/a.txt")});
    QCOMPARE(form->DropText(&data), withText);
    QCOMPARE(form->DroppedText, collected);
}

// Drag events as the window receives them (a drop goes to the widget that accepted the drag's
// entry): every drag is offered copy, only a drop with text/plain is taken.
void TestFormGetText::simulatedDrop_data()
{
    QTest::addColumn<bool>("withText");
    QTest::addColumn<QString>("collected");
    QTest::newRow("text/plain") << true << T("↵dropped↵");
    QTest::newRow("URLs only") << false << QString();
}

void TestFormGetText::simulatedDrop()
{
    QFETCH(bool, withText);
    QFETCH(QString, collected);
    QMimeData data;
    data.setUrls({QUrl("file:///tmp/a.txt")});
    if (withText)
        data.setText("dropped");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);

    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    QCOMPARE(drop.isAccepted(), withText);
    QCOMPARE(form->DroppedText, collected);
}

void TestFormGetText::largeDrop()
{
    const QString line = QString("word ").repeated(19) + "\r\n";
    const QString big = line.repeated(1'000'000 / line.size());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(form->DropText(PlainText(big).get()));
    QVERIFY(form->DroppedText == "\r\n" + big + "\r\n");
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed()) + " ms"));
}

void TestFormGetText::closeZone_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("closes");
    // 126 x 84: the zone starts right of x = 99.52 and ends above y = 15.27.
    const QSize design(126, 84);
    QTest::newRow("left of the zone") << QPoint(99, 5) << design << false;
    QTest::newRow("first column in") << QPoint(100, 5) << design << true;
    QTest::newRow("last row in") << QPoint(120, 15) << design << true;
    QTest::newRow("first row below") << QPoint(120, 16) << design << false;
    QTest::newRow("top-right corner") << QPoint(125, 0) << design << true;
    QTest::newRow("top-left corner") << QPoint(0, 0) << design << false;
    QTest::newRow("bottom-right corner") << QPoint(125, 83) << design << false;
    // 138 x 11 puts both borders on whole pixels: the comparisons are strict.
    const QSize exact(138, 11);
    QTest::newRow("x on the border") << QPoint(109, 1) << exact << false;
    QTest::newRow("x past the border") << QPoint(110, 1) << exact << true;
    QTest::newRow("y on the border") << QPoint(137, 2) << exact << false;
    QTest::newRow("y above the border") << QPoint(137, 1) << exact << true;
    QTest::newRow("empty window") << QPoint(0, 0) << QSize(0, 0) << false;
    QTest::newRow("stretched window") << QPoint(1600, 100) << QSize(1900, 1000) << true;
}

void TestFormGetText::closeZone()
{
    QFETCH(QPoint, point);
    QFETCH(QSize, client);
    QFETCH(bool, closes);
    QCOMPARE(TFormGetText::IsOnCloseMark(point.x(), point.y(), client.width(), client.height()), closes);
}

void TestFormGetText::clickOnPicture_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("closes");
    QTest::newRow("close mark") << QPoint(115, 6) << true;
    QTest::newRow("top-left corner") << QPoint(6, 6) << false;
    QTest::newRow("the cat") << QPoint(50, 50) << false;
}

void TestFormGetText::clickOnPicture()
{
    QFETCH(QPoint, point);
    QFETCH(bool, closes);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->Image->size(), QSize(126, 84));
    QTest::mouseMove(form->Image, point);
    QTest::mouseClick(form->Image, Qt::LeftButton, Qt::NoModifier, point);
    QCOMPARE(form->LastMouseX, point.x());
    QCOMPARE(form->isVisible(), !closes);
}

// The test plays the timer's part: the bar goes at TimerTimer and comes back with the next
// movement; movements while the count runs do not restart it.
void TestFormGetText::titleBarTiming()
{
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QPoint place = form->pos();
    form->ImageMouseMove(QPoint(10, 20));
    QVERIFY(form->TitleBarShown());
    QVERIFY(form->Timer->isActive());
    QCOMPARE(form->LastMouseY, 20);
    QTest::qWait(400); // more than the coarse timer's 5 % slack
    form->ImageMouseMove(QPoint(11, 21));
    QVERIFY2(form->Timer->remainingTime() <= 2750, qPrintable(QString::number(form->Timer->remainingTime())));

    form->TimerTimer();
    QVERIFY(!form->TitleBarShown());
    QVERIFY(!form->Timer->isActive());
    QCOMPARE(form->size(), QSize(126, 84));
    QCOMPARE(form->pos(), place);

    form->ImageMouseMove(QPoint(12, 22));
    QVERIFY(form->TitleBarShown());
    QVERIFY(form->Timer->isActive());
    QVERIFY(form->Timer->remainingTime() > 2500);
    QCOMPARE(form->size(), QSize(126, 84));
    QCOMPARE(form->pos(), place);
}

// Hiding and showing the bar must not end the modal showing; closing does.
void TestFormGetText::titleBarDuringModalShowing()
{
    bool visibleAfterToggling = false;
    QTimer::singleShot(0, form.get(), [&] {
        form->HideTitleBar();
        form->ShowTitleBar();
        form->HideTitleBar();
        QTimer::singleShot(50, form.get(), [&] {
            visibleAfterToggling = form->isVisible();
            form->close();
        });
    });
    form->exec();
    QVERIFY(visibleAfterToggling);
    QVERIFY(!form->isVisible());
}

void TestFormGetText::pictureHasCloseMark()
{
    QImage image(CatPicture::DesignWidth, CatPicture::DesignHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    CatPicture::Draw(painter, image.rect());
    painter.end();
    const QColor mark = image.pixelColor(125, 9);
    QVERIFY(mark.green() > 2 * mark.red() && mark.green() > 2 * mark.blue());
    QVERIFY(TFormGetText::IsOnCloseMark(125 - 7, 9 - 7, image.width(), image.height()));
    QVERIFY(TFormGetText::IsOnCloseMark(125 + 7, 9 - 7, image.width(), image.height()));
    QVERIFY(TFormGetText::IsOnCloseMark(125 - 7, 9 + 6, image.width(), image.height()));
    QVERIFY(image.pixelColor(5, 80) != image.pixelColor(56, 60)); // the cat stands out
}

void TestFormGetText::sheetIcon()
{
    const QIcon icon = GetTextIcon();
    QVERIFY(!icon.isNull());
    const QImage small = icon.pixmap(16, 16).toImage();
    QCOMPARE(small.size(), QSize(16, 16));
    QCOMPARE(small.pixelColor(8, 12).alpha(), 255);
    QCOMPARE(small.pixelColor(0, 0).alpha(), 0);
}

QTEST_MAIN(TestFormGetText)
#include "TestFormGetText.moc"
