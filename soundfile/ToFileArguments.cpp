#include "soundfile/ToFileArguments.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/Mp3Tables.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <functional>
#include <map>

namespace {

[[noreturn]] void Refuse(const QString& text)
{
    throw VemoError(QStringLiteral("vemo --to-file: ") + text);
}

int IntegerIn(const QString& option, const QString& value, int low, int high)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high)
        Refuse(Say("%1 wants a whole number from %2 to %3, not «%4»",
                   "%1: нужно целое число от %2 до %3, а не «%4»")
                   .arg(option)
                   .arg(low)
                   .arg(high)
                   .arg(value));
    return n;
}

// The index of the item whose text matches, or a refusal listing the choices.
int ItemOf(const QString& option, const QString& value, const QStringList& choices)
{
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (choices.at(i).compare(value, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    Refuse(Say("%1: «%2» is not one of: %3", "%1: «%2» - не одно из: %3")
               .arg(option, value, choices.join(QStringLiteral(", "))));
}

// The dialog's own reading of the number, with the message in the command line's language.
int PartCharLimitOf(const QString& value)
{
    try {
        return ParsePartCharLimit(value);
    } catch (const VemoError&) {
        Refuse(Say("--divide wants a whole number of characters per part, not «%1»",
                   "--divide: нужно целое число символов в части, а не «%1»")
                   .arg(value));
    }
}

int FormatOf(const QString& value)
{
    bool isNumber = false;
    const int number = value.toInt(&isNumber);
    if (isNumber)
        return IntegerIn(QStringLiteral("--format"), value, FirstSpeechAudioFormat, LastSpeechAudioFormat);
    (void)number;
    return FirstSpeechAudioFormat + ItemOf(QStringLiteral("--format"), value, SpeechAudioFormat::names());
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

class Parser
{
public:
    explicit Parser(ToFileArguments& result) : m_result(result) {}
    void Parse(const QStringList& words);

private:
    using Handler = std::function<void(const QString& value)>;
    std::map<QString, Handler> ValueOptions();
    void Flag(const QString& word);
    void Finish();

    ToFileArguments& m_result;
    Mp3Choices m_choices;
    QStringList m_mp3Options; // given, to refuse them without --mp3
    bool m_formatGiven = false;
};

std::map<QString, Parser::Handler> Parser::ValueOptions()
{
    ToFileOptions& o = m_result.options;
    Mp3Choices& c = m_choices;
    auto mp3 = [this](const QString& name, std::function<void(const QString&)> set) {
        return [this, name, set](const QString& v) {
            m_mp3Options.append(name);
            set(v);
        };
    };
    return {
        {"--divide", [&o](const QString& v) { o.divide = true, o.partCharLimit = PartCharLimitOf(v); }},
        {"--format",
         [this, &o](const QString& v) { m_formatGiven = true, o.streamFormatType = FormatOf(v); }},
        {"--digits",
         [&o](const QString& v) {
             o.digitLang = ItemOf("--digits", v, {"ru", "en"}) ? "E" : "R";
         }},
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
        {"--voice-ru", [this](const QString& v) { m_result.ru.name = v; }},
        {"--voice-en", [this](const QString& v) { m_result.en.name = v; }},
        {"--rate-ru", [this](const QString& v) { m_result.ru.rate = IntegerIn("--rate-ru", v, -10, 10); }},
        {"--rate-en", [this](const QString& v) { m_result.en.rate = IntegerIn("--rate-en", v, -10, 10); }},
        {"--volume-ru",
         [this](const QString& v) { m_result.ru.volume = IntegerIn("--volume-ru", v, 0, 100); }},
        {"--volume-en",
         [this](const QString& v) { m_result.en.volume = IntegerIn("--volume-en", v, 0, 100); }},
    };
}

void Parser::Flag(const QString& word)
{
    if (word == u"--mp3")
        m_result.options.mp3 = true;
    else if (word == u"--xml")
        m_result.options.xml = true;
    else if (word == u"--quiet")
        m_result.options.quiet = true;
    else
        Refuse(Say("unknown option «%1» (vemo --help lists them)",
                   "неизвестный параметр «%1» (их перечисляет vemo --help)")
                   .arg(word));
}

void Parser::Parse(const QStringList& words)
{
    const auto isOption = [](const QString& word) { return word.startsWith(QStringLiteral("--")); };
    if (words.size() < 2 || isOption(words.at(0)) || isOption(words.at(1)))
        Refuse(Say("give the text file and the sound file first: vemo --to-file TEXT OUT",
                   "сначала укажите текстовый и звуковой файлы: vemo --to-file ТЕКСТ ВЫХОД"));
    m_result.textFile = words.at(0);
    m_result.options.chosenFileName = words.at(1);
    m_result.options.textFileName = words.at(0);
    const std::map<QString, Handler> options = ValueOptions();
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString& word = words.at(i);
        const auto option = options.find(word);
        if (option == options.end())
            Flag(word);
        else if (i + 1 < words.size())
            option->second(words.at(++i));
        else
            Refuse(Say("%1 wants a value", "%1: не указано значение").arg(word));
    }
    Finish();
}

// With MP3 the WAV files are 16-bit at the MP3 rate with the chosen channels, as the
// dialog makes them.
void Parser::Finish()
{
    ToFileOptions& o = m_result.options;
    if (!o.mp3) {
        if (!m_mp3Options.isEmpty())
            Refuse(Say("%1 needs --mp3", "%1 действует только с --mp3").arg(m_mp3Options.first()));
        return;
    }
    if (m_formatGiven)
        Refuse(Say("--format cannot be used with --mp3: the WAV format follows the MP3 sample rate",
                   "--format нельзя задать вместе с --mp3: формат WAV следует частоте MP3"));
    const FilledEncoderConfig filled = FillEncoderConfig(m_choices);
    o.encoderConfig = filled.config;
    o.streamFormatType = filled.streamFormatType;
}

} // namespace

ToFileArguments ParseToFileArguments(const QStringList& words)
{
    ToFileArguments result;
    Parser(result).Parse(words);
    return result;
}

QString ToFileUsage()
{
    return QStringLiteral(
        "vemo --to-file TEXT OUT [options]\n"
        "    Speaks the text file TEXT (plain text in UTF-8, UTF-16, UTF-32, Windows-1251, KOI8-R\n"
        "    or CP866, RTF, or a book in FB2, FB2.ZIP, EPUB, DOCX, ODT or HTML, whose title\n"
        "    then tags the MP3 files) into the WAV file OUT, as the To File button does; OUT is\n"
        "    never TEXT itself. Fragments are dumped to tempTex.txt in the current folder (in\n"
        "    $XDG_CACHE_HOME/vemo/ when that cannot be written). Progress goes to standard\n"
        "    error: on a terminal one line with the phase (speaking, converting), percent and\n"
        "    time left, else a line per file and phase. Exit status 0 on success.\n"
        "  --divide N           numbered part files (OUT without extension + 000, 001, ... +\n"
        "                       extension), a part ending after the fragment that takes it\n"
        "                       above N characters\n"
        "  --format NAME|NUMBER WAV format, such as SAFT22kHz16BitMono or 22 (default\n"
        "                       SAFT44kHz16BitMono = 34); not with --mp3\n"
        "  --mp3                convert every WAV file to MP3 (same name, .mp3) and delete it;\n"
        "                       the WAV is kept, and the exit status is 1, when that fails\n"
        "  --sample-rate HZ     MP3 sample rate: 8000 11025 12000 16000 22050 (default) 24000\n"
        "                       32000 44100 48000\n"
        "  --channels C         mono (default), stereo or joint\n"
        "  --mode M             cbr (default), abr, vbr or a preset (r3mix, LQP_STANDARD,\n"
        "                       LQP_PHONE, LQP_CBR at --bitrate, ...)\n"
        "  --bitrate K          kbps (default 64); one the sample rate cannot take becomes 128\n"
        "  --max-bitrate K      largest kbps for vbr (default 64)\n"
        "  --vbr-quality Q      0 (best) to 9 for vbr (default 0)\n"
        "  --quality Q          algorithm quality 0 (best, slow) to 9 (default 2)\n"
        "  --xml                the text carries speech markup: one fragment, Russian voice\n"
        "  --quiet              print errors only\n"
        "  --digits ru|en       the voice that reads numbers (default ru)\n"
        "  --voice-ru NAME      Russian voice by id or description (vemo --list-voices);\n"
        "  --voice-en NAME      default the first Russian / English voice\n"
        "  --rate-ru N, --rate-en N       speed -10..10 (default 0)\n"
        "  --volume-ru N, --volume-en N   volume 0..100 (default 100)\n");
}
