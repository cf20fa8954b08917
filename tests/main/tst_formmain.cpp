#include "FormMainFixture.h"
#include "documents/PositionMap.h"
#include "main/DocumentCommands.h"
#include "main/FileRunSession.h"
#include "main/MainReadingView.h"
#include "main/PictureView.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"
#include "speech/TestVoice.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

constexpr int RunTimeoutMs = 20000;

struct SpokenWord
{
    QString expected; // the fragment's text at the event's position
    QString selected; // what MText had selected right after the event
};

// Collects, after the window has handled each event, the word selected and the bold range.
class Recorder : public QObject
{
public:
    explicit Recorder(TFormMain& form) : m_form(form), m_ui(form)
    {
        for (SpeechVoice* voice : {m_ui.SpVoiceRu, m_ui.SpVoiceEng}) {
            connect(voice, &SpeechVoice::Word, this,
                    [this, voice](int, qint64, int pos, int len) { OnWord(*voice, pos, len); });
            connect(voice, &SpeechVoice::Sentence, this,
                    [this](int, qint64, int pos, int len) { OnSentence(pos, len); });
        }
    }
    QList<SpokenWord> words;
    QStringList voicesUsed;
    QStringList sentenceErrors;

private:
    void OnWord(SpeechVoice& voice, int pos, int len)
    {
        const ReadingRun& run = m_form.Reading();
        if (!run.IsSpeaking())
            return;
        words.append({run.Fragments().FragmentTexts.at(run.FragmentIndex()).mid(pos, len),
                      m_ui.MText->textCursor().selectedText()});
        voicesUsed << (&voice == m_ui.SpVoiceEng ? QStringLiteral("E") : QStringLiteral("R"));
    }
    void OnSentence(int pos, int len)
    {
        const ReadingRun& run = m_form.Reading();
        if (!run.IsSpeaking())
            return;
        const int start =
            run.ReadingBase() + run.Fragments().FragmentOffsets.at(run.FragmentIndex()).toInt() + pos;
        const QString expected = ProgramText(m_form).mid(start, len);
        const QStringList bold = BoldRanges(m_form);
        if (bold != QStringList{expected})
            sentenceErrors << QStringLiteral("expected [%1], bold %2").arg(expected, bold.join(u'|'));
    }
    TFormMain& m_form;
    const MainControls m_ui;
};

QStringList WordsOf(const QString& text)
{
    QStringList words;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("\\w+")).globalMatch(text);
    while (it.hasNext())
        words << it.next().captured();
    return words;
}

void SetCaret(TFormMain& form, int documentPosition)
{
    const MainControls ui(form);
    QTextCursor cursor = ui.MText->textCursor();
    cursor.setPosition(documentPosition);
    ui.MText->setTextCursor(cursor);
}

void SlowDown(TFormMain& form, int wordMs)
{
    const MainControls ui(form);
    static_cast<TestVoice*>(ui.SpVoiceRu)->SetWordMilliseconds(wordMs);
    static_cast<TestVoice*>(ui.SpVoiceEng)->SetWordMilliseconds(wordMs);
}

QString LongRussianText()
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("слово ");
    return text + QStringLiteral("конец. Hello world.");
}

// Lines of text, a line separator (inside its paragraph) after every third, about characters
// long; '|' in a text stands for a line separator.
QString LinesWithSeparators(qsizetype characters)
{
    QString text;
    for (int i = 0; text.size() < characters; ++i)
        text += QStringLiteral("Строка %1 text.").arg(i) + (i % 3 == 2 ? u'|' : u'\n');
    return text;
}

