#include "folder/UnitFileSelectDir.h"

#include "files/SettingsFile.h"
#include "files/VemoError.h"
#include "folder/VideoTemplates.h"
#include "main/Accessible.h"
#include "main/Named.h"
#include "soundfile/SoundFileOptionsPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A label that leads to the control it names.
QLabel* BuddyLabel(const QString& text, QWidget* control)
{
    auto* label = new QLabel(text);
    label->setBuddy(control);
    return label;
}

QPushButton* NamedButton(const QString& caption, const char* name)
{
    return Named(new QPushButton(caption), name);
}

} // namespace

TFormFileSelectDir::TFormFileSelectDir(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormFileSelectDir"));
    setWindowTitle(QStringLiteral("Выбери папку с TXT файлами для преобразования в речь"));
    CreateControls();
    ConnectHandlers();
    setFixedSize(481, 532);
    LoadSettings();
}

void TFormFileSelectDir::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(CreateFolderRows());
    CreateSoundFilePanel();
    layout->addWidget(PanelSoundFile);
    layout->addLayout(CreateVideoRows());
    CreateCoverGroup();
    layout->addWidget(RGroupCover);
    layout->addLayout(CreateButtonRow());
    OpenDialogJpg = Named(new QFileDialog(this), "OpenDialogJpg");
    OpenDialogJpg->setNameFilters(
        {QStringLiteral("Обложка (картинка) (*.jpg)"), QStringLiteral("Все файлы (*)")});
    OpenDialogJpg->setDefaultSuffix(QStringLiteral("jpg"));
    OpenDialogJpg->setFileMode(QFileDialog::ExistingFile);
    OpenDialogJpg->setAcceptMode(QFileDialog::AcceptOpen);
    DescribeControls();
}

void TFormFileSelectDir::DescribeControls()
{
    Describe(EditNameFileDir, QStringLiteral("Имя папки"),
             QStringLiteral("Папка с текстовыми файлами *.txt"));
    Describe(ButtonSaveAs, QStringLiteral("Выбрать папку с текстами"),
             QStringLiteral("Открывает выбор папки с текстовыми файлами"));
    Describe(
        CheckBoxBooks, QStringLiteral("Брать и книги"),
        QStringLiteral("Озвучивать в папке также книги FB2, FB2.ZIP, EPUB, DOCX, ODT и HTML, а не только "
                       "текстовые файлы TXT"));
    Describe(CBStreamFormattype, QStringLiteral("Частота дискретизации Wav"),
             QStringLiteral("Формат WAV-файлов: частота, разрядность и число каналов"));
    Describe(CBoxDivFile, QStringLiteral("Делить аудио-файл на части"),
             QStringLiteral("Записывать каждую книгу в пронумерованные части звукового файла"));
    Describe(Editffmpeg, QStringLiteral("Папка с ffmpeg"),
             QStringLiteral("Папка, в которой лежит программа ffmpeg, например /usr/bin"));
    Describe(ButtonFfmpeGetDir, QStringLiteral("Выбрать папку с ffmpeg"),
             QStringLiteral("Открывает выбор папки с программой ffmpeg"));
    Describe(EditCover, QStringLiteral("Обложка книги"),
             QStringLiteral("Картинка для видео; имя относительно папки с текстами"));
    Describe(ButtonGetCover, QStringLiteral("Выбрать обложку"),
             QStringLiteral("Открывает выбор картинки-обложки"));
    Describe(EditCmd, QStringLiteral("Опции конвертирования звука в видео"),
             QStringLiteral("Параметры ffmpeg: %fsnd - звук, %fjpg - обложка, %fsrt - субтитры SRT рядом со "
                            "звуком, %fvideo - видео"));
    Describe(ButtonCmdMp4, QStringLiteral("Шаблон MP4 с субтитрами"),
             QStringLiteral("Опции для MP4 (H.264 и AAC, 1280×720) с субтитрами SRT отдельной дорожкой; "
                            "щелчок по надписи слева возвращает опции по умолчанию"));
    const QStringList coverRules{QStringLiteral("Одна обложка для всех файлов"),
                                 QStringLiteral("Обложка по первым двум буквам имени текстового файла"),
                                 QStringLiteral("Обложка с именем текстового файла")};
    for (int i = 0; i < coverRules.size(); ++i)
        Describe(m_coverButtons->button(i), coverRules[i], QStringLiteral("Как выбирать обложку для видео"));
    Describe(CheckBoxAvi, QStringLiteral("Конвертировать в видео"),
             QStringLiteral("После озвучивания делать видео из звука и обложки через ffmpeg"));
    Describe(CheckBoxSkipExisting, QStringLiteral("Пропускать готовые книги"),
             QStringLiteral("Не озвучивать снова книгу, звуковые файлы которой уже есть и новее текста"));
    Describe(ButtonOk, QStringLiteral("Принять"), QStringLiteral("Принимает настройки и закрывает окно"));
    Describe(ButtonCancel, QStringLiteral("Отказаться"),
             QStringLiteral("Закрывает окно без преобразования папки"));
}

