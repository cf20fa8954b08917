#include "TextNotation.h"
#include "documents/TextDocumentIO.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"
#include "tests/main/MainControls.h"
#include "texttools/CatPicture.h"
#include "texttools/GetTextIcon.h"
#include "texttools/TextToolsCommands.h"
#include "texttools/UnitGetText.h"
#include "texttools/UnitProsTxt.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <functional>
#include <memory>

namespace {

// The bold stretches of a document, in order.
QStringList BoldParts(const QTextDocument& document)
{
    QStringList parts;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().fontWeight() > QFont::Normal)
                parts << it.fragment().text();
        }
    }
    return parts;
}

void InsertText(QTextEdit& box, const QString& text, bool bold)
{
    QTextCursor cursor(box.document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    cursor.insertText(text, format);
}

// Runs action from inside the dialog's modal showing; a dialog still open five seconds
// later is rejected, so a faulty hand-over fails instead of hanging.
void WhileShown(QDialog& dialog, const std::function<void()>& action)
{
    QTimer::singleShot(0, &dialog, action);
    QTimer::singleShot(5000, &dialog, [&dialog] {
        if (dialog.isVisible())
            dialog.reject();
    });
}

std::unique_ptr<QMimeData> MimeOf(const QString& kind)
{
    auto data = std::make_unique<QMimeData>();
    if (kind == u"text")
        data->setText(T("новый↵text"));
    else if (kind == u"html and text") {
        data->setHtml(QStringLiteral("<b>жирный</b> bold"));
        data->setText(QStringLiteral("жирный bold"));
    } else if (kind == u"utf-8 text only")
        data->setData(QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("ёж").toUtf8());
    else if (kind == u"urls only")
        data->setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
    else if (kind == u"two files as a file manager drags them") {
        const QList<QUrl> urls{QUrl(QStringLiteral("file:///tmp/a.txt")),
                               QUrl(QStringLiteral("file:///tmp/b.txt"))};
        data->setUrls(urls);
        data->setText(urls.first().toString() + QStringLiteral("\r\n") + urls.last().toString());
    } else if (kind == u"html only")
        data->setHtml(QStringLiteral("<p>html</p>"));
    else if (kind == u"empty text")
        data->setText(QString());
    return data;
}

} // namespace

class TestTextToolsCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void buttons();
    void handOver_data();
    void handOver();
    void handOverStopsReading();
    void handBackOverLimit();
    void dropWindow_data();
    void dropWindow();
    void mainDrop_data();
    void mainDrop();
    void mainDropWhileReading();
    void mainDropUndoes();
    void mainFileDrop();
    void mainDropLength_data();
    void mainDropLength();

private:
    QString MainText() const { return DocumentPlainText(*ui->MText->document()); }
    void FillMain(bool plainTextMode);
    bool SendDrop(const QMimeData& data);

    std::unique_ptr<QTemporaryDir> dir;
    QString oldCurrent;
    QStringList errors;
    std::unique_ptr<TFormMain> form;
    std::optional<MainControls> ui;
    QString fileName;
    std::unique_ptr<TFormPT> formPT;
    std::unique_ptr<TFormGetText> formGetText;
    std::unique_ptr<TextToolsCommands> commands;
};

void TestTextToolsCommands::init()
{
    dir = std::make_unique<QTemporaryDir>();
    oldCurrent = QDir::currentPath();
    qputenv("VEMO_SETTINGS_DIR", dir->path().toUtf8());
    QDir::setCurrent(dir->path());
    errors.clear();
    SetErrorDisplay([this](QWidget*, const QString& message) { errors << message; });
    form = std::make_unique<TFormMain>(SpeechEngineKind::Test);
    ui.emplace(*form);
    formPT = std::make_unique<TFormPT>();
    formGetText = std::make_unique<TFormGetText>();
    commands = std::make_unique<TextToolsCommands>(*form, *formPT, *formGetText);
    form->show();
    // The main text comes from an empty file, so that what keeps or drops its name shows.
    fileName = dir->filePath(QStringLiteral("книга.txt"));
    QFile book(fileName);
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.close();
    form->Documents().OpenFile(fileName);
}