void SetTextWithSeparators(TFormMain& form, const QString& text)
{
    const MainControls ui(form);
    ui.MText->setPlainText(QString(text).replace(u'|', QChar::LineSeparator));
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestFormMain : public QObject
{
    Q_OBJECT

private slots:
    void layoutCaptions_data();
    void layoutCaptions();
    void startUpDefaults();
    void readsToTheEnd_data();
    void readsToTheEnd();
    void emptyRegionSpeaksNothing();
    void readsTheRegionAtTheCaret_data();
    void readsTheRegionAtTheCaret();
    void stopThenEditKeepsTheCutOfTheTextRead();
    void readingAgainCountsItsStart_data();
    void readingAgainCountsItsStart();
    void viewFollowsEdits_data();
    void viewFollowsEdits();
    void failedDumpSpeaksNothing();
    void stateTable_data();
    void stateTable();
    void pauseThenReadFinishes();
    void xmlModeIsOneRussianFragment();
    void voiceChangeDuringReading();
    void opsRoundTrip();
    void opsAtStartUp_data();
    void opsAtStartUp();
    void nameFormCaption();
    void viewCaptions();
    void stopToFileFlag();
    void textLimit();
    void pictures();
    void pictureDuringReading();
};

void TestFormMain::layoutCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const QList<std::pair<const char*, QString>> rows = {
        {"ButtonStart", "Read - Читать"},
        {"BPause", "Pause"},
        {"ButtonStop", "Stop"},
        {"ButtonButtonToFile", "To File"},
        {"BStopToFile", "Stop To File"},
        {"ButtonFont", "Шрифт"},
        {"ButtonColor", "Цвет фона"},
        {"BProsTxt", "Обр.Текста"},
        {"CBoxIsXML", "С тегами XML"},
        {"CBoxPlainText", "PlainText"},
        {"CheckBoxImg", "с картинками"},
        {"ButtonDirToSound", "DirToSoundAndAvi"},
        {"ChkBoxAutoStart", "Запукать авт., если устанвлен файл-флаг"},
        {"GroupBoxControl", "Управление (Control)"},
        {"GroupBoxRu", "Русский голос (Rus)"},
        {"GroupBoxEng", "Английский голос (Eng)"},
        {"RGDigitSay", "Чит.числа"},
        {"GroupBoxLog", "Log"},
        {"GroupBoxTxt", "Текст в речь  - text-to-speech "},
        {"GroupBoxImg", " Изображение "},
        {"FilesSaveAs", "Сохранить файл &как (Save as)"},
        {"ViewControl", "&Управление"},
        {"ControlTTSSpeechSynthesisStopToFile", "Остан&овить синтез в файл (Stop To File)"},
        {"HelpMenu", "&Помощь (Help)"},
    };
    for (const auto& [name, caption] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << caption;
}

void TestFormMain::layoutCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    QObject* object = form.findChild<QObject*>(name);
    QVERIFY2(object, qPrintable(name));
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        text = button->text();
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        text = group->title();
    else if (auto* action = qobject_cast<QAction*>(object))
        text = action->text();
    QCOMPARE(text, caption);
}