QLayout* TFormFileSelectDir::CreateFolderRows()
{
    auto* row = new QHBoxLayout;
    EditNameFileDir = Named(new QLineEdit, "EditNameFileDir");
    ButtonSaveAs = NamedButton(QStringLiteral("Выбрать папку"), "ButtonSaveAs");
    row->addWidget(BuddyLabel(QStringLiteral("Имя папки"), EditNameFileDir));
    row->addWidget(EditNameFileDir);
    row->addWidget(ButtonSaveAs);
    CheckBoxBooks =
        Named(new QCheckBox(QStringLiteral("Брать и книги FB2, EPUB, DOCX, ODT, HTML (не только TXT)")),
              "CheckBoxBooks");
    auto* rows = new QVBoxLayout;
    rows->addLayout(row);
    rows->addWidget(CheckBoxBooks);
    return rows;
}

QLayout* TFormFileSelectDir::CreateButtonRow()
{
    auto* row = new QHBoxLayout;
    CheckBoxAvi = Named(new QCheckBox(QStringLiteral("Конвертировать в Avi")), "CheckBoxAvi");
    CheckBoxSkipExisting =
        Named(new QCheckBox(QStringLiteral("Пропускать готовые книги")), "CheckBoxSkipExisting");
    ButtonOk = NamedButton(QStringLiteral("П&ринять - ОК"), "ButtonOk");
    ButtonCancel = NamedButton(QStringLiteral("О&тказаться"), "ButtonCancel");
    ButtonOk->setDefault(true);
    row->addWidget(CheckBoxAvi);
    row->addWidget(CheckBoxSkipExisting);
    row->addStretch();
    row->addWidget(ButtonOk);
    row->addWidget(ButtonCancel);
    return row;
}

void TFormFileSelectDir::CreateSoundFilePanel()
{
    PanelSoundFile = new SoundFileOptionsPanel(SoundFileOptionsPanel::Arrangement::Compact);
    CBStreamFormattype = PanelSoundFile->CBStreamFormattype;
    CBoxDivFile = PanelSoundFile->CBoxDivFile;
    EditMaxSimvolInFragm = PanelSoundFile->EditMaxSimvolInFragm;
    CheckBoxMP3 = PanelSoundFile->CheckBoxMP3;
    PanelMp3 = PanelSoundFile->PanelMp3;
}

QLayout* TFormFileSelectDir::CreateVideoRows()
{
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    Editffmpeg = Named(new QLineEdit(QStringLiteral("/usr/bin")), "Editffmpeg");
    Editffmpeg->setToolTip(QStringLiteral("Например /usr/bin"));
    ButtonFfmpeGetDir = NamedButton(QStringLiteral("Выбрать папку"), "ButtonFfmpeGetDir");
    EditCover = Named(new QLineEdit(QStringLiteral("Cover.jpg")), "EditCover");
    ButtonGetCover = NamedButton(QStringLiteral("Выбор"), "ButtonGetCover");
    LabelCMD = Named(new QLabel(QStringLiteral("опции конвертирования звука в видео ")), "LabelCMD");
    LabelCMD->setCursor(Qt::PointingHandCursor);
    LabelCMD->installEventFilter(this);
    EditCmd = Named(new QLineEdit(DirSettings::DefaultCommandTemplate()), "EditCmd");
    LabelCMD->setBuddy(EditCmd);
    ButtonCmdMp4 = NamedButton(QStringLiteral("MP4 с субтитрами"), "ButtonCmdMp4");
    grid->addWidget(BuddyLabel(QStringLiteral("Папка с  ffmpeg"), Editffmpeg), 0, 0);
    grid->addWidget(Editffmpeg, 0, 1);
    grid->addWidget(ButtonFfmpeGetDir, 0, 2);
    grid->addWidget(BuddyLabel(QStringLiteral("Обложка книги "), EditCover), 1, 0);
    grid->addWidget(EditCover, 1, 1);
    grid->addWidget(ButtonGetCover, 1, 2);
    grid->addWidget(LabelCMD, 2, 0, 1, 2);
    grid->addWidget(ButtonCmdMp4, 2, 2);
    grid->addWidget(EditCmd, 3, 0, 1, 3);
    return grid;
}

void TFormFileSelectDir::CreateCoverGroup()
{
    RGroupCover = Named(new QGroupBox(QStringLiteral(" Как выбирать обложку ")), "RGroupCover");
    m_coverButtons = new QButtonGroup(RGroupCover);
    auto* column = new QVBoxLayout(RGroupCover);
    column->setSpacing(0);
    column->setContentsMargins(6, 2, 6, 2);
    const QStringList items{
        QStringLiteral("Файл обложки один для всех аудио-файлов"),
        QStringLiteral("Файл обложки выбирать по первым 2 буквам txt (ИС140705....txt->ИС.jpg)"),
        QStringLiteral("Файл обложки имеет то-же имя, что и текстовый файл")};
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i]);
        m_coverButtons->addButton(button, i);
        column->addWidget(button);
    }
    SetCoverRule(0);
}

