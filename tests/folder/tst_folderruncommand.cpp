#include "FolderTestFiles.h"
#include "files/MessageLanguage.h"
#include "files/UnitFindFilesSL.h"
#include "folder/FolderRunCommand.h"
#include "folder/UnitFileSelectDir.h"
#include "main/ErrorGuard.h"
#include "main/FileRunSession.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"
#include "speech/SpeechVoice.h"
#include "tests/main/MainControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <memory>
#include <optional>

using namespace FolderTestFiles;

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The main window on the test engine with its folder dialog and folder-run command, the
// settings and the current directory in a temporary folder, errors collected.
class TestFolderRunCommand : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void init();
    void cleanup();
    void stopDuringSecondFileRestoresWindow();
    void booksBoxTakesBooks();
    void flagStartsUnattendedRun();
    void tickWithoutFolderLogs();
    void refusedAcceptDoesNotRun_data();
    void refusedAcceptDoesNotRun();
    void errorEndsUnattendedRunAndDeletesFlag();
    void undeletableFlagRunsAgain();
    void failedConversionDoesNotStopRun_data();
    void failedConversionDoesNotStopRun();
    void workersSpeakAsTheWindow();

private:
    void SetFolder(const QString& folder);
    void CheckAutoStart(bool on);
    QStringList LogLines() const { return ui->MLog->toPlainText().split('\n', Qt::SkipEmptyParts); }

    std::unique_ptr<QTemporaryDir> settingsDir;
    QTemporaryDir books;
    std::unique_ptr<TFormMain> form;
    std::optional<MainControls> ui;
    std::unique_ptr<TFormFileSelectDir> dialog;
    FolderRunCommand* command = nullptr;
    QStringList errors;
};

void TestFolderRunCommand::init()
{
    settingsDir = std::make_unique<QTemporaryDir>();
    qputenv("VEMO_SETTINGS_DIR", settingsDir->path().toUtf8());
    QDir::setCurrent(settingsDir->path());
    errors.clear();
    SetErrorDisplay([this](QWidget*, const QString& message) { errors << message; });
    form = std::make_unique<TFormMain>(SpeechEngineKind::Test);
    ui.emplace(*form);
    dialog = std::make_unique<TFormFileSelectDir>(form.get());
    command = new FolderRunCommand(*form, *dialog);
    for (const QString& name : QDir(books.path()).entryList(QDir::Files))
        QFile::remove(books.filePath(name));
    QDir(books.filePath("Start.Flag")).removeRecursively();
    QVERIFY(Write(books.filePath("a.txt"), "Первый файл. First file."));
    QVERIFY(Write(books.filePath("b.txt"), "Второй файл. Second file."));
    QVERIFY(Write(books.filePath("c.txt"), "Третий файл. Third file."));
}

void TestFolderRunCommand::cleanup()
{
    dialog.reset();
    ui.reset();
    form.reset();
    SetErrorDisplay({});
    QDir::setCurrent(QDir::tempPath());
    settingsDir.reset();
}

void TestFolderRunCommand::SetFolder(const QString& folder)
{
    dialog->EditNameFileDir->setText(folder);
}

void TestFolderRunCommand::CheckAutoStart(bool on)
{
    if (ui->ChkBoxAutoStart->isChecked() != on)
        ui->ChkBoxAutoStart->click();
}

// Stop To File while the second of three files is spoken, MP3 on: the first file is an
// MP3, the second stays a WAV with its video command, the third is not touched; the window
// gets back its caption and its text with the text's formatting.
void TestFolderRunCommand::stopDuringSecondFileRestoresWindow()
{
    ui->MText->setHtml("<b>Жирный</b> текст");
    form->setWindowTitle("Before");
    QTextDocument* before = ui->MText->document();
    SetFolder(books.path());
    dialog->CheckBoxMP3->setChecked(true);
    dialog->Activate();
    connect(form.get(), &QWidget::windowTitleChanged, this, [this](const QString& title) {
        if (title.endsWith("/b.txt"))
            ui->BStopToFile->click();
    });
    CheckAutoStart(true);

    ui->ButtonDirToSound->click();

    QCOMPARE(errors, QStringList{});
    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.mp3", "b.wav"}));
    const QString batch = ReadText(books.filePath("ToVideo.bat"));
    QVERIFY(batch.contains("/a.mp3'") && batch.contains("/b.wav'") && !batch.contains("/c."));
    QCOMPARE(form->windowTitle(), "Before");
    QCOMPARE(ui->MText->document(), before);
    QCOMPARE(ui->MText->toPlainText(), "Жирный текст");
    QVERIFY(ui->MText->document()->toHtml().contains("font-weight:700"));
    for (QPushButton* button : {ui->ButtonStart, ui->ButtonDirToSound, ui->ButtonButtonToFile})
        QVERIFY(button->isEnabled());
    QVERIFY(!form->FileRunActive());
}