void TestFormMain::startUpDefaults()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QCOMPARE(form.windowTitle(), QStringLiteral("Вемо - синтезатор двуязычной речи. "));
    QCOMPARE(form.centralWidget()->size(), QSize(997, 777));
    QCOMPARE(ui.GroupBoxControl->height(), 153);
    QCOMPARE(ui.MLog->toPlainText(), QStringLiteral("MLog"));
    QCOMPARE(ui.MText->MaxLength(), 20000000);
    QCOMPARE(ui.MText->font().pixelSize(), 15);
    QCOMPARE(ui.MText->palette().color(QPalette::Text), QColor(0, 0, 0x80));
    QVERIFY(form.Reading().IsTicking());
    QVERIFY(!ui.TimerDirToSoundAndAvi->isActive());
    QCOMPARE(ui.TimerDirToSoundAndAvi->interval(), 3000);
    QCOMPARE(ui.RGDigitSay->ItemIndex(), 0);
    QCOMPARE(ui.ControlTTSSpeechSynthesis->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(ui.FilesSaveAs->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    // Without settings each list starts on the first voice of its language.
    QCOMPARE(ui.SpVoiceRu->Voice().language, QStringLiteral("ru"));
    QVERIFY(ui.SpVoiceEng->Voice().language.startsWith(QStringLiteral("en")));
    QCOMPARE(ui.TBVolumeRu->value(), ui.SpVoiceRu->Volume());
    QVERIFY(!ui.CBoxPlainText->isChecked());
    ui.CBoxPlainText->click();
    QVERIFY(ui.MText->PlainTextMode());
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::readsToTheEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::newRow("bilingual from the start") << "Hello world. Привет мир. Good day to you." << 0;
    QString lines;
    for (int i = 0; i < 60; ++i)
        lines += QStringLiteral("строка %1 текст\n").arg(i);
    QTest::newRow("after many line breaks") << lines + "Read this now. И это тоже." << 0;
    QTest::newRow("caret in the middle") << lines + "Read this now. И это тоже." << int(lines.size() - 30);
    QTest::newRow("caret on the last character reads all") << "Один two три" << 11;
}

void TestFormMain::readsToTheEnd()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.MText->setPlainText(text);
    SetCaret(form, caret);
    Recorder recorder(form);
    ui.ButtonStart->click();
    QVERIFY(ui.MText->isReadOnly());
    QVERIFY(form.Reading().IsSpeaking());
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), RunTimeoutMs);

    const int from = caret + 1 < text.size() ? caret : 0;
    QStringList selected;
    for (const SpokenWord& word : recorder.words) {
        QCOMPARE(word.selected, word.expected);
        selected << word.selected;
    }
    QCOMPARE(WordsOf(selected.join(u' ')), WordsOf(text.mid(from)));
    QVERIFY(recorder.voicesUsed.contains(QStringLiteral("E")));
    QVERIFY2(recorder.sentenceErrors.isEmpty(), qPrintable(recorder.sentenceErrors.join(u'\n')));

    QVERIFY(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")));
    QCOMPARE(form.Reading().FragmentIndex(), 0);
    QVERIFY(!ui.MText->isReadOnly());
    QTRY_VERIFY(BoldRanges(form).isEmpty());
    const QString program = ProgramText(form);
    const int lastSentence = form.Reading().SentenceStart();
    QVERIFY(lastSentence > 0);
    QCOMPARE(ProgramText(form).left(lastSentence).count(u'\r') + ui.MText->textCursor().position(),
             lastSentence);
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::emptyRegionSpeaksNothing()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.MText->setPlainText(QStringLiteral("text ,;  \n  "));
    SetCaret(form, 5);
    QSignalSpy words(ui.SpVoiceRu, &SpeechVoice::Word);
    ui.ButtonStart->click();
    QVERIFY(!form.Reading().IsSpeaking());
    QVERIFY(!ui.MText->isReadOnly());
    QCOMPARE(ui.MLog->toPlainText(), QStringLiteral("End!"));
    QTest::qWait(250);
    QCOMPARE(words.count(), 0);
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::readsTheRegionAtTheCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret"); // -1: at the end
    const QString mixed = QStringLiteral("Hello world.|Привет мир.\n|Good day. Ещё раз.");
    QTest::newRow("caret at the start") << mixed << 0;
    QTest::newRow("caret after line separators") << mixed << int(mixed.indexOf(u"Good"));
    QTest::newRow("caret on a line separator") << mixed << int(mixed.indexOf(u'|', 1));
    QTest::newRow("caret on the last character reads all") << QStringLiteral("Один two три") << 11;
    QTest::newRow("caret at the end reads all") << QStringLiteral("Один two три") << -1;
    QTest::newRow("caret on the closing break reads nothing") << QStringLiteral("Один two три\n") << 12;
    const QString lines = LinesWithSeparators(300000);
    QTest::newRow("long text, caret far in") << lines << int(lines.indexOf(u"Строка 6001 "));
}