void TFormFileSelectDir::ConnectHandlers()
{
    connect(ButtonOk, &QPushButton::clicked, this, &TFormFileSelectDir::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormFileSelectDir::reject);
    connect(ButtonSaveAs, &QPushButton::clicked, this, &TFormFileSelectDir::ButtonSaveAsClick);
    connect(ButtonFfmpeGetDir, &QPushButton::clicked, this, &TFormFileSelectDir::ButtonFfmpeGetDirClick);
    connect(ButtonGetCover, &QPushButton::clicked, this, &TFormFileSelectDir::ButtonGetCoverClick);
    // The MP3 box's handler is also the AVI box's, which thus changes nothing but its own mark.
    connect(CheckBoxAvi, &QCheckBox::clicked, PanelSoundFile, &SoundFileOptionsPanel::CheckBoxMP3Click);
    connect(ButtonCmdMp4, &QPushButton::clicked, this, &TFormFileSelectDir::ButtonCmdMp4Click);
}

int TFormFileSelectDir::CoverRule() const
{
    return m_coverButtons->checkedId();
}

void TFormFileSelectDir::SetCoverRule(int rule)
{
    if (QAbstractButton* button = m_coverButtons->button(rule)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; clearing needs it briefly non-exclusive.
    m_coverButtons->setExclusive(false);
    for (QAbstractButton* button : m_coverButtons->buttons())
        button->setChecked(false);
    m_coverButtons->setExclusive(true);
}

void TFormFileSelectDir::LoadSettings()
{
    m_settingsPath = SettingsFilePath(QStringLiteral("opsDir.txt"));
    DirSettings settings = Settings();
    try {
        settings.Load(m_settingsPath);
    } catch (const VemoError& error) {
        m_loadError = error.Message();
    }
    ApplySettings(settings);
}

void TFormFileSelectDir::ApplySettings(const DirSettings& settings)
{
    Editffmpeg->setText(settings.converterFolder);
    EditCover->setText(settings.cover);
    EditCmd->setText(settings.commandTemplate);
    EditNameFileDir->setText(settings.folderName);
    CheckBoxAvi->setChecked(settings.makeVideos);
    CheckBoxBooks->setChecked(settings.allFormats);
    SetCoverRule(settings.coverRule);
}

DirSettings TFormFileSelectDir::Settings() const
{
    DirSettings settings;
    settings.converterFolder = Editffmpeg->text();
    settings.cover = EditCover->text();
    settings.commandTemplate = EditCmd->text();
    settings.folderName = EditNameFileDir->text();
    settings.makeVideos = CheckBoxAvi->isChecked();
    settings.allFormats = CheckBoxBooks->isChecked();
    settings.coverRule = CoverRule();
    return settings;
}

VideoOptions TFormFileSelectDir::VideoSettings() const
{
    return VideoOptions{Editffmpeg->text(), EditCover->text(), EditCmd->text(), CoverRule()};
}

void TFormFileSelectDir::SaveSettings() const
{
    Settings().Save(m_settingsPath);
}

void TFormFileSelectDir::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Activate();
}

bool TFormFileSelectDir::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelCMD && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        LabelCMDClick();
    return QDialog::eventFilter(watched, event);
}

void TFormFileSelectDir::Activate()
{
    PanelSoundFile->FormActivate();
}

void TFormFileSelectDir::LabelCMDClick()
{
    EditCmd->setText(DirSettings::DefaultCommandTemplate());
}

void TFormFileSelectDir::ButtonCmdMp4Click()
{
    EditCmd->setText(VideoTemplates::Mp4WithSubtitles());
}

void TFormFileSelectDir::Accept()
{
    if (EditNameFileDir->text().trimmed().isEmpty() || CBStreamFormattype->currentIndex() < 0)
        return;
    const SoundFileOptions chosen = PanelSoundFile->Options();
    chosen.StreamFormatType(); // with MP3 an encoder choice outside its list is refused here
    SoundFile = chosen;
    Accepted = true;
    FolderName = EditNameFileDir->text();
    done(QDialog::Accepted);
}

void TFormFileSelectDir::ButtonOkClick()
{
    try {
        Accept();
    } catch (const VemoError& error) {
        QMessageBox::critical(this, windowTitle(), error.Message());
    }
}

void TFormFileSelectDir::reject()
{
    Accepted = false;
    QDialog::reject();
}

void TFormFileSelectDir::ButtonSaveAsClick()
{
    const QString current = EditNameFileDir->text();
    const QString start = QFileInfo(current).isDir() ? current : QString();
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral(" Выбор каталога "), start,
                                                             QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        EditNameFileDir->setText(folder);
}

void TFormFileSelectDir::ButtonFfmpeGetDirClick()
{
    const QString current = Editffmpeg->text();
    const QString start = QFileInfo(current).isDir() ? current : QString();
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Папка с  ffmpeg"), start,
                                                             QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        Editffmpeg->setText(folder);
}

void TFormFileSelectDir::ButtonGetCoverClick()
{
    if (OpenDialogJpg->exec() != QDialog::Accepted || OpenDialogJpg->selectedFiles().isEmpty())
        return;
    const QString cover = OpenDialogJpg->selectedFiles().constFirst();
    EditCover->setText(cover);
    OpenDialogJpg->setHistory(OpenDialogJpg->history() << cover);
}