// The dialog's box for books: unchecked, the run keeps to the text files; checked, it also
// speaks the books, each read as a book and not as its markup.
void TestFolderRunCommand::booksBoxTakesBooks()
{
    QVERIFY(QFile::copy(VEMO_BOOKS_DIR "/book.fb2", books.filePath("d.fb2")));
    SetFolder(books.path());
    CheckAutoStart(true);
    ui->ButtonDirToSound->click();
    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.wav", "b.wav", "c.wav", "d.fb2"}));

    dialog->CheckBoxBooks->setChecked(true);
    ui->ButtonDirToSound->click();
    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.wav", "b.wav", "c.wav", "d.fb2", "d.wav"}));
    const QString dump = ReadText(QDir::current().filePath("tempTex.txt"));
    QVERIFY2(dump.contains("смелый") && !dump.contains("FictionBook"), qPrintable(dump));
    QCOMPARE(errors, QStringList{});
}

void TestFolderRunCommand::flagStartsUnattendedRun()
{
    SetFolder(books.path());
    CheckAutoStart(true);
    QVERIFY(ui->TimerDirToSoundAndAvi->isActive());
    QCOMPARE(ui->TimerDirToSoundAndAvi->interval(), 3000);

    command->TimerDirToSoundAndAviTimer();
    QCOMPARE(MadeFiles(books.path()), QStringList{});

    QVERIFY(Write(books.filePath("Start.Flag"), ""));
    std::optional<FileRunSession> toFile(std::in_place, *form, FileRunKind::ToFile);
    toFile->TakeWindow(); // a To File run: no second run inside it
    command->TimerDirToSoundAndAviTimer();
    QCOMPARE(MadeFiles(books.path()), QStringList{"Start.Flag"});
    toFile.reset();
    command->TimerDirToSoundAndAviTimer();
    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.wav", "b.wav", "c.wav"}));
    QVERIFY(!QFileInfo::exists(books.filePath("Start.Flag")));
    QVERIFY(ui->TimerDirToSoundAndAvi->isActive());
    QVERIFY(ui->ButtonDirToSound->isEnabled());

    CheckAutoStart(false);
    QVERIFY(!ui->TimerDirToSoundAndAvi->isActive());
    QVERIFY(Write(books.filePath("Start.Flag"), ""));
    QFile::remove(books.filePath("a.wav"));
    command->TimerDirToSoundAndAviTimer();
    QVERIFY(!QFileInfo::exists(books.filePath("a.wav")));
    QCOMPARE(errors, QStringList{});
}

void TestFolderRunCommand::tickWithoutFolderLogs()
{
    SetFolder("");
    CheckAutoStart(true);
    command->TimerDirToSoundAndAviTimer();
    command->TimerDirToSoundAndAviTimer();
    const QString line = "Запуск по таймеру и флагу невозможен, пака где хранятся текстовые файлы НЕ выбрана";
    QCOMPARE(LogLines().count(line), 2);
    QCOMPARE(LogLines().constLast(), line);
    QVERIFY(ui->TimerDirToSoundAndAvi->isActive());
}

void TestFolderRunCommand::refusedAcceptDoesNotRun_data()
{
    QTest::addColumn<bool>("blankName");
    QTest::addColumn<bool>("byTimer");
    QTest::newRow("no WAV format, by the timer") << false << true;
    QTest::newRow("no WAV format, by the button") << false << false;
    QTest::newRow("blank folder name, by the button") << true << false;
}

// Unattended, a refused Accept is logged and nothing is converted, even with the settings
// of an earlier acceptance at hand.
void TestFolderRunCommand::refusedAcceptDoesNotRun()
{
    QFETCH(bool, blankName);
    QFETCH(bool, byTimer);
    SetFolder(books.path());
    dialog->Accept();
    QVERIFY(dialog->Accepted);
    if (blankName)
        SetFolder("   ");
    else
        dialog->CBStreamFormattype->setCurrentIndex(-1);
    CheckAutoStart(true);
    QVERIFY(Write(books.filePath("Start.Flag"), ""));

    if (byTimer)
        command->TimerDirToSoundAndAviTimer();
    else
        ui->ButtonDirToSound->click();

    QCOMPARE(LogLines(), QStringList{FolderRunCommand::RefusedMessage()});
    QCOMPARE(MadeFiles(books.path()), QStringList{"Start.Flag"}.mid(byTimer ? 1 : 0));
    QVERIFY(ui->ButtonDirToSound->isEnabled());
    QVERIFY(ui->TimerDirToSoundAndAvi->isActive());
}

// An error ends the run: it goes to the log pane and the run log (nobody is there to close
// a message box), the flag is deleted all the same (a flag left would start the failing run
// again every 3 s) and the timer is armed again.
void TestFolderRunCommand::errorEndsUnattendedRunAndDeletesFlag()
{
    SetFolder(books.path());
    dialog->EditMaxSimvolInFragm->setText("ten");
    CheckAutoStart(true);
    QVERIFY(Write(books.filePath("Start.Flag"), ""));
    command->TimerDirToSoundAndAviTimer();
    QCOMPARE(errors, QStringList{});
    QVERIFY2(LogLines().filter("ten").size() == 1, qPrintable(LogLines().join('\n')));
    QVERIFY(ReadText(books.filePath("vemo-run.log")).contains("end: the run failed: "));
    QCOMPARE(MadeFiles(books.path()), QStringList{});
    QVERIFY(!QFileInfo::exists(books.filePath("ToVideo.bat")));
    QVERIFY(ui->TimerDirToSoundAndAvi->isActive());
    QVERIFY(ui->ButtonDirToSound->isEnabled());
}

