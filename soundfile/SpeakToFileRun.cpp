#include "soundfile/SpeakToFileRun.h"

#include "files/MessageLanguage.h"
#include "files/TextFileCodec.h"
#include "files/VemoError.h"
#include "soundfile/AheadWorker.h"
#include "soundfile/HeldSpeech.h"
#include "soundfile/MP3export.h"
#include "soundfile/PartConversions.h"
#include "soundfile/SoundFileOptions.h"
#include "soundfile/SpeakToFileHost.h"
#include "speech/SpeechEvent.h"
#include "speech/WaitForVoice.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "text/Segmentation.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace {

QString ConversionFailed()
{
    return Say(" Error converting wav to mp3 FILE!", " Ошибка при конвертации wav в mp3 ФАЙЛ !");
}
constexpr int SeekStart = 0;
constexpr int SeekCurrent = 1;
constexpr int SeekEnd = 2;
// A stretch the voices speak in one go each has at most this many characters: the held file
// takes at most half of them, some 20 minutes of speech (60 MB at the engine's 44 KB a second).
constexpr qint64 AheadChars = 40000;

bool IsEnglish(const QString& lang)
{
    return lang == u"E";
}

// ISO 639-2 codes of the voices' languages that speak, the one with most characters first
// and following each other without a separator, as ID3v2.3 writes several languages.
QString SpokenLanguages(const FragmentLists& fragments)
{
    qint64 ru = 0;
    qint64 en = 0;
    const qsizetype n = qMin(fragments.FragmentLangs.size(), fragments.FragmentTexts.size());
    for (qsizetype i = 0; i < n; ++i)
        (fragments.FragmentLangs.at(i) == u"E" ? en : ru) += fragments.FragmentTexts.at(i).size();
    const QString rus = ru > 0 ? QStringLiteral("rus") : QString();
    const QString eng = en > 0 ? QStringLiteral("eng") : QString();
    return ru >= en ? rus + eng : eng + rus;
}

} // namespace

void SpeakToFileSettings::TakeSoundFileOptions(const SoundFileOptions& sound)
{
    partCharLimit = sound.PartCharLimit();
    streamFormatType = sound.StreamFormatType();
    divide = sound.divide;
    mp3 = sound.mp3;
    encoderConfig = sound.EncoderConfig();
}

SpeakToFileRun::SpeakToFileRun(SpeakToFileHost& host, PartFileNames names,
                               const SpeakToFileSettings& settings)
    : m_host(host), m_names(std::move(names)), m_settings(settings)
{}

SpeakToFileRun::~SpeakToFileRun() = default;

int SpeakToFileRun::SplitText(const QString& text, bool xml, const QString& digitLang, FragmentLists& lists)
{
    if (xml) {
        SplitXmlText(text, lists);
        return SpeakAsyncXml;
    }
    SplitPlainText(text, FragmentLimit, digitLang, lists);
    return SpeakAsyncPlain;
}

int SpeakToFileRun::CountParts(const QStringList& texts, qint64 limit)
{
    int parts = 0;
    qint64 chars = 0;
    bool open = true;
    for (const QString& text : texts) {
        open = true;
        chars += text.size();
        if (chars > limit) {
            ++parts;
            chars = 0;
            open = false;
        }
    }
    return parts + (open ? 1 : 0);
}

void SpeakToFileRun::Run()
{
    m_partNumber = 0;
    m_partChars = 0;
    m_host.FileStream().SetFormatType(m_settings.streamFormatType);
    m_soundFileName = m_names.WavName(m_settings.divide, m_partNumber);
    if (m_settings.mp3 && m_settings.divide)
        m_conversions = std::make_unique<PartConversions>();
    if (m_settings.speakByVoice)
        m_held = std::make_unique<HeldSpeech>(QFileInfo(m_soundFileName).absolutePath());
    try {
        OpenSoundFile();
        m_host.VoiceEng().SetAllowAudioOutputFormatChangesOnNextSet(false);
        m_host.VoiceRu().SetAllowAudioOutputFormatChangesOnNextSet(false);
        SpeakFragments();
        EndLastFile();
    } catch (...) {
        AbandonAfterError();
        m_host.ShowRunEnded();
        throw;
    }
    m_host.ShowRunEnded();
}

