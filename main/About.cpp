#include "main/About.h"

#include "files/VemoError.h"
#include "main/Accessible.h"
#include "main/ErrorGuard.h"
#include "main/Named.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString XmlPageName = QStringLiteral("xml_sapi.html");

QByteArray Resource(const QString& name)
{
    QFile file(QStringLiteral(":/vemo/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw VemoError(QStringLiteral("The program lacks its built-in file \"%1\"").arg(name));
    return file.readAll();
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(VemoIcon());
    setWindowModality(Qt::ApplicationModal);
    auto* column = new QVBoxLayout(this);
    column->addWidget(SetupTopPanel());
    column->addWidget(SetupHelpGroup(), 1);
    resize(560, 520);
    Describe(ProgramIcon, QStringLiteral("Значок Вемо"), QStringLiteral("Значок программы"));
    Describe(OKButton, QStringLiteral("OK"), QStringLiteral("Закрывает окно «О программе»"));
    Describe(MemoHelp, QStringLiteral("Справка"), QStringLiteral("Как пользоваться программой"));
    Describe(ButtonXmlPage, QStringLiteral("Открыть справку по разметке XML"),
             QStringLiteral("Открывает страницу xml_sapi.html о речевых тегах в браузере"));
}

QWidget* TAboutBox::SetupTopPanel()
{
    auto* panel = Named(new QWidget(this), "Panel1");
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    ProgramIcon = Named(new QLabel(panel), "ProgramIcon");
    ProgramIcon->setPixmap(VemoIcon().pixmap(64, 64));
    ProductName = Named(new QLabel(QStringLiteral("VEMO-project"), panel), "ProductName");
    QFont large = ProductName->font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    ProductName->setFont(large);
    Version = Named(new QLabel(QStringLiteral("Сборка от 08.10.2013г."), panel), "Version");
    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    OKButton = Named(new QPushButton(QStringLiteral("OK"), panel), "OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(ProgramIcon, 0, Qt::AlignTop);
    row->addLayout(names, 1);
    row->addWidget(OKButton, 0, Qt::AlignTop | Qt::AlignRight);
    return panel;
}

QGroupBox* TAboutBox::SetupHelpGroup()
{
    GroupBoxHelp = Named(new QGroupBox(QStringLiteral(" Help (Помощь)"), this), "GroupBoxHelp");
    auto* column = new QVBoxLayout(GroupBoxHelp);
    MemoHelp = Named(new QPlainTextEdit(GroupBoxHelp), "MemoHelp");
    MemoHelp->setReadOnly(true);
    MemoHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoHelp->setPlainText(HelpText());
    ButtonXmlPage = Named(new QPushButton(QStringLiteral("Открыть xml_sapi.html (XML markup)"), GroupBoxHelp),
                          "ButtonXmlPage");
    connect(ButtonXmlPage, &QPushButton::clicked, this, [this] { Guarded(this, [this] { OpenXmlPage(); }); });
    column->addWidget(MemoHelp, 1);
    column->addWidget(ButtonXmlPage, 0, Qt::AlignLeft);
    return GroupBoxHelp;
}

QIcon TAboutBox::VemoIcon()
{
    return QIcon(QStringLiteral(":/vemo/vemo.svg"));
}

QString TAboutBox::HelpText()
{
    return QString::fromUtf8(Resource(QStringLiteral("help_ru.txt")));
}

QString TAboutBox::XmlPagePath()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath()).filePath(XmlPageName);
    if (QFileInfo(installed).isFile())
        return installed;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString path = QDir(folder).filePath(XmlPageName);
    const QByteArray page = Resource(XmlPageName);
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(page) != page.size() ||
        !file.commit())
        throw VemoError(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(path, file.errorString()));
    return path;
}

void TAboutBox::OpenXmlPage()
{
    const QString path = XmlPagePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        throw VemoError(QStringLiteral("Не удалось открыть страницу \"%1\" в браузере").arg(path));
}

// Centred on the screen, whatever window it belongs to.
void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
