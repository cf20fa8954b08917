#include "soundfile/UnitFileSelect.h"

#include "files/VemoError.h"
#include "main/Accessible.h"
#include "main/Named.h"
#include "soundfile/SoundFileOptionsPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TFormFileSelect::TFormFileSelect(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormFileSelect"));
    setWindowTitle(QStringLiteral("Выбери имя аудио-файла и его свойства "));
    CreateControls();
    CreateSaveDialog();
    ConnectHandlers();
    findChild<QLabel*>(QStringLiteral("LabelNameFile"))->setBuddy(EditNameFile);
    Describe(EditNameFile, QStringLiteral("Имя аудио-файла"),
             QStringLiteral("Полное имя WAV-файла, в который озвучивается текст"));
    Describe(ButtonSaveAs, QStringLiteral("Сохранить как"),
             QStringLiteral("Выбор папки и имени звукового файла"));
    Describe(ButtonOk, QStringLiteral("Принять"), QStringLiteral("Принимает настройки и закрывает окно"));
    Describe(ButtonCancel, QStringLiteral("Отказаться"),
             QStringLiteral("Закрывает окно без озвучивания в файл"));
    Describe(CBStreamFormattype, QStringLiteral("Частота дискретизации Wav"),
             QStringLiteral("Формат WAV-файла: частота, разрядность и число каналов"));
    Describe(CBoxDivFile, QStringLiteral("Делить аудио-файл на части"),
             QStringLiteral("Записывать текст в пронумерованные части звукового файла"));
}

void TFormFileSelect::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateNameRow());
    layout->addLayout(CreateButtonRow());
    CreateSoundFilePanel();
    layout->addWidget(PanelSoundFile);
    // A fixed dialog frame: the size the controls need, no resizing.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Sized now, so the first showing centres the final size on the parent.
    layout->activate();
}

QLayout* TFormFileSelect::CreateNameRow()
{
    auto* row = new QHBoxLayout;
    row->addWidget(Named(new QLabel(QStringLiteral("Имя аудио-файла ")), "LabelNameFile"));
    EditNameFile = Named(new QLineEdit, "EditNameFile");
    EditNameFile->setMinimumWidth(320);
    row->addWidget(EditNameFile, 1);
    return row;
}

QLayout* TFormFileSelect::CreateButtonRow()
{
    auto* row = new QHBoxLayout;
    ButtonSaveAs = Named(new QPushButton(QStringLiteral("С&охранить как")), "ButtonSaveAs");
    ButtonOk = Named(new QPushButton(QStringLiteral("П&ринять - ОК")), "ButtonOk");
    ButtonCancel = Named(new QPushButton(QStringLiteral("О&тказаться")), "ButtonCancel");
    for (QPushButton* button : {ButtonSaveAs, ButtonOk, ButtonCancel}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    return row;
}

void TFormFileSelect::CreateSoundFilePanel()
{
    PanelSoundFile = new SoundFileOptionsPanel(SoundFileOptionsPanel::Arrangement::Column);
    CBStreamFormattype = PanelSoundFile->CBStreamFormattype;
    CBoxDivFile = PanelSoundFile->CBoxDivFile;
    EditMaxSimvolInFragm = PanelSoundFile->EditMaxSimvolInFragm;
    CheckBoxMP3 = PanelSoundFile->CheckBoxMP3;
    PanelMp3 = PanelSoundFile->PanelMp3;
}

void TFormFileSelect::CreateSaveDialog()
{
    SaveDialogWav = Named(new QFileDialog(this), "SaveDialogWav");
    SaveDialogWav->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialogWav->setNameFilter(QStringLiteral("Волновой аудио-файл (*.wav)"));
    SaveDialogWav->setDefaultSuffix(QStringLiteral("wav"));
}

void TFormFileSelect::ConnectHandlers()
{
    connect(ButtonSaveAs, &QPushButton::clicked, this, &TFormFileSelect::ButtonSaveAsClick);
    connect(ButtonOk, &QPushButton::clicked, this, &TFormFileSelect::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormFileSelect::ButtonCancelClick);
}

void TFormFileSelect::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TFormFileSelect::FormActivate()
{
    PanelSoundFile->FormActivate();
}

void TFormFileSelect::ButtonSaveAsClick()
{
    if (SaveDialogWav->exec() != QDialog::Accepted || SaveDialogWav->selectedFiles().isEmpty()) {
        return;
    }
    const QString name = SaveDialogWav->selectedFiles().first();
    EditNameFile->setText(name);
    SaveDialogWav->setHistory(SaveDialogWav->history() << name);
}

// Refuses silently (the dialog stays open) with a blank name or no WAV format.
void TFormFileSelect::ButtonOkClick()
{
    if (EditNameFile->text().trimmed().isEmpty() || CBStreamFormattype->currentIndex() < 0) {
        return;
    }
    const SoundFileOptions chosen = PanelSoundFile->Options();
    try {
        chosen.StreamFormatType(); // with MP3 an encoder choice outside its list is refused here
    } catch (const VemoError& e) {
        QMessageBox::critical(this, windowTitle(), e.Message());
        return;
    }
    SoundFile = chosen;
    Accepted = true;
    ChosenFileName = EditNameFile->text();
    accept();
}

void TFormFileSelect::ButtonCancelClick()
{
    reject();
}

void TFormFileSelect::reject()
{
    Accepted = false;
    QDialog::reject();
}
