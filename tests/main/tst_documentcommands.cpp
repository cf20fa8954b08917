// The File menu, font, colour and Help commands on a real main window (offscreen, test
// engine): dialogs are answered in the user's place through ExecDialog.
#include "FormMainFixture.h"
#include "main/About.h"
#include "main/DocumentCommands.h"
#include "main/RichTextBox.h"
#include "speech/TestVoice.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QUrl>

namespace {

const QString Prefix = QStringLiteral("Вемо - синтезатор двуязычной речи. ");

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers every dialog: a file dialog gets the next name (an empty one cancels), any other
// dialog is confirmed after `adjust` has set it. Every dialog shown is recorded.
struct User
{
    QStringList names;
    std::function<void(QDialog&)> adjust;
    QList<QDialog*> shown;

    void Attach(TFormMain& form)
    {
        form.Documents().ExecDialog = [this](QDialog& dialog) {
            shown << &dialog;
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                const QString name = names.isEmpty() ? QString() : names.takeFirst();
                files->selectFile(name);
                return !name.isEmpty();
            }
            if (adjust)
                adjust(dialog);
            return true;
        };
    }
};

} // namespace

class TestDocumentCommands : public QObject
{
    Q_OBJECT

public slots:
    void OpenUrl(const QUrl& url) { m_opened << url; }

private slots:
    void openThenSaveWritesBack();
    void saveUntitledAsksForName();
    void ctrlZRunsSaveAs();
    void commandsStopReading_data();
    void commandsStopReading();
    void failedOpenChangesNothing();
    void failedSaveAsKeepsName();
    void rtfOpens();
    void bookOpensAndIsNeverWrittenOver_data();
    void bookOpensAndIsNeverWrittenOver();
    void novelLongerThanAMillionOpens();
    void readingLeavesDocumentAsItWas_data();
    void readingLeavesDocumentAsItWas();
    void fontAndColour();
    void aboutBox();
    void saveChangesQuestion_data();
    void saveChangesQuestion();

private:
    QList<QUrl> m_opened;
};

// Save after Open writes back in the file's own encoding, byte for byte, with no dialog
// and the caption unchanged; the name typed without an extension gets ".txt".
void TestDocumentCommands::openThenSaveWritesBack()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    ui.CBoxPlainText->setChecked(true);
    const QByteArray cp1251("\xc2\xe5\xec\xee reads\r\n\xd2\xe5\xea\xf1\xf2\r\n");
    fixture.WriteFile(QStringLiteral("ru.txt"), cp1251);
    const QString path = fixture.Folder() + QStringLiteral("/ru.txt");
    user.names << path;
    ui.FilesOpen->trigger();
    QCOMPARE(ui.MText->toPlainText(), QStringLiteral("Вемо reads\nТекст\n"));
    QCOMPARE(form.windowTitle(), Prefix + path);
    QCOMPARE(form.Documents().OpenTextFileHistory, QStringList{path});
    QFile::remove(path);
    ui.FilesSave->trigger();
    QCOMPARE(user.shown.size(), 1);
    QCOMPARE(ReadBytes(path), cp1251);
    QCOMPARE(form.windowTitle(), Prefix + path);
    user.names << fixture.Folder() + QStringLiteral("/copy");
    ui.FilesSaveAs->trigger();
    QCOMPARE(ReadBytes(fixture.Folder() + QStringLiteral("/copy.txt")), cp1251);
    QCOMPARE(form.CurrentFileName(), fixture.Folder() + QStringLiteral("/copy.txt"));
    QVERIFY(fixture.Errors.isEmpty());
}

// New, then Save: the dialog is shown; cancelling it leaves the text untitled.
void TestDocumentCommands::saveUntitledAsksForName()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    fixture.WriteFile(QStringLiteral("old.txt"), "old");
    form.Documents().OpenFile(fixture.Folder() + QStringLiteral("/old.txt"));
    ui.FilesNew->trigger();
    QVERIFY(ui.MText->toPlainText().isEmpty());
    ui.MText->setPlainText(QStringLiteral("новый текст"));
    ui.FilesSave->trigger();
    QCOMPARE(user.shown, QList<QDialog*>{form.Documents().SaveTextFileDialog});
    QVERIFY(form.CurrentFileName().isEmpty());
    QCOMPARE(form.windowTitle(), Prefix);
    const QString path = fixture.Folder() + QStringLiteral("/new.txt");
    user.names << path;
    ui.FilesSave->trigger();
    QCOMPARE(form.CurrentFileName(), path);
    QCOMPARE(form.windowTitle(), Prefix + path);
    // A new text is UTF-8, and rich-text mode writes RTF whatever the extension.
    QVERIFY(ReadBytes(path).startsWith("{\\rtf"));
    QCOMPARE(form.Documents().SaveTextFileHistory, QStringList{path});
}