void SpeakToFileRun::OpenSoundFile()
{
    const QStringList outputs = {
        m_soundFileName, m_settings.mp3 ? m_names.Mp3Name(m_settings.divide, m_partNumber) : QString()};
    for (const QString& output : outputs) {
        if (IsSameFile(output, m_settings.textFileName))
            throw VemoError(Say("The sound file \"%1\" is the text's own file \"%2\"; "
                                "choose another name, the text was not overwritten",
                                "Звуковой файл \"%1\" — это файл самого текста \"%2\"; "
                                "выберите другое имя, текст не перезаписан")
                                .arg(output, m_settings.textFileName));
    }
    SpFileStream& stream = m_host.FileStream();
    stream.Open(PartFileNames::TemporaryName(m_soundFileName), 3);
    m_fileOpen = true;
    m_streamPosition = stream.Seek(0, SeekEnd);
    m_dataStart = m_streamPosition;
    if (m_subtitles)
        m_subtitles->Open(m_soundFileName);
}

// The lists are taken as they are when the loop starts, so that a handler run while
// messages go through cannot pull them from under the loop.
void SpeakToFileRun::SpeakFragments()
{
    const FragmentLists fragments = m_host.Fragments();
    const qsizetype n = qMin(fragments.FragmentLangs.size(), fragments.FragmentTexts.size());
    m_subtitles = std::make_unique<SubtitleWriter>(
        LaidOutText::OfFragments(fragments.FragmentTexts, fragments.FragmentOffsets));
    m_subtitles->Open(m_soundFileName);
    QObject words;
    for (SpeechVoice* voice : {&m_host.VoiceRu(), &m_host.VoiceEng()}) {
        QObject::connect(voice, &SpeechVoice::Word, &words,
                         [this](int, qint64 streamPosition, int position, int length) {
                             TakeWord(streamPosition, position, length);
                         });
    }
    m_partCount =
        m_settings.divide ? CountParts(fragments.FragmentTexts.mid(0, n), m_settings.partCharLimit) : 1;
    m_languages = SpokenLanguages(fragments);
    for (qsizetype i = 0; i < n; ++i) {
        if (i >= m_aheadEnd) {
            SpeakAhead(fragments, i, n);
            if (StopRequested())
                break;
        }
        m_host.SetFragmentIndex(int(i));
        m_host.LetMessagesThrough();
        const QString& text = fragments.FragmentTexts.at(i);
        m_fragmentOffset = i < fragments.FragmentOffsets.size() ? fragments.FragmentOffsets.at(i).toInt() : 0;
        m_host.ShowSpeakingProgress(m_soundFileName, i, n);
        SpeakFragment(i, fragments.FragmentLangs.at(i), text);
        m_host.ShowSpeakingProgress(m_soundFileName, i + 1, n);
        m_partChars += text.size();
        if (m_settings.divide && m_partChars > m_settings.partCharLimit && !EndPart(i == n - 1))
            break;
        if (StopRequested())
            break;
        ShowSpokenFragment(fragments, i);
        m_host.ShowProgress(QStringLiteral(" фрагмент %1 из %2").arg(i + 1).arg(n));
        m_host.LetMessagesThrough();
        TakeConversions(false);
    }
}

// The stretch of the text from fragment `from`: up to aheadFragments fragments or
// AheadChars characters, and the voice with fewer characters in it, which speaks ahead.
SpeakToFileRun::Stretch SpeakToFileRun::StretchFrom(const FragmentLists& fragments, qsizetype from,
                                                    qsizetype n) const
{
    qint64 chars[2] = {0, 0}; // Russian voice, English voice
    qsizetype to = from;
    for (; to < n && to - from < qMax(1, m_settings.aheadFragments) && chars[0] + chars[1] < AheadChars; ++to)
        chars[IsEnglish(fragments.FragmentLangs.at(to))] += fragments.FragmentTexts.at(to).size();
    const bool english = chars[1] < chars[0];
    return {from, to, english, chars[english]};
}

