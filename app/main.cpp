#include "app/CommandLine.h"
#include "files/UnitFindFilesSL.h"
#include "main/About.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "soundfile/ToFileCommand.h"
#include "soundfile/UnitFileSelect.h"

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

    TFormMain formMain;
    TFormFileSelect formFileSelect(&formMain);
    new ToFileCommand(formMain, formFileSelect);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString fileName = QFileInfo(arguments.at(1)).absoluteFilePath();
        Guarded(&formMain, [&] { formMain.Documents->OpenFile(fileName); });
    }
    formMain.show();
    return QApplication::exec();
}