// Read takes MText's text from the caret a stretch at a time: the region, where it starts
// in the whole text, the words selected and the fragment dump are those of the whole text
// taken at once and cut from the caret.
void TestFormMain::readsTheRegionAtTheCaret()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    SetTextWithSeparators(form, text);
    if (text.contains(u'|'))
        QVERIFY(ui.MText->document()->blockCount() < text.count(u'|') + text.count(u'\n'));
    const QTextDocument& document = *ui.MText->document();
    if (caret < 0)
        caret = document.characterCount() - 1;
    SetCaret(form, caret);
    const PositionMap whole(document.toRawText());
    const ReadingRegion region = GetReadingText(whole.ProgramText(), whole.ToProgram(caret));
    FragmentLists expected;
    SplitPlainText(region.text, FragmentLimit, QStringLiteral("R"), expected, QStringLiteral("expected.txt"));
    Recorder recorder(form);
    ui.ButtonStart->click();
    const ReadingRun& run = form.Reading();
    if (expected.Count() == 0) {
        QVERIFY(!run.IsSpeaking());
        QCOMPARE(ui.MLog->toPlainText(), QStringLiteral("End!"));
    } else {
        QVERIFY(run.IsSpeaking());
        QCOMPARE(run.Fragments().FragmentTexts.constFirst(), expected.FragmentTexts.constFirst());
        QTRY_VERIFY(recorder.words.size() >= 4 || !run.IsSpeaking());
        ui.ButtonStop->click();
        QCOMPARE(run.ReadingBase(), region.start);
    }
    QTRY_VERIFY(!run.IsCutting());
    QCOMPARE(run.Fragments().FragmentOffsets, expected.FragmentOffsets);
    QCOMPARE(FileBytes(FragmentDumpFileName), FileBytes(QStringLiteral("expected.txt")));
    for (const SpokenWord& word : std::as_const(recorder.words))
        QCOMPARE(word.selected, word.expected);
    QVERIFY2(recorder.sentenceErrors.isEmpty(), qPrintable(recorder.sentenceErrors.join(u'\n')));
    QVERIFY(fixture.Errors.isEmpty());
}

// Stop makes the text editable while the rest of a long text is still being cut: the cut and
// its dump stay those of the text as it was when Read was pressed.
void TestFormMain::stopThenEditKeepsTheCutOfTheTextRead()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    const QString text = LinesWithSeparators(4000000);
    SetTextWithSeparators(form, text);
    SetCaret(form, 1000);
    const PositionMap whole(ui.MText->document()->toRawText());
    const ReadingRegion region = GetReadingText(whole.ProgramText(), whole.ToProgram(1000));
    FragmentLists expected;
    SplitPlainText(region.text, FragmentLimit, QStringLiteral("R"), expected, QStringLiteral("expected.txt"));
    ui.ButtonStart->click();
    QVERIFY(form.Reading().IsCutting());
    ui.ButtonStop->click();
    QVERIFY(!ui.MText->isReadOnly());
    QTextCursor cursor(ui.MText->document());
    cursor.insertText(QStringLiteral("Вставка.\n"));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral(" The end."));
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsCutting(), 20000);
    QCOMPARE(form.Reading().ReadingBase(), region.start);
    QCOMPARE(form.Reading().Fragments().FragmentTexts, expected.FragmentTexts);
    QVERIFY(FileBytes(FragmentDumpFileName) == FileBytes(QStringLiteral("expected.txt")));
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::readingAgainCountsItsStart_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("edited");
    QTest::newRow("further on") << 3000 << 9000 << false;
    QTest::newRow("a little before") << 9000 << 8000 << false;
    QTest::newRow("nearer the top") << 9000 << 2000 << false;
    QTest::newRow("further on after an edit") << 3000 << 9000 << true;
    QTest::newRow("before after an edit") << 9000 << 8000 << true;
}

// Read, Stop, Read again elsewhere: the second reading's start in the whole text is counted
// from the first one's while the text is unchanged, from the top once it was edited.
void TestFormMain::readingAgainCountsItsStart()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, edited);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    SetTextWithSeparators(form, LinesWithSeparators(20000));
    for (const int caret : {first, second}) {
        if (caret == second && edited) {
            QTextCursor cursor(ui.MText->document());
            cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral("Вставка.\n"));
        }
        SetCaret(form, caret);
        ui.ButtonStart->click();
        QVERIFY(form.Reading().IsSpeaking());
        ui.ButtonStop->click();
        QCOMPARE(form.Reading().ReadingBase(),
                 PositionMap(ui.MText->document()->toRawText()).ToProgram(caret));
    }
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::viewFollowsEdits_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("nothing") << "none";
    QTest::newRow("lines inserted before the caret") << "insert";
    QTest::newRow("a letter replaced by a break") << "replace";
    QTest::newRow("text cleared") << "clear";
}

