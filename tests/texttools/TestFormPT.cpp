#include "TextNotation.h"
#include "files/VemoError.h"
#include "texttools/DocumentText.h"
#include "texttools/MarkupPalette.h"
#include "texttools/MarkupTags.h"
#include "texttools/UnitProsTxt.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

namespace {

// A window whose clipboard refuses every text, as when another program holds it.
class FormWithoutClipboard : public TFormPT
{
protected:
    bool SetClipboardText(const QString&) override { return false; }
};

QString Text(const TFormPT& form)
{
    return DocumentTextToCrLf(form.RETxt->document()->toRawText());
}

bool AnyBold(const QTextDocument* document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().fontWeight() > QFont::Normal)
                return true;
    return false;
}

} // namespace

class TestFormPT : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void captions_data();
    void captions();
    void startState();
    void ruleButtons_data();
    void ruleButtons();
    void markupButtons_data();
    void markupButtons();
    void markupValuesAreTrimmed_data();
    void markupValuesAreTrimmed();
    void markupReplacesSelection();
    void listButtonsWithoutEntry_data();
    void listButtonsWithoutEntry();
    void clipboardUnavailable();
    void fontDialog();
    void modalResults_data();
    void modalResults();

private:
    void Click(const char* name);

    std::unique_ptr<TFormPT> form;
};

void TestFormPT::init()
{
    form = std::make_unique<TFormPT>();
}

void TestFormPT::Click(const char* name)
{
    auto* button = form->findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    button->click();
}

void TestFormPT::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("ButtonDelTag") << "ButtonDelTag"
                                  << "Удаление символов <>.( Removing symbol <>)";
    QTest::newRow("ButtonRemovingCarrying") << "ButtonRemovingCarrying"
                                            << "Удаление переносов. (Removing carrying.)";
    QTest::newRow("ButtonReplace") << "ButtonReplace"
                                   << "Замена (replace)";
    QTest::newRow("ButtonDelOneVK") << "ButtonDelOneVK"
                                    << "Удалить одиночный  #13#10";
    QTest::newRow("ButtonDelDVK") << "ButtonDelDVK"
                                  << "Удалить двойной  #13#10";
    QTest::newRow("ButtonFont") << "ButtonFont"
                                << "Шрифт";
    QTest::newRow("ButtonColor") << "ButtonColor"
                                 << "Цвет фона";
    QTest::newRow("ButtonExit") << "ButtonExit"
                                << "Отказаться от изменений.(Abandon to change.)";
    QTest::newRow("ButtonOk") << "ButtonOk"
                              << "Принять изменения.(Take change.)";
    for (const MarkupTag& tag : MarkupTags())
        QTest::newRow(tag.button) << QString::fromLatin1(tag.button) << tag.caption;
}

void TestFormPT::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    auto* button = form->findChild<QPushButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
}

void TestFormPT::startState()
{
    QCOMPARE(form->windowTitle(), "Обработка текста. (Processing the text.)");
    QCOMPARE(form->PageControl->count(), 3);
    QCOMPARE(form->PageControl->tabText(0), "Удаление и замена");
    QCOMPARE(form->PageControl->tabText(1), "XML");
    QCOMPARE(form->PageControl->tabText(2), "Настройки");
    QCOMPARE(form->PageControl->currentIndex(), 0);
    QCOMPARE(form->RETxt->font().pixelSize(), 15);
    QCOMPARE(form->RETxt->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(form->EditReplace->text().isEmpty() && form->EditReplaceOn->text().isEmpty());
    QCOMPARE(form->TabXml->EditLang->toolTip(), "409 - английский голос, 419 - русский");
    QCOMPARE(form->findChild<QPushButton*>("ButtonContextEnd")->toolTip(), "</context>");
    QCOMPARE(form->TabXml->CBoxPartOfSp->currentText(), "Unknown");
    QCOMPARE(form->TabXml->CBoxContext->count(), 3);
}

void TestFormPT::ruleButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("brackets") << "ButtonDelTag"
                              << "" << T("<b>bold</b>↵x") << T(" b bold /b ↵x");
    QTest::newRow("hyphens") << "ButtonRemovingCarrying"
                             << "" << T("con-↵tent") << T("content");
    QTest::newRow("single breaks") << "ButtonDelOneVK"
                                   << "" << T("a↵b↵↵c↵ d") << T("a b↵↵c↵ d");
    QTest::newRow("double breaks") << "ButtonDelDVK"
                                   << "" << T("a↵↵↵↵b") << T("a↵↵b");
    QTest::newRow("replace") << "ButtonReplace"
                             << "XX" << T("XX xx↵XX") << T("20 xx↵20");
    QTest::newRow("replace, empty find") << "ButtonReplace"
                                         << "" << T("XX↵") << T("XX↵");
    QTest::newRow("replace, across a break") << "ButtonReplace"
                                             << "b\r\nc" << T("ab↵cd") << T("a20d");
}

