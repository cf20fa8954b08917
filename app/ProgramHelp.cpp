#include "app/ProgramHelp.h"

#include "app/CommandLine.h"

namespace {

const char* const EnglishHelp = "Vemo reads Russian and English text aloud.\n\n"
                                "vemo [FILE]\n"
                                "    Opens the main window, with the text of FILE when one is given.\n"
                                "vemo -h, --help\n"
                                "    Shows this text.\n"
                                "vemo -v, --version\n"
                                "    Shows the version.\n";

// The headless modes' options keep their English names; their details are in man vemo.
const char* const RussianHelp =
    "Вемо читает вслух русский и английский текст.\n\n"
    "vemo [ФАЙЛ]\n"
    "    Открывает главное окно, с текстом ФАЙЛА, если он указан.\n"
    "vemo -h, --help\n"
    "    Показывает эту справку.\n"
    "vemo -v, --version\n"
    "    Показывает версию.\n"
    "vemo --to-file ТЕКСТ ВЫХОД [параметры]\n"
    "    Озвучивает файл ТЕКСТ (простой текст, RTF или книгу FB2, FB2.ZIP, EPUB, DOCX, ODT,\n"
    "    HTML) в WAV-файл ВЫХОД, как кнопка To File. Параметры: --divide N, --format ИМЯ|НОМЕР, --mp3, "
    "--sample-rate ГЦ,\n"
    "    --channels mono|stereo|joint, --mode M, --bitrate K, --max-bitrate K, --vbr-quality Q,\n"
    "    --quality Q, --xml, --digits ru|en, --voice-ru ГОЛОС, --voice-en ГОЛОС, --rate-ru N,\n"
    "    --rate-en N (-10..10), --volume-ru N, --volume-en N (0..100).\n"
    "vemo --convert-folder ПАПКА [параметры]\n"
    "    Озвучивает каждый файл *.txt ПАПКИ (и книги видов из --formats) в звуковые файлы\n"
    "    рядом с ним, как кнопка DirToSoundAndAvi, и записывает команды для видео в\n"
    "    ПАПКА/ToVideo.bat. Параметры --to-file, а также --formats txt,fb2,epub,docx,odt,html,\n"
    "    --video, --ffmpeg-dir ПАПКА, --cover ФАЙЛ, --cover-rule 0|1|2,\n"
    "    --template ТЕКСТ (%fsnd - звук, %fjpg - обложка, %fsrt - субтитры, %fvideo - видео),\n"
    "    --video-template default|mp4 (MP4 с субтитрами).\n"
    "vemo --watch ПАПКА [параметры]\n"
    "    Каждые 3 с ищет в ПАПКЕ файл Start.Flag и тогда преобразует папку, как\n"
    "    --convert-folder; работает до SIGINT или SIGTERM.\n"
    "vemo --list-voices\n"
    "    Перечисляет голоса всех движков: движок, идентификатор и описание через табуляцию.\n\n"
    "Код выхода: 0 - успех, 1 - ошибка, 2 - неверная командная строка, 130 - прервано.\n"
    "Подробно: man vemo.\n";

} // namespace

QString ProgramHelp(bool russian)
{
    if (russian)
        return QString::fromUtf8(RussianHelp);
    return QString::fromUtf8(EnglishHelp) + HeadlessUsage() +
           QStringLiteral("\nExit status: 0 success, 1 failure, 2 wrong command line, 130 stopped.\n");
}

QString ProgramVersion(bool russian)
{
    return QStringLiteral("vemo " VEMO_VERSION "\n") + (russian
                                                            ? QStringLiteral("Лицензия: GPL-3.0-or-later.\n")
                                                            : QStringLiteral("License: GPL-3.0-or-later.\n"));
}
