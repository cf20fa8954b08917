#include "app/CommandLine.h"
#include "app/ProgramHelp.h"
#include "app/StartArguments.h"
#include "files/MessageLanguage.h"
#include "files/UnitFindFilesSL.h"
#include "folder/FolderRunCommand.h"
#include "folder/UnitFileSelectDir.h"
#include "main/About.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "soundfile/AheadWorker.h"
#include "soundfile/ToFileCommand.h"
#include "soundfile/UnitFileSelect.h"
#include "texttools/TextToolsCommands.h"
#include "texttools/UnitGetText.h"
#include "texttools/UnitProsTxt.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

// The desktop entry and icon name the installed program goes by.
constexpr const char* DesktopId = "org.vemo.Vemo";

QStringList ArgumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The sound server shows the program's icon beside its sound (PulseStreamNames.cpp gives the
// name); set before the first connection, unless the user chose another.
void NameSoundStreams()
{
    if (qEnvironmentVariableIsEmpty("PULSE_PROP_application.icon_name"))
        qputenv("PULSE_PROP_application.icon_name", DesktopId);
}

// --help, --version and usage errors, answered without a display; nullopt for the windows.
std::optional<int> AnswerWithoutWindow(const StartRequest& request, bool russian)
{
    switch (request.action) {
    case StartRequest::Action::Help:
        std::fputs(ProgramHelp(russian).toLocal8Bit().constData(), stdout);
        return 0;
    case StartRequest::Action::Version:
        std::fputs(ProgramVersion(russian).toLocal8Bit().constData(), stdout);
        return 0;
    case StartRequest::Action::UsageError:
        std::fprintf(stderr, "%s\n", request.error.toLocal8Bit().constData());
        return ExitUsage;
    case StartRequest::Action::Headless:
    case StartRequest::Action::Window:
        break;
    }
    return std::nullopt;
}

} // namespace

// vemo [FILE]: the main window, with FILE opened as the Open command opens it.
int main(int argc, char* argv[])
{
    const bool russian = MessagesInRussian();
    const StartRequest request = ParseStartArguments(ArgumentList(argc, argv), HeadlessOptions(), russian);
    if (const std::optional<int> status = AnswerWithoutWindow(request, russian))
        return *status;
    NameSoundStreams();
    if (const std::optional<int> status = RunHeadlessMode(argc, argv))
        return *status;
    KeepMessagesInRussian();
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setApplicationName(QStringLiteral("Vemo"));
    QApplication::setApplicationVersion(QStringLiteral(VEMO_VERSION));
    QApplication::setDesktopFileName(QString::fromLatin1(DesktopId));
    QApplication::setApplicationDisplayName(QStringLiteral("Вемо"));
    QApplication::setWindowIcon(TAboutBox::VemoIcon());
    SetAlertBeep([] { QApplication::beep(); });

    // The six windows, in this order; each lives until the program ends. The main window's
    // own start-up (voices, "ops.txt") runs while it is created, before the others exist.
    TFormMain formMain;
    TFormFileSelect formFileSelect(&formMain);
    TFormGetText formGetText(&formMain);
    TAboutBox aboutBox(&formMain);
    TFormPT formPT(&formMain);
    TFormFileSelectDir formFileSelectDir(&formMain);
    if (!formFileSelectDir.LoadError().isEmpty())
        ShowError(&formMain, formFileSelectDir.LoadError());

    // The commands that join the windows to the main window's buttons and menus.
    formMain.Documents().AboutBox = &aboutBox;
    ToFileCommand toFile(formMain, formFileSelect);
    FolderRunCommand folderRun(formMain, formFileSelectDir);
    folderRun.SetWorkerProgram(QCoreApplication::applicationFilePath());
    SetSpeakAheadProgram(QCoreApplication::applicationFilePath());
    TextToolsCommands textTools(formMain, formPT, formGetText);
    if (!request.fileName.isEmpty()) {
        const QString fileName = QFileInfo(request.fileName).absoluteFilePath();
        Guarded(&formMain, [&] { formMain.Documents().OpenFile(fileName); });
    }
    formMain.show();
    const int status = QApplication::exec();
    // The folder dialog's settings are written at the end of the run; a failure is shown.
    Guarded(&formMain, [&] { formFileSelectDir.SaveSettings(); });
    return status;
}