// Takes the stretch of the text from fragment `from` and has the voice with fewer characters
// in it speak its fragments there into the held file, one after another; or, with a worker,
// announces it to the worker.
void SpeakToFileRun::SpeakAhead(const FragmentLists& fragments, qsizetype from, qsizetype n)
{
    m_aheadEnd = n;
    const bool inWorker = !m_settings.aheadProgram.isEmpty();
    if (!m_held || (!inWorker && !m_held->IsAvailable()))
        return;
    const Stretch stretch = StretchFrom(fragments, from, n);
    m_aheadEnd = stretch.to;
    if (inWorker) {
        AnnounceStretches(fragments, from, n);
        return;
    }
    if (stretch.aheadChars == 0)
        return;
    const bool english = stretch.english;
    const qsizetype to = stretch.to;
    SpeechVoice& voice = VoiceOf(english ? QStringLiteral("E") : QStringLiteral("R"));
    const auto onHeldFile = [this](const auto& step) {
        try {
            step();
        } catch (const VemoError& error) {
            throw VemoError(HeldFailure(error));
        }
    };
    // However the stretch ends, the voice speaks into the sound file again.
    struct BackToFile
    {
        SpeechVoice& voice;
        SpFileStream& file;
        ~BackToFile() { voice.SetAudioOutputStream(&file); }
    } backToFile{voice, m_host.FileStream()};
    onHeldFile([&] { m_held->Begin(); });
    voice.SetAudioOutputStream(&m_held->Stream());
    for (qsizetype k = from; k < to && !StopRequested(); ++k) {
        if (IsEnglish(fragments.FragmentLangs.at(k)) != english)
            continue;
        onHeldFile([&] { m_held->StartFragment(k); });
        voice.Speak(fragments.FragmentTexts.at(k), m_settings.speakFlags);
        WaitForVoice(voice, [this] { return StopRequested(); });
        if (!StopRequested())
            onHeldFile([&] { m_held->EndFragment(); });
    }
}

// Sends the worker the stretches up to the one after the stretch at `from` that it has
// fragments in, so that it speaks that one while this one is placed; never further.
void SpeakToFileRun::AnnounceStretches(const FragmentLists& fragments, qsizetype from, qsizetype n)
{
    while (m_announcedTo < n && (m_announcedTo <= from || m_lastAnnounced <= from)) {
        const Stretch stretch = StretchFrom(fragments, m_announcedTo, n);
        m_announcedTo = stretch.to;
        if (stretch.aheadChars == 0)
            continue;
        const SpeechVoice& voice = VoiceOf(stretch.english ? QStringLiteral("E") : QStringLiteral("R"));
        AheadRequest request{voice.Voice(), voice.Rate(), voice.Volume(), m_settings.speakFlags, {}, {}, {}};
        for (qsizetype k = stretch.from; k < stretch.to; ++k) {
            if (IsEnglish(fragments.FragmentLangs.at(k)) == stretch.english) {
                request.indexes.append(k);
                request.texts.append(fragments.FragmentTexts.at(k));
            }
        }
        try {
            m_held->Announce(m_settings.aheadProgram, std::move(request));
        } catch (const VemoError& error) {
            throw VemoError(HeldFailure(error));
        }
        m_lastAnnounced = stretch.from;
    }
    if (m_announcedTo >= n)
        m_held->EndAnnouncements();
}

// A failure of the held file is told as one of the sound file it is for.
QString SpeakToFileRun::HeldFailure(const VemoError& error) const
{
    return QStringLiteral("Не удалось записать звук для файла %1: %2").arg(m_soundFileName, error.Message());
}

// A fragment spoken ahead is copied into the file with its words; any other is spoken there.
void SpeakToFileRun::SpeakFragment(qsizetype i, const QString& lang, const QString& text)
{
    SpFileStream& stream = m_host.FileStream();
    const bool held = m_held && m_held->Holds(i);
    if (!held)
        VoiceOf(lang).SetAudioOutputStream(&stream);
    stream.Seek(m_streamPosition, SeekStart);
    const auto format = SpeechAudioFormat::FromType(stream.FormatType());
    m_fragmentSeconds = format ? double(m_streamPosition - m_dataStart) / format->BytesPerSecond() : 0;
    if (!(held && (PlaceHeld(i) || StopRequested()))) {
        SpeechVoice& voice = VoiceOf(lang);
        voice.SetAudioOutputStream(&stream);
        voice.Speak(text, m_settings.speakFlags);
        WaitForVoice(voice, [this] { return StopRequested(); });
    }
    m_streamPosition = stream.Seek(0, SeekCurrent);
}