void TestTextToolsCommands::cleanup()
{
    commands.reset();
    formGetText.reset();
    formPT.reset();
    ui.reset();
    form.reset();
    SetErrorDisplay({});
    QDir::setCurrent(oldCurrent);
    qunsetenv("VEMO_SETTINGS_DIR");
    dir.reset();
}

// "plain bold con-↵tent" with "bold" set in bold, in the mode given.
void TestTextToolsCommands::FillMain(bool plainTextMode)
{
    ui->CBoxPlainText->setChecked(plainTextMode);
    ui->MText->clear();
    InsertText(*ui->MText, QStringLiteral("plain "), false);
    InsertText(*ui->MText, QStringLiteral("bold"), true);
    InsertText(*ui->MText, QStringLiteral(" con-\ntent"), false);
}

bool TestTextToolsCommands::SendDrop(const QMimeData& data)
{
    QWidget* target = ui->MText->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    // A refused drag is never dropped; the drop itself must agree with the drag.
    [&] { QCOMPARE(drop.isAccepted(), enter.isAccepted()); }();
    return drop.isAccepted();
}

void TestTextToolsCommands::buttons()
{
    QCOMPARE(ui->SButtonGetText->icon().pixmap(32).toImage(), GetTextIcon().pixmap(32).toImage());
    QCOMPARE(ui->SButtonGetText->toolTip(), QStringLiteral("Окно для приема текста."));
    // The click reaches the handler: the processing window opens.
    bool opened = false;
    WhileShown(*formPT, [&] {
        opened = formPT->isVisible();
        formPT->reject();
    });
    ui->BProsTxt->click();
    QVERIFY(opened);
}

void TestTextToolsCommands::handOver_data()
{
    QTest::addColumn<bool>("plainTextMode");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QStringList>("expectedBold");

    const QString before = T("plain bold con-↵tent");
    const QStringList bold{QStringLiteral("bold")};
    QTest::newRow("rich, typed, OK") << false << "type"
                                     << "ButtonOk" << T("plain bold con-↵tent more") << bold;
    QTest::newRow("rich, rule, OK") << false << "rule"
                                    << "ButtonOk" << T("plain bold content") << QStringList();
    QTest::newRow("plain, typed, OK") << true << "type"
                                      << "ButtonOk" << T("plain bold con-↵tent more") << QStringList();
    QTest::newRow("plain, rule, OK") << true << "rule"
                                     << "ButtonOk" << T("plain bold content") << QStringList();
    QTest::newRow("rich, typed, Cancel") << false << "type"
                                         << "ButtonExit" << before << bold;
    QTest::newRow("rich, rule, close box") << false << "rule"
                                           << "close" << before << bold;
    QTest::newRow("plain, rule, Cancel") << true << "rule"
                                         << "ButtonExit" << before << bold;
}

// The processing window gets the main text in the main window's mode; only OK brings the
// edited copy back, in the same mode; the file name and caption stay as they were.
void TestTextToolsCommands::handOver()
{
    QFETCH(bool, plainTextMode);
    QFETCH(QString, edit);
    QFETCH(QString, closing);
    QFETCH(QString, expectedText);
    QFETCH(QStringList, expectedBold);

    FillMain(plainTextMode);
    const QString htmlBefore = ui->MText->document()->toHtml();
    const QString caption = form->windowTitle();
    bool modeCopied = false;
    QString copied;
    QStringList copiedBold;
    WhileShown(*formPT, [&] {
        modeCopied = formPT->PlainTextMode() == plainTextMode;
        copied = DocumentPlainText(*formPT->RETxt->document());
        copiedBold = BoldParts(*formPT->RETxt->document());
        if (edit == u"type")
            InsertText(*formPT->RETxt, QStringLiteral(" more"), false);
        else
            formPT->ButtonRemovingCarrying->click();
        if (closing == u"close")
            formPT->close();
        else
            formPT->findChild<QPushButton*>(closing)->click();
    });
    commands->BProsTxtClick();

    QVERIFY(modeCopied);
    QCOMPARE(copied, T("plain bold con-↵tent"));
    QCOMPARE(copiedBold, plainTextMode ? QStringList() : QStringList{QStringLiteral("bold")});
    QCOMPARE(MainText(), expectedText);
    QCOMPARE(BoldParts(*ui->MText->document()), expectedBold);
    if (closing != u"ButtonOk")
        QCOMPARE(ui->MText->document()->toHtml(), htmlBefore);
    QCOMPARE(ui->MText->PlainTextMode(), plainTextMode);
    QCOMPARE(form->CurrentFileName(), fileName);
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(errors.isEmpty());
}

