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
#include <QTest>
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

} // namespace

class TestFormPT : public QObject
{
    Q_OBJECT

private slots:
    void init() { form = std::make_unique<TFormPT>(); }
    void ruleButtons_data();
    void ruleButtons();
    void markupButtons_data();
    void markupButtons();
    void markupReplacesSelection();
    void listButtonsWithoutEntry_data();
    void listButtonsWithoutEntry();
    void clipboardUnavailable();
    void fontDialog();

private:
    void Click(const QString& name) { form->findChild<QPushButton*>(name)->click(); }

    std::unique_ptr<TFormPT> form;
};

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
    QTest::newRow("replace across a break") << "ButtonReplace"
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
    form->RETxt->selectAll();
    form->RETxt->setFontWeight(QFont::Bold);
    form->EditReplace->setText(find);
    form->EditReplaceOn->setText("20");
    Click(button);
    QCOMPARE(Text(*form), expected);
    QTextCursor first(form->RETxt->document());
    first.setPosition(1);
    QCOMPARE(first.charFormat().fontWeight(), int(QFont::Normal));
}

void TestFormPT::markupButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("inserted");
    const QStringList atStart = {"<voice required=\"Language=409\">",
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
    QCOMPARE(qsizetype(MarkupTags().size()), atStart.size());
    for (size_t i = 0; i < MarkupTags().size(); ++i) {
        const MarkupTag& tag = MarkupTags()[i];
        QTest::addRow("%s, start values", tag.button) << tag.button << QString() << atStart[i];
        // Typed values lose blanks and control characters at both ends, nothing else.
        const bool edited = tag.source && QByteArray(tag.source).startsWith("Edit");
        QTest::addRow("%s, typed value", tag.button)
            << tag.button << " \t1 \"0\"\x01 "
            << (edited ? tag.opening + "1 \"0\"" + tag.closing : atStart[i]);
    }
}

// Each button inserts its tag at the caret and leaves it on the clipboard.
void TestFormPT::markupButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, value);
    QFETCH(QString, inserted);
    if (!value.isNull())
        for (QLineEdit* edit : form->TabXml->findChildren<QLineEdit*>(QRegularExpression("^Edit")))
            edit->setText(value);
    QGuiApplication::clipboard()->setText("before");
    form->RETxt->setPlainText("ab");
    QTextCursor caret(form->RETxt->document());
    caret.setPosition(1);
    form->RETxt->setTextCursor(caret);
    Click(button);
    QCOMPARE(Text(*form), "a" + inserted + "b");
    QCOMPARE(form->RETxt->textCursor().position(), 1 + inserted.size());
    QCOMPARE(QGuiApplication::clipboard()->text(), inserted);
}

void TestFormPT::markupReplacesSelection()
{
    form->RETxt->setPlainText("one two three");
    form->RETxt->selectAll();
    form->RETxt->setFontWeight(QFont::Bold);
    QTextCursor selection(form->RETxt->document());
    selection.setPosition(4);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    form->RETxt->setTextCursor(selection);
    Click("ButtonEmph");
    QCOMPARE(Text(*form), "one <emph> three");
    QCOMPARE(form->RETxt->textCursor().charFormat().fontWeight(), int(QFont::Bold)); // format of the place
}

void TestFormPT::listButtonsWithoutEntry_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("part, unknown word") << "CBoxPartOfSp"
                                        << "Adverb" << -1 << "";
    QTest::newRow("part, wrong case") << "CBoxPartOfSp"
                                      << "verb" << -1 << "";
    QTest::newRow("part, an entry") << "CBoxPartOfSp"
                                    << "Verb" << 2 << "<partofsp part=\"Verb\">";
    QTest::newRow("context, unknown") << "CBoxContext"
                                      << "date" << -1 << "";
}

// Text typed into a list selects the entry it equals; with no entry selected the button
// inserts nothing, and the typed text stays.
void TestFormPT::listButtonsWithoutEntry()
{
    QFETCH(QString, list);
    QFETCH(QString, typed);
    QFETCH(int, index);
    QFETCH(QString, inserted);
    auto* box = form->findChild<QComboBox*>(list);
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), typed);
    QCOMPARE(box->currentIndex(), index);
    QCOMPARE(box->currentText(), typed);
    Click(QString(list).replace("CBox", "Button"));
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
        QVERIFY(error.Message().contains("Clipboard unavailable"));
    }
    QCOMPARE(Text(refusing), "kept");
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
    QCOMPARE(form->RETxt->font().pixelSize(), 15);

    form->FontDialog->findChild<QPushButton*>("FontDialogApply")->click();
    QCOMPARE(form->RETxt->font().pointSize(), 21);
}

QTEST_MAIN(TestFormPT)
#include "tst_formpt.moc"