// Every rule works on the plain text with CR LF breaks and sets its result without the
// formatting the text had before.
void TestFormPT::ruleButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, find);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    form->RETxt->setPlainText(CrLfToDocumentText(input));
    QTextCursor all(form->RETxt->document());
    all.select(QTextCursor::Document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    all.mergeCharFormat(bold);
    form->EditReplace->setText(find);
    form->EditReplaceOn->setText("20");
    Click(button.toLatin1().constData());
    QCOMPARE(Text(*form), expected);
    QVERIFY(!AnyBold(form->RETxt->document()));
}

void TestFormPT::markupButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("inserted");
    const QStringList expected = {"<voice required=\"Language=409\">",
                                  "</lang>",
                                  "<volume level=\"70\">",
                                  "</volume>",
                                  "<rate absspeed=\"5\">",
                                  "</rate>",
                                  "<rate speed=\"5\">",
                                  "<rate absspeed=\"5\"/>",
                                  "<rate speed=\"5\"/>",
                                  "<pitch absmiddle=\"5\">",
                                  "</pitch>",
                                  "<pitch middle=\"5\">",
                                  "<pitch absmiddle=\"5\"/>",
                                  "<pitch middle=\"5\"/>",
                                  "<emph>",
                                  "</emph>",
                                  "<silence msec=\"500\"/>",
                                  "<pron sym=\"\">",
                                  "</pron>",
                                  "<bookmark mark=\"\"/>",
                                  "<partofsp part=\"Unknown\">",
                                  "</partofsp>",
                                  "<context id=\"date_mdy\">",
                                  "</context>",
                                  "<spell>",
                                  "</spell>"};
    QCOMPARE(qsizetype(MarkupTags().size()), expected.size());
    for (size_t i = 0; i < MarkupTags().size(); ++i)
        QTest::newRow(MarkupTags()[i].button) << QString::fromLatin1(MarkupTags()[i].button) << expected[i];
}

// With the start values each button inserts its tag at the caret and leaves it on the
// clipboard.
void TestFormPT::markupButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, inserted);
    QGuiApplication::clipboard()->setText("before");
    form->RETxt->setPlainText("ab");
    QTextCursor caret(form->RETxt->document());
    caret.setPosition(1);
    form->RETxt->setTextCursor(caret);
    Click(button.toLatin1().constData());
    QCOMPARE(Text(*form), "a" + inserted + "b");
    QCOMPARE(form->RETxt->textCursor().position(), 1 + inserted.size());
    QCOMPARE(QGuiApplication::clipboard()->text(), inserted);
}

void TestFormPT::markupValuesAreTrimmed_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("inserted");
    for (const MarkupTag& tag : MarkupTags()) {
        if (tag.source && QByteArray(tag.source).startsWith("Edit"))
            QTest::newRow(tag.button) << QString::fromLatin1(tag.button) << tag.opening + "1 0" + tag.closing;
    }
}