void TestTextToolsCommands::handOverStopsReading()
{
    ui->MText->setPlainText(QStringLiteral("one two three four five six seven eight nine ten"));
    ui->ButtonStart->click();
    QVERIFY(form->Reading().IsSpeaking());
    bool stoppedFirst = false;
    WhileShown(*formPT, [&] {
        stoppedFirst = !form->Reading().IsSpeaking() && !ui->MText->isReadOnly();
        formPT->reject();
    });
    commands->BProsTxtClick();
    QVERIFY(stoppedFirst);
    QVERIFY(errors.isEmpty());
}

// A copy that grew beyond the main text box's limit is refused with a message; the main text
// stays as it was.
void TestTextToolsCommands::handBackOverLimit()
{
    ui->CBoxPlainText->setChecked(true);
    ui->MText->SetMaxLength(12);
    ui->MText->setPlainText(QStringLiteral("short"));
    WhileShown(*formPT, [&] {
        InsertText(*formPT->RETxt, QStringLiteral(" and much longer"), false);
        formPT->accept();
    });
    commands->BProsTxtClick();
    QCOMPARE(MainText(), QStringLiteral("short"));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("Обработка текста")), qPrintable(errors.first()));
}

void TestTextToolsCommands::dropWindow_data()
{
    QTest::addColumn<QStringList>("drops");
    QTest::addColumn<QString>("expected"); // null: the main text and file name stay

    QTest::newRow("two drops") << QStringList{"A", "B"} << T("↵A↵↵B↵");
    QTest::newRow("lines in one drop") << QStringList{T("x↵y")} << T("↵x↵y↵");
    QTest::newRow("no drop") << QStringList() << QString();
    QTest::newRow("only empty drops") << QStringList{"", ""} << QString();
}

// The main window hides while the drop window collects; the collected text becomes the
// main text of an untitled document, without the formatting at the old caret.
void TestTextToolsCommands::dropWindow()
{
    QFETCH(QStringList, drops);
    QFETCH(QString, expected);

    InsertText(*ui->MText, QStringLiteral("old bold text"), true);
    ui->MText->moveCursor(QTextCursor::End);
    formGetText->DroppedText = QStringLiteral("left over");
    const QString caption = form->windowTitle();
    bool mainHidden = false;
    bool onTop = false;
    QPoint place;
    WhileShown(*formGetText, [&] {
        mainHidden = !form->isVisible() && formGetText->isVisible();
        onTop = formGetText->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        place = formGetText->pos();
        for (const QString& text : drops) {
            QMimeData data;
            data.setText(text);
            formGetText->DropText(&data);
        }
        const QWidget* image = formGetText->Image;
        formGetText->ImageClick(QPoint(image->width() - 2, 2));
    });
    commands->SButtonGetTextClick();

    QVERIFY(mainHidden);
    QVERIFY(onTop);
    QCOMPARE(place, form->screen()->availableGeometry().topLeft());
    QVERIFY(form->isVisible());
    QVERIFY(!formGetText->isVisible());
    QCOMPARE(MainText(), expected.isNull() ? QStringLiteral("old bold text") : expected);
    QCOMPARE(form->CurrentFileName(), expected.isNull() ? fileName : QString());
    if (!expected.isNull())
        QCOMPARE(BoldParts(*ui->MText->document()), QStringList());
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(errors.isEmpty());
}

void TestTextToolsCommands::mainDrop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // null: the drop is refused

    QTest::newRow("plain text") << "text" << T("новый↵text");
    QTest::newRow("rich text with a plain part") << "html and text" << QStringLiteral("жирный bold");
    QTest::newRow("UTF-8 plain text only") << "utf-8 text only" << QStringLiteral("ёж");
    QTest::newRow("URLs only") << "urls only" << QString();
    QTest::newRow("two files, their addresses as text too")
        << "two files as a file manager drags them" << QString();
    QTest::newRow("HTML only") << "html only" << QString();
    QTest::newRow("empty text") << "empty text" << QString();
}