// A reading begun at the caret, its text read in part; the text is edited (as when a late end
// of stream or Stop's emphasis arrives after an edit): the reading's text ends there, and the
// positions shown are mapped on the text as it now is.
void TestFormMain::viewFollowsEdits()
{
    QFETCH(QString, edit);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    SetTextWithSeparators(form, LinesWithSeparators(200000));
    SetCaret(form, 50000);
    MainReadingView view(form);
    const std::unique_ptr<ReadingSource> source = view.BeginReading();
    QString region;
    QVERIFY(source->Read(1000, region));
    const int base = source->Base();
    QCOMPARE(base, PositionMap(ui.MText->document()->toRawText()).ToProgram(50000));
    QTextCursor cursor(ui.MText->document());
    if (edit == u"insert") {
        cursor.insertText(QStringLiteral("Новая строка.\nЕщё одна.\n"));
    } else if (edit == u"replace") {
        cursor.setPosition(10);
        cursor.setPosition(11, QTextCursor::KeepAnchor);
        cursor.insertText(QString(QChar::ParagraphSeparator));
    } else if (edit == u"clear") {
        ui.MText->clear();
    }
    QCOMPARE(source->Read(1000, region), edit == u"none");
    const PositionMap now(ui.MText->document()->toRawText());
    for (const int p : {0, 7, base - 3, base + 5, base + 150000, now.ProgramLength() - 2}) {
        view.SelectRange(p, 4);
        const QTextCursor selected = ui.MText->textCursor();
        QCOMPARE(selected.selectionStart(), now.ToDocument(p));
        QCOMPARE(selected.selectionEnd(), now.ToDocument(p + 4));
    }
    QVERIFY(fixture.Errors.isEmpty());
}

// The dump can be written neither in the current folder nor in the cache folder (a file
// stands where the cache folder would be).
void TestFormMain::failedDumpSpeaksNothing()
{
    FormMainFixture fixture;
    QVERIFY(QDir(fixture.Folder()).mkdir(QStringLiteral("tempTex.txt")));
    const QString blocked = fixture.Folder() + QStringLiteral("/blocked");
    QFile blocker(blocked);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(blocked));
    const auto restore = qScopeGuard([&oldCache] { qputenv("XDG_CACHE_HOME", oldCache); });
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.MText->setPlainText(QStringLiteral("Hello there"));
    QSignalSpy words(ui.SpVoiceEng, &SpeechVoice::Word);
    ui.ButtonStart->click();
    QCOMPARE(fixture.Errors.size(), 1);
    QVERIFY2(fixture.Errors.first().contains(QStringLiteral("tempTex.txt")),
             qPrintable(fixture.Errors.first()));
    QVERIFY(!form.Reading().IsSpeaking());
    QTRY_VERIFY(!ui.MText->isReadOnly());
    QCOMPARE(words.count(), 0);
}

void TestFormMain::stateTable_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("speaking");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<bool>("pauseEnabled");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("timerActive");
    QTest::newRow("idle read") << "idle"
                               << "read" << true << false << true << true << true;
    QTest::newRow("idle pause") << "idle"
                                << "pause" << false << false << true << false << false;
    QTest::newRow("idle stop") << "idle"
                               << "stop" << false << false << true << false << false;
    QTest::newRow("speaking read") << "speaking"
                                   << "read" << true << false << true << true << true;
    QTest::newRow("speaking pause") << "speaking"
                                    << "pause" << true << true << false << true << false;
    QTest::newRow("speaking stop") << "speaking"
                                   << "stop" << false << false << true << false << false;
    QTest::newRow("paused read") << "paused"
                                 << "read" << true << false << true << true << true;
    QTest::newRow("paused pause") << "paused"
                                  << "pause" << true << true << false << true << false;
    QTest::newRow("paused stop") << "paused"
                                 << "stop" << false << false << true << false << false;
}

