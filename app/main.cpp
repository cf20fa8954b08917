#include "app/CommandLine.h"
#include "files/UnitFindFilesSL.h"
#include "folder/FolderRunCommand.h"
#include "folder/UnitFileSelectDir.h"
#include "main/About.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "soundfile/ToFileCommand.h"
#include "soundfile/UnitFileSelect.h"
#include "texttools/TextToolsCommands.h"
#include "texttools/UnitGetText.h"
#include "texttools/UnitProsTxt.h"

#include <QApplication>
#include <QFileInfo>

// vemo [FILE]: the main window, with FILE opened as the Open command opens it.
int main(int argc, char* argv[])
{
    if (const std::optional<int> status = RunHeadlessCommand(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setApplicationName(QStringLiteral("Vemo"));
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
    formMain.Documents->AboutBox = &aboutBox;
    ToFileCommand toFile(formMain, formFileSelect);
    FolderRunCommand folderRun(formMain, formFileSelectDir);
    TextToolsCommands textTools(formMain, formPT, formGetText);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString fileName = QFileInfo(arguments.at(1)).absoluteFilePath();
        Guarded(&formMain, [&] { formMain.Documents->OpenFile(fileName); });
    }
    formMain.show();
    const int status = QApplication::exec();
    // The folder dialog's settings are written at the end of the run; a failure is shown.
    Guarded(&formMain, [&] { formFileSelectDir.SaveSettings(); });
    return status;
}
