#include "soundfile/UnitFileSelect.h"

#include "files/VemoError.h"
#include "main/Accessible.h"
#include "soundfile/Mp3Panel.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int InitialFormatItem = 30; // "  SAFT44kHz16BitMono"

template <typename W> W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TFormFileSelect::TFormFileSelect(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormFileSelect"));
    setWindowTitle(QStringLiteral("Выбери имя аудио-файла и его свойства "));
    CreateControls();
    CreateSaveDialog();
    ConnectHandlers();
    findChild<QLabel*>(QStringLiteral("LabelNameFile"))->setBuddy(EditNameFile);
    findChild<QLabel*>(QStringLiteral("LabelStreamFormat"))->setBuddy(CBStreamFormattype);
    findChild<QLabel*>(QStringLiteral("LabelMaxSimvol"))->setBuddy(EditMaxSimvolInFragm);
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
    Describe(
        EditMaxSimvolInFragm, QStringLiteral("Символов текста в одной части"),
        QStringLiteral("Часть файла заканчивается после фрагмента, на котором текст превысил это число"));
    Describe(CheckBoxMP3, QStringLiteral("Конвертировать в MP3"),
             QStringLiteral("Преобразовать WAV-файлы в MP3 с настройками ниже"));
}

void TFormFileSelect::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateNameRow());
    layout->addLayout(CreateButtonRow());
    layout->addLayout(CreateWavRows());
    PanelMp3 = new Mp3Panel(this);
    layout->addWidget(PanelMp3);
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

QLayout* TFormFileSelect::CreateWavRows()
{
    auto* form = new QFormLayout;
    CBStreamFormattype = Named(new QComboBox, "CBStreamFormattype");
    CBStreamFormattype->setEditable(false);
    for (const QString& name : SpeechAudioFormat::names()) {
        CBStreamFormattype->addItem(QStringLiteral("  ") + name);
    }
    CBStreamFormattype->setCurrentIndex(InitialFormatItem);
    form->addRow(Named(new QLabel(QStringLiteral("Частота дискретизации Wav")), "LabelStreamFormat"),
                 CBStreamFormattype);
    CBoxDivFile = Named(new QCheckBox(QStringLiteral("Делить аудио-файл на части")), "CBoxDivFile");
    form->addRow(CBoxDivFile);
    EditMaxSimvolInFragm = Named(new QLineEdit(QStringLiteral("1000")), "EditMaxSimvolInFragm");
    form->addRow(Named(new QLabel(QStringLiteral("Символов текста в одном фрагменте")), "LabelMaxSimvol"),
                 EditMaxSimvolInFragm);
    CheckBoxMP3 = Named(new QCheckBox(QStringLiteral("Конвертировать в MP3")), "CheckBoxMP3");
    form->addRow(CheckBoxMP3);
    return form;
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
    connect(CheckBoxMP3, &QCheckBox::toggled, this, &TFormFileSelect::CheckBoxMP3Click);
    connect(CBoxDivFile, &QCheckBox::toggled, this, &TFormFileSelect::CBoxDivFileClick);
}

void TFormFileSelect::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TFormFileSelect::FormActivate()
{
    CBStreamFormattype->setEnabled(!CheckBoxMP3->isChecked());
    PanelMp3->SetPanelEnabled(CheckBoxMP3->isChecked());
    PanelMp3->ShowVbrQuality();
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
    int format = CBStreamFormattype->currentIndex() + 4;
    if (CheckBoxMP3->isChecked()) {
        try {
            const FilledEncoderConfig filled = PanelMp3->FillEncoderConfig();
            EncoderConfig = filled.config;
            format = filled.streamFormatType;
        } catch (const VemoError& e) {
            QMessageBox::critical(this, windowTitle(), e.message());
            return;
        }
    }
    StreamFormatType = format;
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

void TFormFileSelect::CheckBoxMP3Click()
{
    PanelMp3->SetPanelEnabled(CheckBoxMP3->isChecked());
    CBStreamFormattype->setEnabled(!CheckBoxMP3->isChecked());
}

void TFormFileSelect::CBoxDivFileClick()
{
    EditMaxSimvolInFragm->setEnabled(CBoxDivFile->isChecked());
}
