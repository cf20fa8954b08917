#include "TextNotation.h"
#include "texttools/CatPicture.h"
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
    void collecting_data();
    void collecting();
    void simulatedDrop_data();
    void simulatedDrop();
    void charsetPlainText();
    void largeDrop();
    void closeZone_data();
    void closeZone();
    void titleBarTiming();
    void titleBarDuringModalShowing();
    void titleBarOnEveryOpening();
    void pictureHasCloseMark();

private:
    std::unique_ptr<TFormGetText> form;
};

void TestFormGetText::init()
{
    form = std::make_unique<TFormGetText>();
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

// Drag events as the window receives them (a drop goes to the widget that accepted the drag's
// entry): every drag is offered copy, only a drop with text/plain is taken.
void TestFormGetText::simulatedDrop_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("taken");
    QTest::newRow("plain text") << "dropped" << QString() << QString() << true;
    QTest::newRow("rich text: its plain part") << "dropped"
                                               << "<b>rich</b>" << QString() << true;
    QTest::newRow("URLs only") << QString() << QString() << "file:///tmp/a.txt" << false;
    QTest::newRow("HTML only") << QString() << "<b>rich</b>" << QString() << false;
    QTest::newRow("a file with its address as text")
        << "file:///tmp/a.txt" << QString() << "file:///tmp/a.txt" << false;
    QTest::newRow("a web link with its text") << "dropped" << QString() << "https://example.org/" << true;
}

void TestFormGetText::simulatedDrop()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QFETCH(QString, url);
    QFETCH(bool, taken);
    QMimeData data;
    if (!text.isNull())
        data.setText(text);
    if (!html.isNull())
        data.setHtml(html);
    if (!url.isNull())
        data.setUrls({QUrl(url)});
    QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QVERIFY(enter.isAccepted() && enter.dropAction() == Qt::CopyAction);
    QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    QCOMPARE(drop.isAccepted(), taken);
    QCOMPARE(form->DroppedText, taken ? T("↵dropped↵") : QString());
}

// Some programs offer text only as "text/plain;charset=utf-8".
void TestFormGetText::charsetPlainText()
{
    QMimeData data;
    data.setData("text/plain;charset=utf-8", QString("Жду").toUtf8());
    QVERIFY(form->DropText(&data));
    QCOMPARE(form->DroppedText, T("↵Жду↵"));
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
    QTest::newRow("top-left corner") << QPoint(0, 0) << design << false;
    // 138 x 11 puts both borders on whole pixels: the comparisons are strict.
    const QSize exact(138, 11);
    QTest::newRow("x on the border") << QPoint(109, 1) << exact << false;
    QTest::newRow("x past the border") << QPoint(110, 1) << exact << true;
    QTest::newRow("y on the border") << QPoint(137, 2) << exact << false;
    QTest::newRow("y above the border") << QPoint(137, 1) << exact << true;
    QTest::newRow("stretched window") << QPoint(1600, 100) << QSize(1900, 1000) << true;
}

void TestFormGetText::closeZone()
{
    QFETCH(QPoint, point);
    QFETCH(QSize, client);
    QFETCH(bool, closes);
    QCOMPARE(TFormGetText::IsOnCloseMark(point.x(), point.y(), client.width(), client.height()), closes);
    if (client != form->size())
        return;
    // A click on the picture of the real window at the same place.
    form->show();
    QTest::mouseMove(form->Image, point);
    QTest::mouseClick(form->Image, Qt::LeftButton, Qt::NoModifier, point);
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
    QTest::qWait(400); // more than the coarse timer's 5 % slack
    form->ImageMouseMove(QPoint(11, 21));
    QVERIFY2(form->Timer->remainingTime() <= 2750, qPrintable(QString::number(form->Timer->remainingTime())));

    form->TimerTimer();
    QVERIFY(!form->TitleBarShown());
    QVERIFY(!form->Timer->isActive());

    form->ImageMouseMove(QPoint(12, 22));
    QVERIFY(form->TitleBarShown() && form->Timer->remainingTime() > 2500);
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

// A window closed while its title bar was showing opens the next time with the bar, in the
// corner where it is placed, though the count would have taken the bar away meanwhile.
void TestFormGetText::titleBarOnEveryOpening()
{
    for (int opening = 0; opening < 2; ++opening) {
        form->StartCollecting();
        form->move(0, 0);
        QTimer::singleShot(0, form.get(), [&] {
            QVERIFY(form->TitleBarShown());
            QCOMPARE(form->pos(), QPoint(0, 0));
            form->ImageMouseMove(QPoint(10, 20));
            form->close();
        });
        form->exec();
        QVERIFY(!form->Timer->isActive());
        // What the count would have done had it gone on after the window closed.
        form->HideTitleBar();
    }
    form->StartCollecting();
    QVERIFY(form->TitleBarShown());
}

// The green face lies inside the close zone of the picture at its design size.
void TestFormGetText::pictureHasCloseMark()
{
    QImage image(CatPicture::DesignWidth, CatPicture::DesignHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    CatPicture::Draw(painter, image.rect());
    painter.end();
    for (const QPoint point : {QPoint(125, 9), QPoint(121, 5), QPoint(129, 12)}) {
        const QColor mark = image.pixelColor(point);
        QVERIFY(mark.green() > 2 * mark.red() && mark.green() > 2 * mark.blue());
        QVERIFY(TFormGetText::IsOnCloseMark(point.x() - 5, point.y(), image.width(), image.height()));
    }
}

QTEST_MAIN(TestFormGetText)
#include "tst_formgettext.moc"
