#include "soundfile/ToFileArguments.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/SoundFileArguments.h"

#include <QFileInfo>
#include <map>

namespace {

using OptionValue::IntegerIn;
using OptionValue::ItemOf;

// The options after TEXT OUT: the sound-file options, the voices and how the text is split.
class Parser
{
public:
    explicit Parser(ToFileArguments& result) : m_result(result) {}
    void Parse(const QStringList& words);

private:
    using Handler = SoundFileArguments::Handler;
    std::map<QString, Handler> ValueOptions();
    void Flag(const QString& word);

    ToFileArguments& m_result;
    SoundFileArguments m_sound;
};

std::map<QString, Parser::Handler> Parser::ValueOptions()
{
    ToFileOptions& o = m_result.options;
    std::map<QString, Handler> options{
        {"--digits",
         [&o](const QString& v) {
             o.digitLang = ItemOf("--digits", v, {"ru", "en"}) ? "E" : "R";
         }},
        {"--voice-ru", [this](const QString& v) { m_result.ru.name = v; }},
        {"--voice-en", [this](const QString& v) { m_result.en.name = v; }},
        {"--rate-ru", [this](const QString& v) { m_result.ru.rate = IntegerIn("--rate-ru", v, -10, 10); }},
        {"--rate-en", [this](const QString& v) { m_result.en.rate = IntegerIn("--rate-en", v, -10, 10); }},
        {"--volume-ru",
         [this](const QString& v) { m_result.ru.volume = IntegerIn("--volume-ru", v, 0, 100); }},
        {"--volume-en",
         [this](const QString& v) { m_result.en.volume = IntegerIn("--volume-en", v, 0, 100); }},
    };
    options.merge(m_sound.ValueOptions());
    return options;
}

void Parser::Flag(const QString& word)
{
    if (m_sound.TakeFlag(word))
        return;
    if (word == u"--xml")
        m_result.options.xml = true;
    else if (word == u"--quiet")
        m_result.options.quiet = true;
    else
        throw VemoError(Say("unknown option «%1» (vemo --help lists them)",
                            "неизвестный параметр «%1» (их перечисляет vemo --help)")
                            .arg(word));
}

void Parser::Parse(const QStringList& words)
{
    const std::map<QString, Handler> options = ValueOptions();
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        const auto option = options.find(word);
        if (option == options.end())
            Flag(word);
        else if (i + 1 < words.size())
            option->second(words.at(++i));
        else
            throw VemoError(Say("%1 wants a value", "%1: не указано значение").arg(word));
    }
    m_result.options.sound = m_sound.Options();
}

} // namespace

ToFileArguments ParseToFileArguments(const QStringList& words)
{
    const QString command = QStringLiteral("vemo --to-file: ");
    const auto isOption = [](const QString& word) { return word.startsWith(QStringLiteral("--")); };
    if (words.size() < 2 || isOption(words.at(0)) || isOption(words.at(1)))
        throw VemoError(command +
                        Say("give the text file and the sound file first: vemo --to-file TEXT OUT",
                            "сначала укажите текстовый и звуковой файлы: vemo --to-file ТЕКСТ ВЫХОД"));
    ToFileArguments result;
    try {
        result = ParseToFileOptions(words.mid(2));
    } catch (const VemoError& e) {
        throw VemoError(command + e.Message());
    }
    result.textFile = words.at(0);
    result.options.chosenFileName = words.at(1);
    result.options.textFileName = words.at(0);
    // OUT is the WAV file; with --mp3 its MP3 takes the same name with .mp3. An OUT named
    // .mp3 would be a WAV under an MP3's name, or the MP3 would overwrite the WAV it is made
    // from: said before minutes of speaking rather than after.
    if (QFileInfo(result.options.chosenFileName).suffix().compare(u"mp3", Qt::CaseInsensitive) == 0) {
        const QString wav = result.options.chosenFileName.chopped(3) + QStringLiteral("wav");
        throw VemoError(command + Say("OUT is the WAV file: give «%1» with --mp3, and the MP3 file is «%2»",
                                      "ВЫХОД — это WAV-файл: укажите «%1» с --mp3, и MP3-файлом будет «%2»")
                                      .arg(wav, result.options.chosenFileName));
    }
    return result;
}

ToFileArguments ParseToFileOptions(const QStringList& words)
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
