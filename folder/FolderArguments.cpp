#include "folder/FolderArguments.h"

#include "documents/books/BookReader.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "folder/VideoTemplates.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

class FolderParser
{
public:
    FolderParser(const QString& command, FolderArguments& result) : m_command(command), m_result(result) {}

    // Takes the folder (or, for one book, the text file) and the video options; the
    // remaining words are sound options.
    QStringList TakeFolderOptions(const QStringList& words, bool oneBook = false);
    void TakeSoundOptions(const QStringList& soundWords);

private:
    [[noreturn]] void Refuse(const QString& text) const
    {
        throw VemoError(m_command + QStringLiteral(": ") + text);
    }
    void TakeFolder(const QString& word);
    void TakeBook(const QString& word);
    int JobsOf(const QString& value) const;
    bool TakeVideoOption(const QString& option, const QString& value);
    int CoverRuleOf(const QString& value) const;
    QString TemplateNamed(const QString& name) const;
    QStringList FormatsOf(const QString& value) const;

    const QString m_command;
    FolderArguments& m_result;
};

void FolderParser::TakeFolder(const QString& word)
{
    if (word.isEmpty() || word.startsWith(QStringLiteral("--")))
        Refuse(Say("give the folder of the text files first: %1 DIR",
                   "сначала укажите папку с текстами: %1 ПАПКА")
                   .arg(m_command));
    const QFileInfo folder(word);
    if (!folder.isDir())
        Refuse(Say("the folder «%1» does not exist", "папки «%1» нет").arg(QDir::toNativeSeparators(word)));
    m_result.settings.folderName = QDir::cleanPath(folder.absoluteFilePath());
}

// One book: its folder is the run's folder, as a folder run of that folder would convert it.
void FolderParser::TakeBook(const QString& word)
{
    if (word.isEmpty() || word.startsWith(QStringLiteral("--")))
        Refuse(QStringLiteral("give the text file first: %1 TEXT").arg(m_command));
    const QFileInfo book(word);
    if (!book.isFile())
        Refuse(QStringLiteral("the text file «%1» does not exist").arg(QDir::toNativeSeparators(word)));
    m_result.settings.folderName = QDir::cleanPath(book.absolutePath());
    m_result.settings.books = {QDir::cleanPath(book.absoluteFilePath())};
}

int FolderParser::JobsOf(const QString& value) const
{
    bool ok = false;
    const int jobs = value.toInt(&ok);
    if (!ok || jobs < 1 || jobs > 256)
        Refuse(QStringLiteral("--jobs wants a number from 1 to 256, not «%1»").arg(value));
    return jobs;
}

int FolderParser::CoverRuleOf(const QString& value) const
{
    bool ok = false;
    const int rule = value.toInt(&ok);
    if (!ok || rule < 0 || rule > 2)
        Refuse(Say("--cover-rule wants 0, 1 or 2, not «%1»", "--cover-rule: нужно 0, 1 или 2, а не «%1»")
                   .arg(value));
    return rule;
}

QString FolderParser::TemplateNamed(const QString& name) const
{
    const std::optional<QString> named = VideoTemplates::Named(name);
    if (!named)
        Refuse(Say("--video-template wants default or mp4, not «%1»",
                   "--video-template: нужно default или mp4, а не «%1»")
                   .arg(name));
    return *named;
}

// "txt,fb2,epub": each a known format, none twice, at least one.
QStringList FolderParser::FormatsOf(const QString& value) const
{
    QStringList formats;
    for (const QString& word : value.split(u',')) {
        const QString name = word.trimmed().toLower();
        if (!BookFormatNames().contains(name))
            Refuse(QStringLiteral("--formats takes a list of %1, not «%2»")
                       .arg(BookFormatNames().join(QStringLiteral(", ")), word));
        if (!formats.contains(name))
            formats.append(name);
    }
    return formats;
}

bool FolderParser::TakeVideoOption(const QString& option, const QString& value)
{
    VideoOptions& video = m_result.settings.video;
    if (option == u"--ffmpeg-dir")
        video.converterFolder = value;
    else if (option == u"--cover")
        video.coverDefault = value;
    else if (option == u"--cover-rule")
        video.coverRule = CoverRuleOf(value);
    else if (option == u"--template")
        video.commandTemplate = value;
    else if (option == u"--video-template")
        video.commandTemplate = TemplateNamed(value);
    else if (option == u"--jobs")
        m_result.settings.workers.jobs = JobsOf(value);
    else if (option == u"--formats")
        m_result.settings.formats = FormatsOf(value);
    else
        return false;
    return true;
}

QStringList FolderParser::TakeFolderOptions(const QStringList& words, bool oneBook)
{
    if (oneBook)
        TakeBook(words.value(0));
    else
        TakeFolder(words.value(0));
    QStringList soundWords;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (word == u"--video")
            m_result.settings.makeVideos = true;
        else if (word == u"--skip-existing")
            m_result.settings.skipExisting = true;
        else if (!TakeVideoOption(word, words.value(i + 1)))
            soundWords.append(word);
        else if (++i == words.size())
            Refuse(Say("%1 wants a value", "%1: не указано значение").arg(word));
    }
    return soundWords;
}