// Copies held fragment i into the file at its position, its words with it. False when a
// worker did not deliver it (or a stop ended the wait for it).
bool SpeakToFileRun::PlaceHeld(qsizetype i)
{
    std::optional<QList<HeldSpeech::Word>> words;
    try {
        words = m_held->Place(i, m_host.FileStream(), [this] {
            m_host.LetMessagesThrough();
            return !StopRequested();
        });
    } catch (const VemoError& error) {
        throw VemoError(HeldFailure(error));
    }
    if (!words)
        return false;
    for (const HeldSpeech::Word& word : *words)
        TakeWord(word.streamPosition, word.position, word.length);
    return true;
}

SpeechVoice& SpeakToFileRun::VoiceOf(const QString& lang)
{
    return IsEnglish(lang) ? m_host.VoiceEng() : m_host.VoiceRu();
}

void SpeakToFileRun::ShowSpokenFragment(const FragmentLists& fragments, qsizetype i)
{
    const QString crLf = QStringLiteral("\r\n");
    m_host.ShowFragment(fragments.FragmentLangs.at(i) + crLf + fragments.FragmentTexts.at(i) + crLf);
}

// Closes (and converts) the complete part and opens the next one unless the fragment was
// the last. False when a stop request ends the loop here.
bool SpeakToFileRun::EndPart(bool lastFragment)
{
    m_partChars = 0;
    m_host.FileStream().Close();
    m_fileOpen = false;
    WriteSubtitles(m_settings.mp3 ? m_names.Mp3Name(true, m_partNumber) : m_soundFileName);
    if (m_conversions)
        StartPartConversion();
    else
        FinishSoundFile(m_settings.mp3 ? m_names.Mp3Name(true, m_partNumber) : QString());
    ++m_partNumber;
    m_host.LetMessagesThrough();
    if (StopRequested())
        return false;
    m_soundFileName = m_names.WavName(true, m_partNumber);
    if (!lastFragment)
        OpenSoundFile();
    return true;
}

// The file still open after the loop is closed; a stopped run leaves it unconverted.
void SpeakToFileRun::EndLastFile()
{
    if (m_fileOpen) {
        m_host.FileStream().Close();
        m_fileOpen = false;
        const bool convert = m_settings.mp3 && !StopRequested();
        WriteSubtitles(convert ? m_names.Mp3Name(m_settings.divide, m_partNumber) : m_soundFileName);
        if (convert && m_conversions)
            StartPartConversion();
        else
            FinishSoundFile(convert ? m_names.Mp3Name(m_settings.divide, m_partNumber) : QString());
    }
    TakeConversions(true);
}

void SpeakToFileRun::TakeWord(qint64 streamPosition, int position, int length)
{
    if (m_held && m_held->IsSpeaking())
        m_held->AddWord(streamPosition, position, length);
    else if (m_fileOpen && m_subtitles)
        m_subtitles->AddWord(m_fragmentOffset + position, length,
                             m_fragmentSeconds + double(streamPosition) / (2.0 * EngineSampleRate));
}

// The subtitles of the file just closed, named after the file it becomes.
void SpeakToFileRun::WriteSubtitles(const QString& soundFileName)
{
    const auto format = SpeechAudioFormat::FromType(m_host.FileStream().FormatType());
    const double seconds = format ? double(m_streamPosition - m_dataStart) / format->BytesPerSecond() : 0;
    if (m_subtitles)
        m_subtitles->Close(seconds, soundFileName);
}

void SpeakToFileRun::StartPartConversion()
{
    const QString mp3Name = m_names.Mp3Name(true, m_partNumber);
    m_host.ShowProgress(QStringLiteral(" Конвертация ") + m_soundFileName + QStringLiteral(" в ") + mp3Name);
    m_host.ShowConversionProgress(mp3Name, 0, 1);
    m_conversions->Start({PartFileNames::TemporaryName(m_soundFileName),
                          PartFileNames::TemporaryName(mp3Name), m_soundFileName, mp3Name,
                          m_settings.encoderConfig, TagsOfSoundFile()});
}