// A flag that cannot be deleted (here a folder) is tried again with a beep each time, then
// left in place: the next tick converts the folder again.
void TestFolderRunCommand::undeletableFlagRunsAgain()
{
    SetFolder(books.path());
    CheckAutoStart(true);
    QVERIFY(QDir().mkpath(books.filePath("Start.Flag/inside")));
    command->Unattended().SetDeleteRetryMs(1);
    int beeps = 0;
    const auto oldBeep = SetAlertBeep([&beeps] { ++beeps; });
    command->TimerDirToSoundAndAviTimer();
    QVERIFY(QFile::remove(books.filePath("a.wav")));
    command->TimerDirToSoundAndAviTimer();
    SetAlertBeep(oldBeep);
    QVERIFY(QFileInfo::exists(books.filePath("a.wav")));
    QCOMPARE(beeps, 2 * DeleteFlagFileAttempts);
    QVERIFY(ui->TimerDirToSoundAndAvi->isActive());
}

void TestFolderRunCommand::failedConversionDoesNotStopRun_data()
{
    QTest::addColumn<bool>("unattended");
    QTest::newRow("unattended: log pane only") << true;
    QTest::newRow("by the button: one message at the end") << false;
}

// b's MP3 file cannot be created (a folder has its name): the run goes on with c, the
// failure naming the WAV file goes to the run log and, unattended, to the log pane; only a
// run started by hand ends with one message box naming the book.
void TestFolderRunCommand::failedConversionDoesNotStopRun()
{
    QFETCH(bool, unattended);
    QVERIFY(QDir(books.path()).mkpath("b.mp3.part"));
    const auto removeFolder = qScopeGuard([this] { QDir(books.filePath("b.mp3.part")).removeRecursively(); });
    SetFolder(books.path());
    dialog->CheckBoxMP3->setChecked(true);
    dialog->Activate();
    if (unattended) {
        dialog->Accept();
        CheckAutoStart(true);
        QVERIFY(Write(books.filePath("Start.Flag"), ""));
        command->TimerDirToSoundAndAviTimer();
    } else {
        QTimer::singleShot(0, dialog.get(), [this] { dialog->ButtonOk->click(); });
        ui->ButtonDirToSound->click();
    }

    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.mp3", "b.wav", "c.mp3"}));
    const QString failure = "Ошибка при конвертации wav в mp3 ФАЙЛ ! " + books.filePath("b.wav");
    QVERIFY(ReadText(books.filePath("vemo-run.log")).contains(failure));
    if (unattended) {
        QCOMPARE(errors, QStringList{});
        // The pane shows each fragment as it is spoken; the failures stand there at the end.
        QVERIFY2(LogLines().filter(failure).size() == 1, qPrintable(LogLines().join('\n')));
        QVERIFY(!QFileInfo::exists(books.filePath("Start.Flag")));
    } else {
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(books.filePath("b.txt")) && !errors.first().contains("a.txt"),
                 qPrintable(errors.first()));
    }
    QVERIFY(ui->ButtonDirToSound->isEnabled());
}

// With the program for workers, the books are spoken in worker processes with the
// window's voices, rates and volumes: the same files as the window makes itself.
void TestFolderRunCommand::workersSpeakAsTheWindow()
{
    qputenv("VEMO_SPEECH_ENGINE", "test");
    ui->SpVoiceRu->SetRate(3);
    ui->SpVoiceEng->SetVolume(40);
    SetFolder(books.path());
    dialog->Accept();
    CheckAutoStart(true);
    ui->ButtonDirToSound->click();
    QMap<QString, QByteArray> itself;
    for (const QString& name : MadeFiles(books.path()))
        itself.insert(name, ReadBytes(books.filePath(name)));
    QCOMPARE(itself.keys(), (QStringList{"a.wav", "b.wav", "c.wav"}));
    for (const QString& name : itself.keys())
        QVERIFY(QFile::remove(books.filePath(name)));

    command->SetWorkerProgram(VEMO_PROGRAM);
    ui->ButtonDirToSound->click();

    QCOMPARE(errors, QStringList{});
    QCOMPARE(MadeFiles(books.path()), itself.keys());
    for (const QString& name : itself.keys())
        QVERIFY2(ReadBytes(books.filePath(name)) == itself.value(name), qPrintable(name));
    QCOMPARE(ReadText(books.filePath("vemo-run.log")).count(": done in "), 6);
}

QTEST_MAIN(TestFolderRunCommand)
#include "tst_folderruncommand.moc"