void TestFormPT::markupValuesAreTrimmed()
{
    QFETCH(QString, button);
    QFETCH(QString, inserted);
    for (QLineEdit* edit : form->TabXml->findChildren<QLineEdit*>())
        if (edit->objectName().startsWith("Edit"))
            edit->setText(" \t1 0\x01 ");
    Click(button.toLatin1().constData());
    QCOMPARE(Text(*form), inserted);
}

void TestFormPT::markupReplacesSelection()
{
    form->RETxt->setPlainText("one two three");
    QTextCursor selection(form->RETxt->document());
    selection.setPosition(4);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    form->RETxt->setTextCursor(selection);
    Click("ButtonEmph");
    QCOMPARE(Text(*form), "one <emph> three");
    QVERIFY(!form->RETxt->textCursor().hasSelection());
}

void TestFormPT::listButtonsWithoutEntry_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("part, unknown word") << "CBoxPartOfSp"
                                        << "ButtonPartOfSp"
                                        << "Adverb" << -1 << "";
    QTest::newRow("part, wrong case") << "CBoxPartOfSp"
                                      << "ButtonPartOfSp"
                                      << "verb" << -1 << "";
    QTest::newRow("part, an entry") << "CBoxPartOfSp"
                                    << "ButtonPartOfSp"
                                    << "Verb" << 2 << "<partofsp part=\"Verb\">";
    QTest::newRow("context, unknown") << "CBoxContext"
                                      << "ButtonContext"
                                      << "date" << -1 << "";
    QTest::newRow("context, an entry") << "CBoxContext"
                                       << "ButtonContext"
                                       << "date_ymd" << 2 << "<context id=\"date_ymd\">";
}

// Text typed into a list selects the entry it equals; with no entry selected the button
// inserts nothing, and the typed text stays.
void TestFormPT::listButtonsWithoutEntry()
{
    QFETCH(QString, list);
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(int, index);
    QFETCH(QString, inserted);
    auto* box = form->findChild<QComboBox*>(list);
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), typed);
    QCOMPARE(box->currentIndex(), index);
    QCOMPARE(box->currentText(), typed);
    Click(button.toLatin1().constData());
    QCOMPARE(Text(*form), inserted);
}

void TestFormPT::clipboardUnavailable()
{
    FormWithoutClipboard refusing;
    refusing.RETxt->setPlainText("kept");
    QGuiApplication::clipboard()->setText("old");
    try {
        refusing.InsertMarkup("<emph>");
        QFAIL("no error raised");
    } catch (const VemoError& error) {
        QVERIFY(error.message().contains("Clipboard unavailable"));
    }
    QCOMPARE(Text(refusing), "kept");
    QCOMPARE(refusing.RETxt->toPlainText(), "kept");
}

// OK in the font dialog formats the whole present text; Apply sets the base font only.
void TestFormPT::fontDialog()
{
    form->RETxt->setPlainText("abc");
    QFont chosen("DejaVu Serif");
    chosen.setPointSize(21);
    QTimer::singleShot(0, form.get(), [&] {
        form->FontDialog->setCurrentFont(chosen);
        form->FontDialog->accept();
    });
    Click("ButtonFont");
    QTextCursor first(form->RETxt->document());
    first.setPosition(1);
    QCOMPARE(first.charFormat().font().pointSize(), 21);
    QCOMPARE(form->RETxt->textCursor().selectedText(), "abc");
    QVERIFY(form->RETxt->font().pixelSize() == 15);

    auto* apply = form->FontDialog->findChild<QPushButton*>("FontDialogApply");
    QVERIFY(apply);
    form->FontDialog->setCurrentFont(chosen);
    apply->click();
    QCOMPARE(form->RETxt->font().pointSize(), 21);
}

void TestFormPT::modalResults_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("take") << "ButtonOk" << int(QDialog::Accepted);
    QTest::newRow("abandon") << "ButtonExit" << int(QDialog::Rejected);
}

void TestFormPT::modalResults()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    QTimer::singleShot(0, form.get(), [&] { form->findChild<QPushButton*>(button)->click(); });
    QCOMPARE(form->exec(), result);
}

QTEST_MAIN(TestFormPT)
#include "TestFormPT.moc"