void SpeakToFileRun::TakeConversions(bool wait)
{
    if (!m_conversions)
        return;
    // The progress shown stays on the last conversion started, which the others precede.
    const auto whileWaiting = [this](const QString&, qint64, qint64) { m_host.LetMessagesThrough(); };
    while (m_conversions->HasPending() && (wait || m_conversions->NextIsReady())) {
        const PartConversions::Result result = m_conversions->TakeNext(whileWaiting);
        if (!result.error.isEmpty())
            throw VemoError(result.error);
        TakeConverted(result.status, result.job.soundFileName, result.job.mp3FileName);
    }
}

// After the conversion of a complete WAV file (both under their temporary names): the MP3
// takes its name and the WAV goes; a failed conversion keeps the WAV, under its own name.
void SpeakToFileRun::TakeConverted(qint32 status, const QString& soundFileName, const QString& mp3Name)
{
    const QString wavTemporary = PartFileNames::TemporaryName(soundFileName);
    const QString mp3Temporary = PartFileNames::TemporaryName(mp3Name);
    if (status < 0) {
        if (mp3Temporary != wavTemporary)
            QFile::remove(mp3Temporary);
        PartFileNames::Publish(soundFileName);
        m_host.ShowConversionError(ConversionFailed(), soundFileName);
        return;
    }
    m_host.ShowConversionProgress(mp3Name, 1, 1);
    PartFileNames::Publish(mp3Name);
    QFile::remove(wavTemporary);
    m_host.SoundFileFinished(mp3Name);
}

// With an MP3 name: converts the closed WAV file and deletes it once converted; a failed
// conversion keeps it and is reported. Without: the WAV file is the finished file. Either
// takes its final name only now.
void SpeakToFileRun::FinishSoundFile(const QString& mp3Name)
{
    if (mp3Name.isEmpty()) {
        PartFileNames::Publish(m_soundFileName);
        m_host.SoundFileFinished(m_soundFileName);
        return;
    }
    m_host.ShowProgress(QStringLiteral(" Конвертация ") + m_soundFileName + QStringLiteral(" в ") + mp3Name);
    m_host.ShowConversionProgress(mp3Name, 0, 1);
    const qint32 result = ConvertWavToMp3(PartFileNames::TemporaryName(m_soundFileName),
                                          PartFileNames::TemporaryName(mp3Name), m_settings.encoderConfig,
                                          TagsOfSoundFile(), [this, &mp3Name](qint64 done, qint64 total) {
                                              m_host.LetMessagesThrough();
                                              m_host.ShowConversionProgress(mp3Name, done, total);
                                          });
    TakeConverted(result, m_soundFileName, mp3Name);
}

// The title is the book's own title, or else the base name the files share, with the part
// number for a part; the album the caller's (the folder of a folder run) or else that title.
Mp3Tags SpeakToFileRun::TagsOfSoundFile() const
{
    const QString baseName =
        m_settings.bookTitle.isEmpty() ? QFileInfo(m_names.Base()).fileName() : m_settings.bookTitle;
    Mp3Tags tags;
    tags.title = baseName;
    tags.album = m_settings.album.isEmpty() ? baseName : m_settings.album;
    if (m_settings.divide) {
        tags.title += u' ' + PartFileNames::PartNumberText(m_partNumber);
        tags.track = m_partNumber + 1;
        tags.trackCount = m_partCount;
    }
    tags.year = QDate::currentDate().year();
    tags.language = m_languages;
    return tags;
}

// After an error nothing more may be written: the voices are silenced and the file is
// closed (its header then tells the length written). Failures here would only hide the
// error that ended the run.
void SpeakToFileRun::AbandonAfterError()
{
    // The parts already handed to the converter are finished as far as they can be.
    for (bool more = true; more;) {
        try {
            TakeConversions(true);
            more = false;
        } catch (...) {
        }
    }
    for (SpeechVoice* voice : {&m_host.VoiceRu(), &m_host.VoiceEng()}) {
        try {
            voice->Speak(QString(), SpeakPurge);
        } catch (...) {
        }
    }
    if (!m_fileOpen)
        return;
    m_fileOpen = false;
    try {
        m_host.FileStream().Close();
    } catch (...) {
    }
}

bool SpeakToFileRun::StopRequested() const
{
    return m_host.StopToFileRequested();
}