void TestDocumentCommands::ctrlZRunsSaveAs()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    ui.MText->setFocus();
    QTest::keyClicks(ui.MText, QStringLiteral("abc"));
    QTest::keyClick(ui.MText, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(user.shown, QList<QDialog*>{form.Documents().SaveTextFileDialog});
    QCOMPARE(ui.MText->toPlainText(), QStringLiteral("abc"));
}

void TestDocumentCommands::commandsStopReading_data()
{
    QTest::addColumn<QString>("action");
    for (const char* name : {"FilesOpen", "FilesSave", "FilesSaveAs", "FilesNew", "FilesExit"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Every File command stops a reading run first, even when its dialog is cancelled.
void TestDocumentCommands::commandsStopReading()
{
    QFETCH(QString, action);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    static_cast<TestVoice*>(ui.SpVoiceRu)->SetWordMilliseconds(200);
    ui.MText->setPlainText(QStringLiteral("раз два три четыре пять шесть семь восемь"));
    ui.ButtonStart->click();
    QVERIFY(form.Reading().IsSpeaking());
    form.findChild<QAction*>(action)->trigger();
    QVERIFY(!form.Reading().IsSpeaking());
    QVERIFY(!ui.MText->isReadOnly());
    QCOMPARE(form.isVisible(), action != u"FilesExit");
}

// A folder and a missing file: the message names the file; text, name and caption stay.
void TestDocumentCommands::failedOpenChangesNothing()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    const QString earlier = fixture.Folder() + QStringLiteral("/earlier.txt");
    fixture.WriteFile(QStringLiteral("earlier.txt"), "kept");
    form.Documents().OpenFile(earlier);
    const QStringList paths{fixture.Folder(), fixture.Folder() + QStringLiteral("/gone.rtf")};
    for (const QString& path : paths) {
        user.names << path;
        ui.FilesOpen->trigger();
    }
    QCOMPARE(fixture.Errors.size(), 2);
    for (int i = 0; i < 2; ++i)
        QVERIFY2(fixture.Errors.at(i).contains(paths.at(i)), qPrintable(fixture.Errors.at(i)));
    QCOMPARE(ui.MText->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(form.CurrentFileName(), earlier);
    QCOMPARE(form.windowTitle(), Prefix + earlier);
}

void TestDocumentCommands::failedSaveAsKeepsName()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    const QString earlier = fixture.Folder() + QStringLiteral("/earlier.txt");
    fixture.WriteFile(QStringLiteral("earlier.txt"), "old");
    form.Documents().OpenFile(earlier);
    const QString bad = fixture.Folder() + QStringLiteral("/missing/x.txt");
    user.names << bad;
    ui.FilesSaveAs->trigger();
    QCOMPARE(fixture.Errors.size(), 1);
    QVERIFY2(fixture.Errors.first().contains(bad), qPrintable(fixture.Errors.first()));
    QCOMPARE(form.CurrentFileName(), earlier);
    QCOMPARE(ReadBytes(earlier), QByteArray("old"));
}

// An RTF file opens in rich-text mode (as "vemo FILE" opens it) with its text and formats.
void TestDocumentCommands::rtfOpens()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    const QString path = QStringLiteral(VEMO_TESTDATA_DIR "/rtf/richedit_wine_build.rtf");
    form.Documents().OpenFile(path);
    const int bold = ui.MText->toPlainText().indexOf(QStringLiteral("Жирный"));
    QVERIFY(bold >= 0);
    QTextCursor cursor(ui.MText->document());
    cursor.setPosition(bold + 1);
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(form.windowTitle(), Prefix + path);
}

void TestDocumentCommands::bookOpensAndIsNeverWrittenOver_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<bool>("plainMode");
    QTest::newRow("EPUB, rich text") << "book.epub" << false;
    QTest::newRow("FB2, plain text") << "book.fb2" << true;
    QTest::newRow("DOCX, rich text") << "book.docx" << false;
}