// A drop replaces the whole text as plain text; the file name and caption stay.
void TestTextToolsCommands::mainDrop()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);

    InsertText(*ui->MText, QStringLiteral("was here"), true);
    ui->MText->moveCursor(QTextCursor::End);
    const QString caption = form->windowTitle();
    const std::unique_ptr<QMimeData> data = MimeOf(kind);
    QCOMPARE(SendDrop(*data), !expected.isNull());
    QCOMPARE(MainText(), expected.isNull() ? QStringLiteral("was here") : expected);
    QCOMPARE(BoldParts(*ui->MText->document()).isEmpty(), !expected.isNull());
    QCOMPARE(form->CurrentFileName(), fileName);
    QCOMPARE(form->windowTitle(), caption);
}

// Reading goes on over a drop; the read-only text box still takes it.
void TestTextToolsCommands::mainDropWhileReading()
{
    ui->MText->setPlainText(QStringLiteral("one two three four five six seven eight nine ten"));
    ui->ButtonStart->click();
    QVERIFY(form->Reading().IsSpeaking());
    QVERIFY(ui->MText->isReadOnly());
    QVERIFY(ui->MText->viewport()->acceptDrops());
    QMimeData data;
    data.setText(QStringLiteral("dropped"));
    QVERIFY(SendDrop(data));
    QCOMPARE(MainText(), QStringLiteral("dropped"));
    QVERIFY(form->Reading().IsSpeaking());
    ui->ButtonStop->click();
}

// The text a drop replaced comes back with one undo step, and the drop counts as a change.
void TestTextToolsCommands::mainDropUndoes()
{
    InsertText(*ui->MText, QStringLiteral("typed"), true);
    ui->MText->document()->setModified(false);
    QMimeData data;
    data.setText(T("dropped↵lines"));
    QVERIFY(SendDrop(data));
    QCOMPARE(MainText(), T("dropped↵lines"));
    QVERIFY(ui->MText->document()->isModified());
    ui->MText->undo();
    QCOMPARE(MainText(), QStringLiteral("typed"));
    QCOMPARE(BoldParts(*ui->MText->document()), QStringList{QStringLiteral("typed")});
}

// A file dragged from a file manager (its address also offered as text) is opened as Open
// opens it, never taken as text; the question before it is tested with the File commands.
void TestTextToolsCommands::mainFileDrop()
{
    ui->CBoxPlainText->setChecked(true);
    const QString path = dir->path() + QStringLiteral("/книга.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xca\xed\xe8\xe3\xe0 book\r\n");
    file.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(QUrl::fromLocalFile(path).toString());
    QVERIFY(SendDrop(data));
    QTRY_COMPARE(MainText(), T("Книга book↵"));
    QCOMPARE(form->CurrentFileName(), path);
    QVERIFY(form->windowTitle().endsWith(path));
    QVERIFY(!ui->MText->document()->isModified());
    QVERIFY(errors.isEmpty());
}

void TestTextToolsCommands::mainDropLength_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("expectedLength"); // document characters, a break counting one

    // Lines of 99 characters and a CR LF: each line is 100 characters of the document.
    QTest::newRow("exactly the limit") << 10000 << 0 << 1000000;
    QTest::newRow("beyond the limit") << 10000 << 50 << 1000000;
    QTest::newRow("one long line") << 0 << 1000001 << 1000000;
}

void TestTextToolsCommands::mainDropLength()
{
    QFETCH(int, lines);
    QFETCH(int, extra);
    QFETCH(int, expectedLength);

    ui->MText->SetMaxLength(1000000); // the cut-off, not the box's default limit, is tested
    QString text;
    text.reserve(lines * 101 + extra);
    for (int i = 0; i < lines; ++i)
        text += QString(99, QChar(u'а' + i % 32)) + QStringLiteral("\r\n");
    text += QString(extra, u'x');
    QMimeData data;
    data.setText(text);
    QVERIFY(SendDrop(data));
    QCOMPARE(ui->MText->document()->characterCount() - 1, expectedLength);
    QVERIFY(text.startsWith(MainText()));
}

QTEST_MAIN(TestTextToolsCommands)
#include "tst_texttoolscommands.moc"