// The sound options are those of vemo --to-file; their messages name this command.
void FolderParser::TakeSoundOptions(const QStringList& soundWords)
{
    ToFileArguments parsed;
    try {
        parsed = ParseToFileOptions(soundWords);
    } catch (const VemoError& e) {
        Refuse(e.Message());
    }
    FolderRunSettings& s = m_result.settings;
    const ToFileOptions& o = parsed.options;
    s.sound = o.sound;
    s.xml = o.xml;
    s.digitLang = o.digitLang;
    m_result.ru = parsed.ru;
    m_result.en = parsed.en;
    m_result.settings.workers.ru = parsed.ru;
    m_result.settings.workers.en = parsed.en;
    m_result.quiet = o.quiet;
}

} // namespace

FolderArguments ParseFolderArguments(const QString& command, const QStringList& words,
                                     const DirSettings& defaults, bool oneBook)
{
    FolderArguments result;
    result.settings.workers.jobs = qMax(1, QThread::idealThreadCount());
    VideoOptions& video = result.settings.video;
    video.converterFolder = defaults.converterFolder;
    video.coverDefault = defaults.cover;
    video.commandTemplate = defaults.commandTemplate;
    video.coverRule = defaults.coverRule;
    result.settings.formats = defaults.Formats();
    FolderParser parser(command, result);
    parser.TakeSoundOptions(parser.TakeFolderOptions(words, oneBook));
    return result;
}

QString ConvertFolderUsage()
{
    return QStringLiteral(
        "vemo --convert-folder DIR [options]\n"
        "    Speaks every *.txt file of DIR (and the books of --formats), in natural name\n"
        "    order, into DIR: NAME.wav (or NAME 000.wav, NAME 001.wav, ... with --divide),\n"
        "    NAME.mp3 with --mp3, as the DirToSoundAndAvi button does, and writes the video\n"
        "    commands to DIR/ToVideo.bat (NAME is the file's name without .txt, .fb2.zip, ...).\n"
        "    Progress goes to standard error; Ctrl+C stops after the current fragment. A book\n"
        "    that fails is named and passed over; the run log is DIR/vemo-run.log.\n"
        "    Exit status 0 on success, 1 when a book or a video failed, 130 when stopped.\n"
        "  --divide N, --format, --mp3 and the MP3, voice, --xml/--digits and --quiet\n"
        "                       options as for vemo --to-file; the videos' progress is\n"
        "                       shown as the sound's\n"
        "  --formats LIST       the kinds of files to speak, of txt, fb2 (also .fb2.zip),\n"
        "                       epub, docx, odt, html (also .htm, .xhtml), comma-separated\n"
        "                       (default txt, or all when the folder dialog's box for books\n"
        "                       is checked in opsDir.txt); a book's title tags its MP3 files\n"
        "  --video              run ToVideo.bat at the end (one video per sound file); the\n"
        "                       exit status is 1 when a video was not made\n"
        "  --jobs N             convert N books at once, each in a worker process (default:\n"
        "                       the number of cores); the files are those of one job\n"
        "  --skip-existing      pass over a book whose sound files are all there and newer\n"
        "                       than its text (its missing videos are still made): a run\n"
        "                       that was killed goes on at the first book it did not finish\n"
        "  --ffmpeg-dir DIR     folder of the converter ffmpeg (default from opsDir.txt, else\n"
        "                       /usr/bin)\n"
        "  --cover FILE         cover picture, relative to DIR unless a full name (default\n"
        "                       from opsDir.txt, else Cover.jpg)\n"
        "  --cover-rule 0|1|2   0: FILE for all; 1: the picture named after the first two\n"
        "                       letters of the text file (ИС140705.txt -> ИС.jpg); 2: the\n"
        "                       picture with the text file's name (.jpg .jpeg .png .gif)\n"
        "  --template TEXT      converter options with %fsnd (the sound), %fjpg (the cover),\n"
        "                       %fsrt (the SRT subtitles beside the sound) and %fvideo\n"
        "  --video-template default|mp4\n"
        "                       a ready template: default (AVI, 320x240) or mp4 (H.264 and\n"
        "                       AAC, 1280x720, the subtitles as a soft subtitle track; the\n"
        "                       videos are named .mp4)\n");
}

QString ConvertFileUsage()
{
    return QStringLiteral(
        "vemo --convert-file TEXT [options]\n"
        "    Converts one book exactly as --convert-folder converts it in its folder (same\n"
        "    names, tags and subtitles); its video commands are appended to ToVideo.bat in\n"
        "    that folder under a lock, its result to vemo-run.log there. So a runner spreads\n"
        "    a library over cores or machines sharing the folder:\n"
        "      find LIB -name '*.txt' | parallel vemo --convert-file {}\n"
        "    Takes the options of --convert-folder but --jobs; --video makes this book's\n"
        "    videos. Exit status 0 on success, 1 when the book failed, 130 when stopped.\n");
}

QString WatchUsage()
{
    return QStringLiteral(
        "vemo --watch DIR [options]\n"
        "    Waits for a file Start.Flag in DIR (looking every 3 s), then converts the folder\n"
        "    as --convert-folder does and deletes the flag; goes on until SIGINT or SIGTERM.\n"
        "    Takes the options of --convert-folder.\n");
}