// A book opens (as "vemo FILE" opens it) with its headings and bold in rich-text mode and as
// its words in plain-text mode; Save then asks for a name instead of writing over the book.
void TestDocumentCommands::bookOpensAndIsNeverWrittenOver()
{
    QFETCH(QString, book);
    QFETCH(bool, plainMode);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    ui.CBoxPlainText->setChecked(plainMode);
    const QString path = fixture.Folder() + u'/' + book;
    QVERIFY(QFile::copy(QStringLiteral(VEMO_BOOKS_DIR "/") + book, path));
    const QByteArray bytes = ReadBytes(path);
    form.Documents().OpenFile(path);
    QCOMPARE(form.windowTitle(), Prefix + path);
    QCOMPARE(form.Documents().BookTitle(), QStringLiteral("Сказка о двух языках")); // To File's tags
    const QTextDocument& document = *ui.MText->document();
    QCOMPARE(document.begin().next().text(), QStringLiteral("Глава первая. Chapter One"));
    QCOMPARE(document.begin().next().blockFormat().headingLevel() > 0, !plainMode);
    QTextCursor cursor(ui.MText->document());
    cursor.setPosition(ui.MText->toPlainText().indexOf(QStringLiteral("смелый")) + 1);
    QCOMPARE(cursor.charFormat().fontWeight() == QFont::Bold, !plainMode);

    ui.FilesSave->trigger(); // the dialog is cancelled
    QCOMPARE(user.shown, QList<QDialog*>{form.Documents().SaveTextFileDialog});
    QCOMPARE(ReadBytes(path), bytes);
    const QString copy = fixture.Folder() + QStringLiteral("/book.txt");
    user.names << copy;
    ui.FilesSave->trigger();
    QCOMPARE(form.CurrentFileName(), copy);
    QVERIFY(form.Documents().BookTitle().isEmpty());
    QCOMPARE(ReadBytes(path), bytes);
    user.shown.clear();
    ui.FilesSave->trigger(); // a text of its own now: written back without a dialog
    QVERIFY(user.shown.isEmpty());
    QVERIFY(fixture.Errors.isEmpty());
}

// A novel of 2.5 million characters opens whole; the box's limit lies far above it.
void TestDocumentCommands::novelLongerThanAMillionOpens()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    const QByteArray line = QStringLiteral("Глава и строка, then an English line.\n").toUtf8();
    const qsizetype lineCharacters = QString::fromUtf8(line).size();
    fixture.WriteFile(QStringLiteral("novel.txt"), line.repeated(2500000 / lineCharacters));
    form.Documents().OpenFile(fixture.Folder() + QStringLiteral("/novel.txt"));
    QCOMPARE(ui.MText->document()->characterCount() - 1, 2500000 / lineCharacters * lineCharacters);
    QVERIFY(fixture.Errors.isEmpty());
}

// Every formatting run of a document: its text and the character formats a word processor
// keeps (weight, slant, underline, strike-out, colours, size, family).
QStringList FormattingRuns(const QTextDocument& document)
{
    QStringList runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            runs << QStringLiteral("%1|w%2 i%3 u%4 s%5 c%6 b%7 p%8 %9")
                        .arg(it.fragment().text())
                        .arg(f.fontWeight())
                        .arg(f.fontItalic())
                        .arg(f.fontUnderline())
                        .arg(f.fontStrikeOut())
                        .arg(f.foreground().color().name())
                        .arg(f.background().color().name())
                        .arg(f.fontPointSize())
                        .arg(f.fontFamilies().toStringList().join(u','));
        }
        runs << QStringLiteral("¶");
    }
    return runs;
}

void TestDocumentCommands::readingLeavesDocumentAsItWas_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("howItEnds"); // "end", "stop" or "save" (a File command)
    for (const char* file : {"lo_fonts_sizes.rtf", "abiword_fonts_sizes.rtf", "richedit_wine_build.rtf"}) {
        for (const char* end : {"end", "stop", "save"})
            QTest::addRow("%s, %s", file, end) << QString::fromLatin1(file) << QString::fromLatin1(end);
    }
}

