#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The About box: the program's icon, name and build, the OK button and the user's help in
// Russian, with a button that opens the page on the speech markup ("xml_sapi.html") in the
// desktop's browser. Shown modally, centred on the screen.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QPushButton* OKButton = nullptr;
    QGroupBox* GroupBoxHelp = nullptr;
    QPlainTextEdit* MemoHelp = nullptr;
    QPushButton* ButtonXmlPage = nullptr;

    // The program's icon, also the application's window icon.
    static QIcon VemoIcon();
    // The help text shown in the box.
    static QString HelpText();
    // The markup page: the copy installed beside the program when there is one, else the
    // copy built into the program, written out to the user's cache folder. Throws VemoError
    // naming the file when it cannot be written.
    static QString XmlPagePath();

    // Opens the markup page in the desktop's browser; throws VemoError when none opens it.
    void OpenXmlPage();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* SetupTopPanel();
    QGroupBox* SetupHelpGroup();
};
