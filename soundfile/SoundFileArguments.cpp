#include "soundfile/SoundFileArguments.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/Mp3Tables.h"
#include "speech/filestream/SpeechAudioFormat.h"

using OptionValue::IntegerIn;
using OptionValue::ItemOf;

namespace {

// The dialog's own reading of the number, with the message in the command line's language.
int PartCharLimitOf(const QString& value)
{
    try {
        return ParsePartCharLimit(value);
    } catch (const VemoError&) {
        throw VemoError(Say("--divide wants a whole number of characters per part, not «%1»",
                            "--divide: нужно целое число символов в части, а не «%1»")
                            .arg(value));
    }
}

int FormatOf(const QString& value)
{
    bool isNumber = false;
    (void)value.toInt(&isNumber);
    if (isNumber)
        return IntegerIn(QStringLiteral("--format"), value, FirstSpeechAudioFormat, LastSpeechAudioFormat);
    return FirstSpeechAudioFormat + ItemOf(QStringLiteral("--format"), value, SpeechAudioFormat::Names());
}

int SampleRateItem(const QString& value)
{
    QStringList rates;
    for (int i = 0; i < Mp3Tables::SampleRateCount; ++i)
        rates.append(QString::number(Mp3Tables::sampleRate(i).rate));
    return ItemOf(QStringLiteral("--sample-rate"), value, rates);
}

int BitrateItem(const QString& option, const QString& value)
{
    QStringList rates;
    for (int i = 0; i < Mp3Tables::BitrateCount; ++i)
        rates.append(QString::number(Mp3Tables::bitrateKbps(i)));
    return ItemOf(option, value, rates);
}

// cbr, abr, vbr, or a preset as the mode list names it ("LQP_PHONE" for "LQP_PHONE - new").
int ModeItem(const QString& value)
{
    QStringList modes{QStringLiteral("cbr"), QStringLiteral("abr"), QStringLiteral("vbr")};
    const QStringList texts = Mp3Tables::modeTexts();
    for (qsizetype i = 3; i < texts.size(); ++i)
        modes.append(QString(texts.at(i)).remove(QStringLiteral(" - new")).trimmed());
    return ItemOf(QStringLiteral("--mode"), value, modes);
}

} // namespace

int OptionValue::IntegerIn(const QString& option, const QString& value, int low, int high)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high)
        throw VemoError(Say("%1 wants a whole number from %2 to %3, not «%4»",
                            "%1: нужно целое число от %2 до %3, а не «%4»")
                            .arg(option)
                            .arg(low)
                            .arg(high)
                            .arg(value));
    return n;
}

int OptionValue::ItemOf(const QString& option, const QString& value, const QStringList& choices)
{
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (choices.at(i).compare(value, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw VemoError(Say("%1: «%2» is not one of: %3", "%1: «%2» - не одно из: %3")
                        .arg(option, value, choices.join(QStringLiteral(", "))));
}

std::map<QString, SoundFileArguments::Handler> SoundFileArguments::ValueOptions()
{
    SoundFileOptions& o = m_options;
    Mp3Choices& c = m_options.mp3Choices;
    auto mp3 = [this](const QString& name, std::function<void(const QString&)> set) {
        return [this, name, set](const QString& v) {
            m_mp3Options.append(name);
            set(v);
        };
    };
    return {
        {"--divide",
         [&o](const QString& v) { o.divide = true, o.partCharLimit = QString::number(PartCharLimitOf(v)); }},
        {"--format", [this, &o](const QString& v) { m_formatGiven = true, o.wavFormat = FormatOf(v); }},
        {"--sample-rate",
         mp3("--sample-rate", [&c](const QString& v) { c.sampleRateItem = SampleRateItem(v); })},
        {"--channels", mp3("--channels",
                           [&c](const QString& v) {
                               c.channelsItem = ItemOf("--channels", v, {"mono", "stereo", "joint"});
                           })},
        {"--mode", mp3("--mode", [&c](const QString& v) { c.modeItem = ModeItem(v); })},
        {"--bitrate",
         mp3("--bitrate", [&c](const QString& v) { c.bitrateItem = BitrateItem("--bitrate", v); })},
        {"--max-bitrate",
         mp3("--max-bitrate",
             [&c](const QString& v) { c.bitrateMaxItem = BitrateItem("--max-bitrate", v); })},
        {"--vbr-quality",
         mp3("--vbr-quality",
             [&c](const QString& v) { c.vbrQuality = IntegerIn("--vbr-quality", v, 0, 9); })},
        {"--quality",
         mp3("--quality", [&c](const QString& v) { c.qualityItem = IntegerIn("--quality", v, 0, 9); })},
    };
}

bool SoundFileArguments::TakeFlag(const QString& word)
{
    if (word != u"--mp3")
        return false;
    m_options.mp3 = true;
    return true;
}

// With MP3 the WAV files are 16-bit at the MP3 rate with the chosen channels, as the
// dialogs make them.
SoundFileOptions SoundFileArguments::Options() const
{
    if (!m_options.mp3 && !m_mp3Options.isEmpty())
        throw VemoError(Say("%1 needs --mp3", "%1 действует только с --mp3").arg(m_mp3Options.first()));
    if (m_options.mp3 && m_formatGiven)
        throw VemoError(Say("--format cannot be used with --mp3: the WAV format follows the MP3 sample rate",
                            "--format нельзя задать вместе с --mp3: формат WAV следует частоте MP3"));
    return m_options;
}