void TestFormMain::stateTable()
{
    QFETCH(QString, state);
    QFETCH(QString, action);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    SlowDown(form, 40);
    ui.MText->setPlainText(LongRussianText());
    QTRY_VERIFY(!form.Reading().IsTicking()); // idle: the first tick stopped it
    if (state != u"idle")
        ui.ButtonStart->click();
    if (state == u"paused")
        ui.BPause->click();
    const QString logBefore = ui.MLog->toPlainText();
    if (action == u"read")
        ui.ControlTTSSpeechSynthesis->trigger();
    else if (action == u"pause")
        ui.ControlTTSSpeechSynthesisPause->trigger();
    else
        ui.ControlTTSSpeechSynthesisResume->trigger();
    QTEST(form.Reading().IsSpeaking(), "speaking");
    QTEST(form.Reading().IsPaused(), "paused");
    QTEST(ui.BPause->isEnabled(), "pauseEnabled");
    QTEST(ui.ControlTTSSpeechSynthesisPause->isEnabled(), "pauseEnabled");
    QTEST(ui.MText->isReadOnly(), "readOnly");
    QTEST(form.Reading().IsTicking(), "timerActive");
    if (state == u"paused" && action == u"read")
        QCOMPARE(ui.MLog->toPlainText(), logBefore); // resumed, not split again
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::pauseThenReadFinishes()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    SlowDown(form, 20);
    ui.MText->setPlainText(QStringLiteral("один два три четыре пять шесть семь"));
    QSignalSpy words(ui.SpVoiceRu, &SpeechVoice::Word);
    ui.ButtonStart->click();
    QTRY_VERIFY(words.count() >= 2);
    ui.BPause->click();
    const qsizetype atPause = words.count();
    QTest::qWait(200);
    QVERIFY(words.count() <= atPause + 1);
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), RunTimeoutMs);
    QCOMPARE(words.count(), 7);
    QVERIFY(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")));
}

void TestFormMain::xmlModeIsOneRussianFragment()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.CBoxIsXML->setChecked(true);
    ui.MText->setPlainText(QStringLiteral("Hello <emph>мир</emph> again"));
    ui.ButtonStart->click();
    QCOMPARE(form.Reading().SpeakFlags(), 9);
    QCOMPARE(form.Reading().Fragments().FragmentLangs, QStringList{QStringLiteral("R")});
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), RunTimeoutMs);
}

