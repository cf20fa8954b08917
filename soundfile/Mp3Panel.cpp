#include "soundfile/Mp3Panel.h"

#include "main/Accessible.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>

namespace {

QLabel* AddLabel(QGridLayout* grid, int row, const char* name, const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setObjectName(QString::fromLatin1(name));
    grid->addWidget(label, row, 0);
    return label;
}

} // namespace

Mp3Panel::Mp3Panel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelMp3"));
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    CBoxSampleRate =
        AddList(grid, 0, "CBoxSampleRate", "Частота дискретизации", Mp3Tables::sampleRateTexts(), 4);
    CBoxChannels = AddList(grid, 1, "CBoxChannels", "Количество каналов", Mp3Tables::channelTexts(), 0);
    CBoxMode = AddList(grid, 2, "CBoxMode", "Режим кодирования", Mp3Tables::modeTexts(), 0);
    CBoxBitrate = AddList(grid, 3, "CBoxBitrate", "Скорость бит. потока", Mp3Tables::bitrateTexts(), 7);
    CBoxBitrateMax = AddList(grid, 4, "CBoxBitrateMax", "Максимальная скорость битового потока для VBR",
                             Mp3Tables::bitrateTexts(), 7);
    CreateVbrQualityRow(grid, 5);
    CBoxQuality = AddList(grid, 6, "CBoxQuality", "Выбор алгоритма качества -algorithm quality selection",
                          Mp3Tables::qualityTexts(), 2);
    connect(CBoxBitrate, &QComboBox::activated, this, &Mp3Panel::CBoxBitrateClick);
    connect(CBoxBitrateMax, &QComboBox::activated, this, &Mp3Panel::CBoxBitrateMaxClick);
    connect(TkBarVBRQuality, &QSlider::valueChanged, this, &Mp3Panel::TkBarVBRQualityChange);
    for (QComboBox* box : {CBoxSampleRate, CBoxChannels, CBoxMode, CBoxBitrate, CBoxBitrateMax, CBoxQuality})
        findChild<QLabel*>(QStringLiteral("Label") + box->objectName().mid(4))->setBuddy(box);
    findChild<QLabel*>(QStringLiteral("LabelVBRQuality"))->setBuddy(TkBarVBRQuality);
    Describe(CBoxSampleRate, QStringLiteral("Частота дискретизации MP3"),
             QStringLiteral("Частота MP3-файла, Гц"));
    Describe(CBoxChannels, QStringLiteral("Количество каналов MP3"),
             QStringLiteral("Моно, стерео или объединённое стерео"));
    Describe(CBoxMode, QStringLiteral("Режим кодирования MP3"),
             QStringLiteral("Постоянный, средний или переменный битрейт, или готовая настройка"));
    Describe(CBoxBitrate, QStringLiteral("Скорость битового потока MP3"), QStringLiteral("Битрейт, кбит/с"));
    Describe(CBoxBitrateMax, QStringLiteral("Максимальная скорость потока для VBR"),
             QStringLiteral("Наибольший битрейт при переменном битрейте, кбит/с"));
    Describe(TkBarVBRQuality, QStringLiteral("Качество VBR"),
             QStringLiteral("Качество потока с переменным битрейтом: 0 - наилучшее, 9 - наихудшее"));
    Describe(CBoxQuality, QStringLiteral("Качество алгоритма MP3"),
             QStringLiteral("0 - лучшее и медленное, 9 - самое быстрое"));
}

QComboBox* Mp3Panel::AddList(QGridLayout* grid, int row, const char* name, const char* label,
                             const QStringList& items, int current)
{
    AddLabel(grid, row, (QByteArray("Label") + (name + 4)).constData(), label);
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    // The long quality texts would widen the whole dialog; the open list shows them whole.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(22);
    box->addItems(items);
    box->setCurrentIndex(current);
    grid->addWidget(box, row, 1, 1, 2);
    return box;
}

