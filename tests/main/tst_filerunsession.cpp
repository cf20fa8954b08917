#include "FormMainFixture.h"
#include "files/VemoError.h"
#include "main/FileRunSession.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"
#include "speech/filestream/SpFileStream.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(FileRunKind)

namespace {

QString Repeated(const QString& word, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += word;
    return text;
}

QList<QPushButton*> ReadingButtons(const MainControls& ui)
{
    return {ui.ButtonStart, ui.ButtonStop, ui.BPause, ui.ButtonButtonToFile};
}

} // namespace

// The main window's file-run session against a real window on the test engine: what it
// breaks off and takes on entering, and everything it gives back when it ends by an error.
class TestFileRunSession : public QObject
{
    Q_OBJECT

private slots:
    void entering_data();
    void entering();
    void errorGivesTheWindowBack_data();
    void errorGivesTheWindowBack();
    void showsInTheWindow();
};

void TestFileRunSession::entering_data()
{
    QTest::addColumn<FileRunKind>("kind");
    QTest::addColumn<int>("digitIndex");
    QTest::addColumn<QString>("digitLang");
    QTest::addColumn<bool>("dirButtonOn");
    QTest::newRow("To File, digits in Russian") << FileRunKind::ToFile << 0 << "R" << true;
    QTest::newRow("folder run, digits in English") << FileRunKind::Folder << 1 << "E" << false;
}

// A paused reading run is resumed and broken off before the dialog shows; the run's own
// button goes off at once only for the folder run.
void TestFileRunSession::entering()
{
    QFETCH(FileRunKind, kind);
    QFETCH(int, digitIndex);
    QFETCH(QString, digitLang);
    QFETCH(bool, dirButtonOn);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.MText->setPlainText(Repeated(QStringLiteral("слово "), 400));
    ui.RGDigitSay->SetItemIndex(digitIndex);
    ui.ButtonStart->click();
    ui.BPause->click();
    QVERIFY(form.Reading().IsPaused() && !ui.BPause->isEnabled());
    ui.MLog->setPlainText(QStringLiteral("old log"));
    ui.BStopToFile->click();

    FileRunSession session = form.BeginFileRun(kind);
    QVERIFY(!form.Reading().IsSpeaking() && !form.Reading().IsPaused());
    QCOMPARE(form.Reading().Fragments().Count(), 0);
    QVERIFY(ui.BPause->isEnabled() && ui.ControlTTSSpeechSynthesisPause->isEnabled());
    QVERIFY(ui.MLog->toPlainText().isEmpty());
    QVERIFY(!session.StopToFileRequested());
    QVERIFY(!form.FileRunActive());
    QCOMPARE(session.DigitLang(), digitLang);
    QCOMPARE(ui.ButtonDirToSound->isEnabled(), dirButtonOn);
}

void TestFileRunSession::errorGivesTheWindowBack_data()
{
    QTest::addColumn<FileRunKind>("kind");
    QTest::newRow("To File") << FileRunKind::ToFile;
    QTest::newRow("folder run") << FileRunKind::Folder;
}

// While the run has the window, its buttons and the Pause entry are off, the reading timer
// stands still and the window is in file-run mode; an error that ends the run gives all of
// it back, with the caption and the voices' streams the window had before.
void TestFileRunSession::errorGivesTheWindowBack()
{
    QFETCH(FileRunKind, kind);
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    form.setWindowTitle(QStringLiteral("Before"));
    SpFileStream earlier;
    ui.SpVoiceRu->SetAudioOutputStream(&earlier);
    QList<QPushButton*> buttons = ReadingButtons(ui);
    if (kind == FileRunKind::Folder)
        buttons.append(ui.ButtonDirToSound);

    try {
        FileRunSession session = form.BeginFileRun(kind);
        session.TakeWindow();
        QVERIFY(form.FileRunActive());
        for (QPushButton* button : std::as_const(buttons))
            QVERIFY(!button->isEnabled());
        QVERIFY(!ui.ControlTTSSpeechSynthesisPause->isEnabled());
        QVERIFY(!form.Reading().IsTicking());
        QCOMPARE(session.Caption(), QStringLiteral("Before"));
        form.setWindowTitle(QStringLiteral("Before фрагмент 1 из 2"));
        session.VoiceRu().SetAudioOutputStream(&session.FileStream());
        session.VoiceEng().SetAudioOutputStream(&session.FileStream());
        throw VemoError(QStringLiteral("disk full"));
    } catch (const VemoError&) {
    }
    QVERIFY(!form.FileRunActive());
    for (QPushButton* button : std::as_const(buttons))
        QVERIFY(button->isEnabled());
    QVERIFY(ui.ControlTTSSpeechSynthesisPause->isEnabled());
    QCOMPARE(form.windowTitle(), QStringLiteral("Before"));
    QCOMPARE(ui.SpVoiceRu->AudioOutputStream(), &earlier);
    QCOMPARE(ui.SpVoiceEng->AudioOutputStream(), nullptr);
    QVERIFY(!form.Reading().IsSpeaking() && !form.Reading().IsPaused());
}

// What the run shows goes to the window's own places: the log pane replaced or added to,
// the caption, an error box; it speaks with the window's voices and reads its text with
// line breaks as CR LF.
void TestFileRunSession::showsInTheWindow()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open();
    const MainControls ui(form);
    ui.MText->setPlainText(QStringLiteral("one\ntwo"));
    FileRunSession session = form.BeginFileRun(FileRunKind::Folder);
    session.TakeWindow();
    QCOMPARE(session.ProgramText(), QStringLiteral("one\r\ntwo"));
    QCOMPARE(&session.TextBox(), ui.MText);
    QCOMPARE(&session.VoiceRu(), ui.SpVoiceRu);
    QCOMPARE(&session.VoiceEng(), ui.SpVoiceEng);
    session.AppendLog(QStringLiteral("first"));
    session.AppendLog(QStringLiteral("second"));
    QCOMPARE(ui.MLog->toPlainText(), QStringLiteral("first\nsecond"));
    session.ShowLog(QStringLiteral("E\ntext"));
    QCOMPARE(ui.MLog->toPlainText(), QStringLiteral("E\ntext"));
    session.ShowFileInCaption(QStringLiteral("/books/a.txt"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Вемо - синтезатор двуязычной речи. /books/a.txt"));
    session.ShowCaption(session.Caption() + QStringLiteral(" фрагмент 1 из 2"));
    QCOMPARE(form.windowTitle(), session.Caption() + QStringLiteral(" фрагмент 1 из 2"));
    session.ShowError(QStringLiteral("x.wav could not be converted"));
    QCOMPARE(fixture.Errors, QStringList{QStringLiteral("x.wav could not be converted")});
}

QTEST_MAIN(TestFileRunSession)
#include "tst_filerunsession.moc"