void TestFormMain::voiceChangeDuringReading()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    SlowDown(form, 30);
    ui.MText->setPlainText(LongRussianText());
    ui.ButtonStart->click();
    QVERIFY(form.Reading().IsSpeaking());
    ui.cbVoicesRu->setCurrentIndex(0);
    QCOMPARE(ui.SpVoiceRu->Voice().description, ui.cbVoicesRu->itemText(0));
    QVERIFY(form.Reading().IsSpeaking());
    ui.ButtonStop->click();
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::opsRoundTrip()
{
    FormMainFixture fixture;
    {
        TFormMain& form = fixture.Open();
        const MainControls ui(form);
        ui.cbVoicesRu->setCurrentIndex(0);
        ui.cbVoicesEng->setCurrentIndex(1);
        ui.ViewLog->trigger();
        fixture.Close();
    }
    QCOMPARE(fixture.ReadFile(QStringLiteral("ops.txt")),
             QStringLiteral("cbVoicesRu.ItemIndex=0\r\ncbVoicesEng.ItemIndex=1\r\n"
                            "GroupBoxLog.Visible=0\r\nGroupBoxControl.Visible=1\r\n"
                            "cbVoicesRu.VoiceId=test/en\r\ncbVoicesEng.VoiceId=test/ru\r\n"));
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QCOMPARE(ui.cbVoicesRu->currentIndex(), 0);
    QCOMPARE(ui.cbVoicesEng->currentIndex(), 1);
    QCOMPARE(ui.SpVoiceEng->Voice().description, ui.cbVoicesEng->itemText(1));
    QVERIFY(ui.GroupBoxLog->isHidden());
    QCOMPARE(ui.ViewLog->text(), QStringLiteral("&Протокол - Log ОТКЛ. - OFF"));
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::opsAtStartUp_data()
{
    QTest::addColumn<QByteArray>("ops");
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("ruIndex");
    QTest::addColumn<bool>("controlHidden");
    QTest::addColumn<QString>("viewLogCaption");
    QTest::addColumn<QString>("controlTitle");
    const QString named = QStringLiteral("Name - Управление (Control)");
    const QString plain = QStringLiteral("Управление (Control)");
    QTest::newRow("capital keys") << QByteArray("CBVOICESRU.ITEMINDEX=0\r\nGROUPBOXCONTROL.VISIBLE=0\r\n")
                                  << 0 << 0 << true << "&Протокол - Log ВКЛ.- ON" << named;
    QTest::newRow("not an integer") << QByteArray("cbVoicesRu.ItemIndex=x1\r\nGroupBoxControl.Visible=0\r\n")
                                    << 1 << 1 << false << "&Протокол - Log" << plain;
    QTest::newRow("minus one, as written without voices")
        << QByteArray("cbVoicesRu.ItemIndex=-1\r\ncbVoicesEng.ItemIndex=0\r\n") << 1 << -1 << false
        << "&Протокол - Log" << plain;
    QTest::newRow("index past the list")
        << QByteArray("cbVoicesEng.ItemIndex=7\r\n") << 1 << 1 << false << "&Протокол - Log" << plain;
}

void TestFormMain::opsAtStartUp()
{
    QFETCH(QByteArray, ops);
    QFETCH(int, errors);
    QFETCH(int, ruIndex);
    QFETCH(bool, controlHidden);
    QFETCH(QString, viewLogCaption);
    QFETCH(QString, controlTitle);
    FormMainFixture fixture;
    fixture.WriteFile(QStringLiteral("ops.txt"), ops);
    fixture.WriteFile(QStringLiteral("NameForm.txt"), "Name\r\n");
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QCOMPARE(fixture.Errors.size(), errors);
    if (errors)
        QVERIFY2(fixture.Errors.first().contains(fixture.OpsPath()), qPrintable(fixture.Errors.first()));
    QCOMPARE(ui.cbVoicesRu->currentIndex(), ruIndex);
    QCOMPARE(ui.GroupBoxControl->isHidden(), controlHidden);
    QCOMPARE(ui.ViewLog->text(), viewLogCaption);
    QCOMPARE(ui.GroupBoxControl->title(), controlTitle);
    fixture.Close();
    QVERIFY(fixture.ReadFile(QStringLiteral("ops.txt"))
                .startsWith(QStringLiteral("cbVoicesRu.ItemIndex=%1\r\n").arg(ruIndex)));
}

void TestFormMain::nameFormCaption()
{
    FormMainFixture fixture;
    fixture.WriteFile(QStringLiteral("NameForm.txt"), "A\r\nB\r\n");
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QCOMPARE(ui.GroupBoxControl->title(), QStringLiteral("AB - Управление (Control)"));
}

void TestFormMain::viewCaptions()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QCOMPARE(ui.ViewLog->text(), QStringLiteral("&Протокол - Log ВКЛ.- ON"));
    QCOMPARE(ui.ViewImg->text(), QStringLiteral("&Изображения"));
    ui.ViewControl->trigger();
    QVERIFY(ui.GroupBoxControl->isHidden());
    QCOMPARE(ui.ViewControl->text(), QStringLiteral("&Управление  ОТКЛ. - OFF"));
    ui.ViewControl->trigger();
    QCOMPARE(ui.ViewControl->text(), QStringLiteral("&Управление  ВКЛ.- ON"));
    ui.ViewImg->trigger();
    QVERIFY(ui.GroupBoxImg->isHidden());
    QCOMPARE(ui.ViewImg->text(), QStringLiteral("&Изображения ОТКЛ. - OFF"));
    ui.ViewLog->trigger();
    QCOMPARE(ui.ViewLog->text(), QStringLiteral("&Протокол - Log ОТКЛ. - OFF"));
}