void Mp3Panel::CreateVbrQualityRow(QGridLayout* grid, int row)
{
    AddLabel(grid, row, "LabelVBRQuality", "Качество потока с переменным битрейтом (VBR) 0-макс, 9-мин.");
    TkBarVBRQuality = new QSlider(Qt::Horizontal);
    TkBarVBRQuality->setObjectName(QStringLiteral("TkBarVBRQuality"));
    TkBarVBRQuality->setRange(0, 9);
    TkBarVBRQuality->setSingleStep(5);
    TkBarVBRQuality->setTickPosition(QSlider::TicksBelow);
    TkBarVBRQuality->setValue(0);
    grid->addWidget(TkBarVBRQuality, row, 1);
    LabelVrbQ = new QLabel;
    LabelVrbQ->setObjectName(QStringLiteral("LabelVrbQ"));
    LabelVrbQ->setMinimumWidth(LabelVrbQ->fontMetrics().horizontalAdvance(QStringLiteral("00")));
    grid->addWidget(LabelVrbQ, row, 2);
}

Mp3Choices Mp3Panel::Choices() const
{
    return {CBoxSampleRate->currentIndex(), CBoxChannels->currentIndex(),   CBoxMode->currentIndex(),
            CBoxBitrate->currentIndex(),    CBoxBitrateMax->currentIndex(), TkBarVBRQuality->value(),
            CBoxQuality->currentIndex()};
}

void Mp3Panel::SetChoices(const Mp3Choices& choices)
{
    CBoxSampleRate->setCurrentIndex(choices.sampleRateItem);
    CBoxChannels->setCurrentIndex(choices.channelsItem);
    CBoxMode->setCurrentIndex(choices.modeItem);
    CBoxBitrate->setCurrentIndex(choices.bitrateItem);
    CBoxBitrateMax->setCurrentIndex(choices.bitrateMaxItem);
    TkBarVBRQuality->setValue(choices.vbrQuality);
    CBoxQuality->setCurrentIndex(choices.qualityItem);
}

void Mp3Panel::OnPanelMp3()
{
    SetPanelEnabled(true);
}

void Mp3Panel::OffPanelMp3()
{
    SetPanelEnabled(false);
}

void Mp3Panel::SetPanelEnabled(bool enabled)
{
    for (QWidget* control : {static_cast<QWidget*>(CBoxSampleRate), static_cast<QWidget*>(CBoxChannels),
                             static_cast<QWidget*>(CBoxMode), static_cast<QWidget*>(CBoxBitrate),
                             static_cast<QWidget*>(CBoxBitrateMax), static_cast<QWidget*>(TkBarVBRQuality),
                             static_cast<QWidget*>(CBoxQuality)}) {
        control->setEnabled(enabled);
    }
}

void Mp3Panel::ShowVbrQuality()
{
    LabelVrbQ->setText(QString::number(TkBarVBRQuality->value()));
}

MpegClass Mp3Panel::CurrentMpegClass() const
{
    return Mp3Tables::sampleRate(CBoxSampleRate->currentIndex()).mpegClass;
}

void Mp3Panel::CBoxBitrateClick()
{
    CheckPickedBitrate(CBoxBitrate);
}

void Mp3Panel::CBoxBitrateMaxClick()
{
    CheckPickedBitrate(CBoxBitrateMax);
}

// Checked on picking only: a later change of the sample rate leaves the lists as they are,
// and FillEncoderConfig checks again.
void Mp3Panel::CheckPickedBitrate(QComboBox* box)
{
    const int kbps = Mp3Tables::bitrateKbps(box->currentIndex());
    if (CheckBitrate(CurrentMpegClass(), kbps) != kbps) {
        box->setCurrentIndex(Mp3Tables::FallbackBitrateItem);
    }
}

void Mp3Panel::TkBarVBRQualityChange(int position)
{
    LabelVrbQ->setText(QString::number(position));
}
