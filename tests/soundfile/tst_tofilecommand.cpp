#include "../main/FormMainFixture.h"
#include "files/MessageLanguage.h"
#include "main/DocumentCommands.h"
#include "main/FileRunSession.h"
#include "main/RichTextBox.h"
#include "soundfile/ToFileCommand.h"
#include "soundfile/UnitFileSelect.h"
#include "speech/filestream/SpFileStream.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The To File command in the main window (offscreen, test engine): the dialog is answered
// by a queued call, as a user would answer it.
class TestToFileCommand : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void init();
    void cleanup();
    void dividedMp3Run();
    void duringTheRun();
    void refusals_data();
    void refusals();
    void menuEntryClicksTheButton();
    void neverOverwritesTheOpenText_data();
    void neverOverwritesTheOpenText();
    void windowIsNotRedrawnPerFragment();

private:
    // Fills and accepts the dialog once it shows; afterwards runs `during` at the run's
    // first message pass.
    void answerDialog(const QString& name, const QString& limit, bool divide, bool mp3, bool accept = true,
                      std::function<void()> during = {});
    QStringList soundFiles() const;

    std::unique_ptr<FormMainFixture> m_fixture;
    std::unique_ptr<TFormFileSelect> m_dialog;
    ToFileCommand* m_command = nullptr;
};

namespace {

// Whether the window's file stream is still open, asked through a new session (which
// clears the log).
bool StreamLeftOpen(TFormMain& form)
{
    return form.BeginFileRun(FileRunKind::ToFile).FileStream().IsOpen();
}

} // namespace

void TestToFileCommand::init()
{
    m_fixture = std::make_unique<FormMainFixture>();
    TFormMain& form = m_fixture->Open();
    const MainControls ui(form);
    m_dialog = std::make_unique<TFormFileSelect>(&form);
    m_command = new ToFileCommand(form, *m_dialog);
    ui.MText->setPlainText(QString("Hello world, привет мир. ").repeated(40));
}

void TestToFileCommand::cleanup()
{
    m_dialog.reset();
    m_fixture.reset();
}

void TestToFileCommand::answerDialog(const QString& name, const QString& limit, bool divide, bool mp3,
                                     bool accept, std::function<void()> during)
{
    QTimer::singleShot(0, m_dialog.get(), [=, this] {
        QVERIFY(m_dialog->isVisible());
        m_dialog->EditNameFile->setText(name);
        m_dialog->EditMaxSimvolInFragm->setText(limit);
        m_dialog->CBoxDivFile->setChecked(divide);
        m_dialog->CheckBoxMP3->setChecked(mp3);
        if (during)
            QTimer::singleShot(0, m_dialog.get(), during);
        (accept ? m_dialog->ButtonOk : m_dialog->ButtonCancel)->click();
    });
}

QStringList TestToFileCommand::soundFiles() const
{
    return QDir(m_fixture->Folder()).entryList({"tale", "tale*.wav", "tale*.mp3"}, QDir::Files, QDir::Name);
}

void TestToFileCommand::dividedMp3Run()
{
    TFormMain& form = m_fixture->Form();
    const MainControls ui(form);
    const QString caption = form.windowTitle();
    answerDialog(m_fixture->Folder() + "/tale.wav", "300", true, true);
    ui.ButtonButtonToFile->click();
    QVERIFY2(m_fixture->Errors.isEmpty(), qPrintable(m_fixture->Errors.join('\n')));
    const QStringList files = soundFiles();
    QVERIFY2(files.size() >= 3, qPrintable(files.join(' ')));
    QCOMPARE(files.filter(".mp3").size(), files.size());
    QCOMPARE(files.first(), "tale000.mp3");
    QCOMPARE(form.windowTitle(), caption);
    for (QPushButton* button : {ui.ButtonStart, ui.ButtonStop, ui.BPause, ui.ButtonButtonToFile})
        QVERIFY(button->isEnabled());
    QVERIFY(ui.ControlTTSSpeechSynthesisPause->isEnabled());
    QCOMPARE(ui.SpVoiceRu->AudioOutputStream(), nullptr);
    QCOMPARE(ui.SpVoiceEng->AudioOutputStream(), nullptr);
    QVERIFY(!form.FileRunActive());
    QVERIFY(ui.MLog->toPlainText().startsWith("R\n"));
    QVERIFY(QFile::exists(m_fixture->Folder() + "/tempTex.txt"));
    QVERIFY(!StreamLeftOpen(form));
}

// While the run speaks: the reading buttons are off, Read and a second To File do nothing,
// and Stop To File ends the run with the open WAV kept.
void TestToFileCommand::duringTheRun()
{
    TFormMain& form = m_fixture->Form();
    const MainControls ui(form);
    bool buttonsOff = false;
    bool readStarted = true;
    answerDialog(m_fixture->Folder() + "/tale.wav", "1000", false, true, true, [&] {
        buttonsOff = !ui.ButtonStart->isEnabled() && !ui.ButtonButtonToFile->isEnabled() &&
                     !ui.ControlTTSSpeechSynthesisPause->isEnabled() && ui.BStopToFile->isEnabled();
        ui.ButtonStart->click();
        readStarted = form.Reading().IsSpeaking();
        ui.ControlTTSSpeechSynthesisToFile->trigger();
        m_command->ButtonButtonToFileClick();
        ui.BStopToFile->click();
    });
    ui.ButtonButtonToFile->click();
    QVERIFY(buttonsOff);
    QVERIFY(!readStarted);
    QCOMPARE(soundFiles(), QStringList{"tale.wav"});
    QVERIFY(m_fixture->Errors.isEmpty());
    QVERIFY(ui.ButtonStart->isEnabled());
}