// Reading shows sentences in bold but never changes the document: after the run (read to
// its end, stopped, or broken off by Save) every character has the formatting it had, the
// undo history and the modified flag are as they were, and Save writes what it would have
// written without reading.
void TestDocumentCommands::readingLeavesDocumentAsItWas()
{
    QFETCH(QString, file);
    QFETCH(QString, howItEnds);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    const int wordMs = howItEnds == u"end" ? 2 : 40;
    static_cast<TestVoice*>(ui.SpVoiceRu)->SetWordMilliseconds(wordMs);
    static_cast<TestVoice*>(ui.SpVoiceEng)->SetWordMilliseconds(wordMs);
    const QString source = QStringLiteral(VEMO_TESTDATA_DIR "/rtf/") + file;
    const QString unread = fixture.Folder() + QStringLiteral("/unread.rtf");
    const QString read = fixture.Folder() + QStringLiteral("/read.rtf");
    form.Documents().OpenFile(source);
    QTextDocument& document = *ui.MText->document();
    const QStringList before = FormattingRuns(document);
    const int undoSteps = document.availableUndoSteps();
    user.names << unread;
    ui.FilesSaveAs->trigger();
    form.Documents().OpenFile(source);
    const bool modified = document.isModified();

    QTextCursor cursor = ui.MText->textCursor();
    cursor.setPosition(0);
    ui.MText->setTextCursor(cursor);
    ui.ButtonStart->click();
    if (howItEnds == u"end") {
        QTRY_VERIFY_WITH_TIMEOUT(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")), 60000);
        QTRY_VERIFY(!ui.MText->isReadOnly());
    } else {
        QTRY_VERIFY(!BoldRanges(form).isEmpty());
        if (howItEnds == u"stop")
            ui.ButtonStop->click();
    }
    QCOMPARE(FormattingRuns(document), before);
    QCOMPARE(document.availableUndoSteps(), undoSteps);
    QCOMPARE(document.isModified(), modified);
    user.names << read;
    ui.FilesSaveAs->trigger();
    QVERIFY(BoldRanges(form).isEmpty());
    QCOMPARE(ReadBytes(read), ReadBytes(unread));
    QVERIFY(fixture.Errors.isEmpty());
}

// OK formats the whole text and leaves it selected; only Apply changes the base font.
void TestDocumentCommands::fontAndColour()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    ui.MText->setPlainText(QStringLiteral("один\nдва"));
    const QFont base = ui.MText->font();
    QFont chosen(QStringLiteral("DejaVu Serif"), 21);
    chosen.setItalic(true);
    user.adjust = [&](QDialog& dialog) {
        if (auto* fonts = qobject_cast<QFontDialog*>(&dialog))
            fonts->setCurrentFont(chosen);
        if (auto* colours = qobject_cast<QColorDialog*>(&dialog))
            colours->setCurrentColor(Qt::darkGreen);
    };
    form.Documents().FontColorClick();
    ui.ButtonFont->click();
    QTextCursor cursor = ui.MText->textCursor();
    QCOMPARE(cursor.selectedText(), QStringLiteral("один\u2029два"));
    cursor.setPosition(6);
    QCOMPARE(cursor.charFormat().font().family(), chosen.family());
    QCOMPARE(cursor.charFormat().font().pointSize(), 21);
    QVERIFY(cursor.charFormat().font().italic());
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(Qt::darkGreen));
    QCOMPARE(ui.MText->font(), base);
    form.Documents().FontDialog->findChild<QPushButton*>(QStringLiteral("FontDialogApplyButton"))->click();
    QCOMPARE(ui.MText->font().family(), chosen.family());
    ui.ButtonColor->click();
    QCOMPARE(ui.MText->palette().color(QPalette::Base), QColor(Qt::darkGreen));
}

void TestDocumentCommands::aboutBox()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    ui.HelpMenu->trigger();
    TAboutBox& box = *form.Documents().AboutBox;
    QCOMPARE(user.shown, QList<QDialog*>{&box});
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    QCOMPARE(box.ProductName->text(), QStringLiteral("VEMO-project"));
    QCOMPARE(box.Version->text(), QStringLiteral("Сборка от 08.10.2013г."));
    QCOMPARE(box.GroupBoxHelp->title(), QStringLiteral(" Help (Помощь)"));
    QVERIFY(box.OKButton->isDefault());
    QVERIFY(box.MemoHelp->isReadOnly());
    QVERIFY(!box.ProgramIcon->pixmap().isNull());
    for (const char* topic :
         {"espeak-ng", "PlainText", "Чит.числа", "xml_sapi.html", "Обр.Текста", "MPEG 2", "LQP_"})
        QVERIFY2(box.MemoHelp->toPlainText().contains(QString::fromUtf8(topic)), topic);
    box.show();
    box.OKButton->click();
    QVERIFY(!box.isVisible());
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenUrl");
    box.ButtonXmlPage->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(ReadBytes(m_opened.first().toLocalFile()).contains("absmiddle"));
}

