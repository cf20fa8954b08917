#include "soundfile/SoundFileOptionsPanel.h"

#include "main/Accessible.h"
#include "soundfile/Mp3Panel.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr int CompactSpacing = 2;

QLabel* BuddyLabel(const QString& text, const char* name, QWidget* control)
{
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(control);
    return label;
}

} // namespace

SoundFileOptionsPanel::SoundFileOptionsPanel(Arrangement arrangement, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PanelSoundFile"));
    CreateControls();
    if (arrangement == Arrangement::Column)
        ArrangeInColumn();
    else
        ArrangeCompact();
    connect(CheckBoxMP3, &QCheckBox::toggled, this, &SoundFileOptionsPanel::CheckBoxMP3Click);
    connect(CBoxDivFile, &QCheckBox::toggled, this, &SoundFileOptionsPanel::CBoxDivFileClick);
}

// Created without a parent: the arrangement's layout takes them in tab order.
void SoundFileOptionsPanel::CreateControls()
{
    CBStreamFormattype = new QComboBox;
    CBStreamFormattype->setObjectName(QStringLiteral("CBStreamFormattype"));
    CBStreamFormattype->setEditable(false);
    for (const QString& name : SpeechAudioFormat::Names())
        CBStreamFormattype->addItem(QStringLiteral("  ") + name);
    CBStreamFormattype->setCurrentIndex(SoundFileOptions().wavFormat - FirstSpeechAudioFormat);
    CBoxDivFile = new QCheckBox(QStringLiteral("Делить аудио-файл на части"));
    CBoxDivFile->setObjectName(QStringLiteral("CBoxDivFile"));
    EditMaxSimvolInFragm = new QLineEdit(SoundFileOptions().partCharLimit);
    EditMaxSimvolInFragm->setObjectName(QStringLiteral("EditMaxSimvolInFragm"));
    CheckBoxMP3 = new QCheckBox(QStringLiteral("Конвертировать в MP3"));
    CheckBoxMP3->setObjectName(QStringLiteral("CheckBoxMP3"));
    PanelMp3 = new Mp3Panel;
    Describe(
        EditMaxSimvolInFragm, QStringLiteral("Символов текста в одной части"),
        QStringLiteral("Часть файла заканчивается после фрагмента, на котором текст превысил это число"));
    Describe(CheckBoxMP3, QStringLiteral("Конвертировать в MP3"),
             QStringLiteral("Преобразовать WAV-файлы в MP3 с настройками ниже"));
}

void SoundFileOptionsPanel::ArrangeInColumn()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    column->addLayout(form);
    form->addRow(
        BuddyLabel(QStringLiteral("Частота дискретизации Wav"), "LabelStreamFormat", CBStreamFormattype),
        CBStreamFormattype);
    form->addRow(CBoxDivFile);
    form->addRow(BuddyLabel(QStringLiteral("Символов текста в одном фрагменте"), "LabelMaxSimvol",
                            EditMaxSimvolInFragm),
                 EditMaxSimvolInFragm);
    form->addRow(CheckBoxMP3);
    column->addWidget(PanelMp3);
}

void SoundFileOptionsPanel::ArrangeCompact()
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(CompactSpacing);
    grid->addWidget(
        BuddyLabel(QStringLiteral("Частота дискретизации Wav"), "LabelStreamFormat", CBStreamFormattype), 0,
        0);
    grid->addWidget(CBStreamFormattype, 0, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Символов текста в одном фрагменте"), "LabelMaxSimvol",
                               EditMaxSimvolInFragm),
                    1, 0);
    grid->addWidget(EditMaxSimvolInFragm, 1, 1);
    grid->addWidget(CBoxDivFile, 2, 0);
    grid->addWidget(CheckBoxMP3, 2, 1);
    grid->addWidget(PanelMp3, 3, 0, 1, 2);
}

SoundFileOptions SoundFileOptionsPanel::Options() const
{
    SoundFileOptions options;
    const int item = CBStreamFormattype->currentIndex();
    options.wavFormat = item < 0 ? 0 : FirstSpeechAudioFormat + item;
    options.divide = CBoxDivFile->isChecked();
    options.partCharLimit = EditMaxSimvolInFragm->text();
    options.mp3 = CheckBoxMP3->isChecked();
    options.mp3Choices = PanelMp3->Choices();
    return options;
}

void SoundFileOptionsPanel::SetOptions(const SoundFileOptions& options)
{
    const int item = options.wavFormat - FirstSpeechAudioFormat;
    CBStreamFormattype->setCurrentIndex(item >= 0 && item < CBStreamFormattype->count() ? item : -1);
    CBoxDivFile->setChecked(options.divide);
    EditMaxSimvolInFragm->setText(options.partCharLimit);
    CheckBoxMP3->setChecked(options.mp3);
    PanelMp3->SetChoices(options.mp3Choices);
}

void SoundFileOptionsPanel::FormActivate()
{
    CheckBoxMP3Click();
    PanelMp3->ShowVbrQuality();
}

void SoundFileOptionsPanel::CheckBoxMP3Click()
{
    PanelMp3->SetPanelEnabled(CheckBoxMP3->isChecked());
    CBStreamFormattype->setEnabled(!CheckBoxMP3->isChecked());
}

void SoundFileOptionsPanel::CBoxDivFileClick()
{
    EditMaxSimvolInFragm->setEnabled(CBoxDivFile->isChecked());
}