void TestToFileCommand::refusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("error"); // a part of the message shown; empty: none
    QTest::newRow("cancelled") << "tale.wav"
                               << "1000" << false << "";
    QTest::newRow("limit not a number, not dividing") << "tale.wav"
                                                      << "12a" << true << "«12a»";
    QTest::newRow("missing folder") << "no such/tale.wav"
                                    << "1000" << true << "no such/tale.wav";
}

void TestToFileCommand::refusals()
{
    QFETCH(QString, name);
    QFETCH(QString, limit);
    QFETCH(bool, accept);
    QFETCH(QString, error);
    TFormMain& form = m_fixture->Form();
    const MainControls ui(form);
    const QString caption = form.windowTitle();
    ui.MLog->setPlainText("old log");
    answerDialog(m_fixture->Folder() + "/" + name, limit, false, false, accept);
    ui.ButtonButtonToFile->click();
    QCOMPARE(m_fixture->Errors.size(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty())
        QVERIFY2(m_fixture->Errors.first().contains(error), qPrintable(m_fixture->Errors.first()));
    QVERIFY(soundFiles().isEmpty());
    QVERIFY(ui.MLog->toPlainText().isEmpty());
    QCOMPARE(form.windowTitle(), caption);
    QVERIFY(ui.ButtonStart->isEnabled() && ui.ButtonButtonToFile->isEnabled());
    QVERIFY(!StreamLeftOpen(form));
    QVERIFY(!form.FileRunActive());
}

void TestToFileCommand::neverOverwritesTheOpenText_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("mp3");
    QTest::newRow("same name") << "book.txt" << false;
    QTest::newRow("through a link") << "link.txt" << false;
    QTest::newRow("the MP3 file") << "book.wav" << true;
}

// The file the text was opened from is never the sound file: the run is refused with a
// message naming it and the file keeps its bytes.
void TestToFileCommand::neverOverwritesTheOpenText()
{
    QFETCH(QString, chosen);
    QFETCH(bool, mp3);
    TFormMain& form = m_fixture->Form();
    const MainControls ui(form);
    const QString book = m_fixture->Folder() + (mp3 ? "/book.mp3" : "/book.txt");
    QFile file(book);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write("the book"), 8);
    file.close();
    QVERIFY(QFile::link(book, m_fixture->Folder() + "/link.txt"));
    form.Documents().OpenFile(book);
    answerDialog(m_fixture->Folder() + "/" + chosen, "1000", false, mp3);
    ui.ButtonButtonToFile->click();
    QCOMPARE(m_fixture->Errors.size(), 1);
    QVERIFY2(m_fixture->Errors.first().contains(book) && m_fixture->Errors.first().contains("не перезаписан"),
             qPrintable(m_fixture->Errors.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the book"));
    QVERIFY(!StreamLeftOpen(form));
}

void TestToFileCommand::menuEntryClicksTheButton()
{
    TFormMain& form = m_fixture->Form();
    const MainControls ui(form);
    answerDialog(m_fixture->Folder() + "/tale", "1000", false, false);
    ui.ControlTTSSpeechSynthesisToFile->trigger();
    QCOMPARE(soundFiles(), QStringList{"tale"});
}

namespace {

class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

} // namespace

// The text box is left alone during the run (its selection and styles were reset, and the
// box redrawn, after every fragment), and the log pane shows the spoken fragment at most a
// few times a second, ending on the last one.
void TestToFileCommand::windowIsNotRedrawnPerFragment()
{
    TFormMain& form = m_fixture->Form();
    const MainControls ui(form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    PaintCounter textBox;
    ui.MText->viewport()->installEventFilter(&textBox);
    int logChanges = 0;
    connect(ui.MLog, &QPlainTextEdit::textChanged, this, [&logChanges] { ++logChanges; });
    QElapsedTimer clock;
    clock.start();
    answerDialog(m_fixture->Folder() + "/tale.wav", "1000", false, false);
    ui.ButtonButtonToFile->click();
    const qint64 seconds = clock.elapsed() / 1000;

    const FragmentLists& fragments = form.Reading().Fragments();
    QVERIFY(fragments.FragmentTexts.size() >= 40);
    QVERIFY2(textBox.paints <= 3, qPrintable(QString::number(textBox.paints)));
    QVERIFY2(logChanges <= 2 * (4 * seconds + 4), qPrintable(QString::number(logChanges)));
    QCOMPARE(ui.MLog->toPlainText(),
             fragments.FragmentLangs.last() + "\n" + fragments.FragmentTexts.last() + "\n");
}

QTEST_MAIN(TestToFileCommand)
#include "tst_tofilecommand.moc"