void TestDocumentCommands::saveChangesQuestion_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // "unchanged": the text was not edited, no question
    for (const char* command : {"New", "Open", "Exit", "drop"}) {
        for (const char* answer : {"unchanged", "Save", "Discard", "Cancel", "failing Save"})
            QTest::addRow("%s, %s", command, answer)
                << QString::fromLatin1(command) << QString::fromLatin1(answer);
    }
}

// A text edited since it was opened is only replaced or closed after the question: Save
// writes it first, Discard lets it go, Cancel and a failing Save keep text, name and window.
void TestDocumentCommands::saveChangesQuestion()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    User user;
    user.Attach(form);
    int questions = 0;
    user.adjust = [&](QDialog& dialog) {
        ++questions;
        auto* question = qobject_cast<QMessageBox*>(&dialog);
        QVERIFY(question);
        QCOMPARE(question->objectName(), QStringLiteral("SaveChangesQuestion"));
        const QMessageBox::StandardButton button = answer == u"Discard"  ? QMessageBox::Discard
                                                   : answer == u"Cancel" ? QMessageBox::Cancel
                                                                         : QMessageBox::Save;
        question->button(button)->click();
    };
    ui.CBoxPlainText->setChecked(true);
    fixture.WriteFile(QStringLiteral("old.txt"), "old");
    fixture.WriteFile(QStringLiteral("next.txt"), "next");
    const QString old = fixture.Folder() + QStringLiteral("/old.txt");
    const QString next = fixture.Folder() + QStringLiteral("/next.txt");
    form.Documents().OpenFile(old);
    QVERIFY(!ui.MText->document()->isModified());
    if (answer == u"failing Save") {
        // The file's folder goes after the file was opened: saving it fails.
        QVERIFY(QDir(fixture.Folder()).mkdir(QStringLiteral("gone")));
        fixture.WriteFile(QStringLiteral("gone/old.txt"), "old");
        form.Documents().OpenFile(fixture.Folder() + QStringLiteral("/gone/old.txt"));
        QVERIFY(QDir(fixture.Folder() + QStringLiteral("/gone")).removeRecursively());
    }
    const QString name = form.CurrentFileName();
    if (answer != u"unchanged") {
        ui.MText->moveCursor(QTextCursor::End);
        ui.MText->textCursor().insertText(QStringLiteral(" more"));
        QVERIFY(ui.MText->document()->isModified());
    }

    user.names << next;
    if (command == u"New") {
        ui.FilesNew->trigger();
    } else if (command == u"Open") {
        ui.FilesOpen->trigger();
    } else if (command == u"Exit") {
        form.show();
        ui.FilesExit->trigger();
    } else {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(next)});
        data.setText(QUrl::fromLocalFile(next).toString());
        QWidget* target = ui.MText->viewport();
        QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        QTest::qWait(50); // the file is opened after the drop has ended
    }

    const bool asked = answer != u"unchanged";
    const bool goesOn = answer == u"unchanged" || answer == u"Save" || answer == u"Discard";
    QCOMPARE(questions, int(asked));
    QCOMPARE(ReadBytes(old), QByteArray(answer == u"Save" ? "old more" : "old"));
    QCOMPARE(fixture.Errors.size(), int(answer == u"failing Save"));
    if (!goesOn) {
        QCOMPARE(ui.MText->toPlainText(), QStringLiteral("old more"));
        QCOMPARE(form.CurrentFileName(), name);
        QVERIFY(ui.MText->document()->isModified());
        if (command == u"Exit")
            QVERIFY(form.isVisible());
        return;
    }
    if (command == u"Exit") {
        QVERIFY(!form.isVisible());
        return;
    }
    QCOMPARE(ui.MText->toPlainText(), command == u"New" ? QString() : QStringLiteral("next"));
    QCOMPARE(form.CurrentFileName(), command == u"New" ? QString() : next);
    QVERIFY(!ui.MText->document()->isModified());
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