// Stop To File's button and menu entry set the request that a file run tests; a new run
// starts without it.
void TestFormMain::stopToFileFlag()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.BStopToFile->click();
    {
        FileRunSession session = form.BeginFileRun(FileRunKind::ToFile);
        QVERIFY(!session.StopToFileRequested());
        ui.BStopToFile->click();
        QVERIFY(session.StopToFileRequested());
    }
    FileRunSession session = form.BeginFileRun(FileRunKind::ToFile);
    QVERIFY(!session.StopToFileRequested());
    ui.ControlTTSSpeechSynthesisStopToFile->trigger();
    QVERIFY(session.StopToFileRequested());
}

void TestFormMain::textLimit()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.MText->SetMaxLength(10);
    ui.MText->setPlainText(QStringLiteral("abcdef"));
    ui.MText->moveCursor(QTextCursor::End);
    ui.MText->setFocus();
    QTest::keyClicks(ui.MText, QStringLiteral("ghijklm"));
    QCOMPARE(ui.MText->toPlainText(), QStringLiteral("abcdefghij"));
    QGuiApplication::clipboard()->setText(QStringLiteral("XYZ"));
    ui.MText->selectAll();
    ui.MText->paste();
    QCOMPARE(ui.MText->toPlainText(), QStringLiteral("XYZ"));
    QGuiApplication::clipboard()->setText(QStringLiteral("0123456789ABC"));
    ui.MText->paste();
    QCOMPARE(ui.MText->toPlainText(), QStringLiteral("XYZ0123456"));
}

namespace {

void SavePicture(const QString& path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(path, "JPEG"));
}

} // namespace

// The words read with the box ticked look up pictures beside the text's file: a missing
// picture or a broken one (named in the log) leaves the last picture shown.
void TestFormMain::pictures()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QVERIFY(QDir(fixture.Folder()).mkdir(QStringLiteral("DicImg")));
    SavePicture(fixture.Folder() + QStringLiteral("/DicImg/Cat.jpg"), QSize(30, 20));
    fixture.WriteFile(QStringLiteral("DicImg/broken.jpg"), "\xff\xd8\xff not really");
    fixture.WriteFile(QStringLiteral("book.txt"), "cat dog broken");
    form.Documents().OpenFile(fixture.Folder() + QStringLiteral("/book.txt"));
    ui.CheckBoxImg->setChecked(true);
    SetCaret(form, 0);
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), RunTimeoutMs);
    QCOMPARE(ui.ImageV->Picture().size(), QSize(30, 20));
    QVERIFY(ui.MLog->toPlainText().contains(QStringLiteral("broken.jpg")));
    QVERIFY(fixture.Errors.isEmpty());
}

void TestFormMain::pictureDuringReading()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    QVERIFY(QDir(fixture.Folder()).mkdir(QStringLiteral("DicImg")));
    SavePicture(fixture.Folder() + QStringLiteral("/DicImg/cat.jpg"), QSize(12, 9));
    SavePicture(fixture.Folder() + QStringLiteral("/DicImg/кот.jpg"), QSize(5, 5));
    fixture.WriteFile(QStringLiteral("t.txt"), QStringLiteral("Вот кот, I see a CAT now").toUtf8());
    form.Documents().OpenFile(fixture.Folder() + QStringLiteral("/t.txt"));
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Вемо - синтезатор двуязычной речи. ") + form.CurrentFileName());
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), RunTimeoutMs);
    QVERIFY(ui.ImageV->Picture().isNull()); // box not ticked
    ui.CheckBoxImg->setChecked(true);
    SetCaret(form, 0);
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), RunTimeoutMs);
    QCOMPARE(ui.ImageV->Picture().size(), QSize(12, 9));
}

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
