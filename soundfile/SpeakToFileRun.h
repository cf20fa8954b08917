#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/Mp3Tags.h"
#include "soundfile/PartFileNames.h"
#include "soundfile/Subtitles.h"
#include "speech/SpeechVoice.h"

#include <QString>
#include <memory>

class HeldSpeech;
class VemoError;
class PartConversions;

class SpeakToFileHost;
struct FragmentLists;
struct SoundFileOptions;

// How one text is spoken into files.
struct SpeakToFileSettings
{
    int streamFormatType = 34; // SpeechAudioFormatType of every file of the run
    int speakFlags = SpeakAsyncPlain;
    bool divide = false;
    int partCharLimit = 1000; // a part ends after the fragment that takes it above this
    bool mp3 = false;
    EncoderConfig encoderConfig; // used when mp3
    QString album;               // the MP3 files' album tag; empty: the files' base name
    QString textFileName;        // the file the text came from: no sound file may replace it
    QString bookTitle;           // a book's own title: it stands for the files' base name in the tags
    // Each voice speaks its fragments of a stretch of the text in one go, ahead of their
    // turn where needed, instead of the voices taking turns fragment by fragment.
    bool speakByVoice = true;
    int aheadFragments = 1000; // fragments of one such stretch at most
    // A program (this one, `vemo`) that speaks the ahead voice's fragments in a process of
    // its own while the run speaks the other voice's; empty: the run speaks both in turn.
    QString aheadProgram;

    // The WAV format, division and MP3 record of the sound-file options. Throws VemoError when
    // the characters per part are not a whole number.
    void TakeSoundFileOptions(const SoundFileOptions& sound);
};

// Speaks the host's fragments one at a time into the file stream, each by the voice of
// its language, waiting for each; divides the output into part files by characters of
// fragment text, converts every finished WAV file to MP3 when asked (deleting the WAV once
// converted; the MP3 tagged with title, album, part n of N, year and spoken languages) and
// ends early on the host's stop request. Beside every sound file it writes its subtitles
// (".srt" and ".lrc"), timed from the voices' word events. The run lets window messages
// through between fragments, while it waits and while it converts. The parts of a divided
// file are converted on other cores while the next part is spoken; each is finished (WAV
// deleted, file announced) in part order, as when it was converted before going on. Every
// sound file is written under a temporary name (PartFileNames::TemporaryName) and takes its
// own name only when complete: a WAV stopped by Stop To File is complete up to the stop.
//
// The fragments are placed in text order, but each voice speaks its fragments of a stretch
// of the text (up to aheadFragments fragments or AheadChars characters) in one go: the
// voice with fewer characters there speaks first, ahead of their turn, into a held file,
// and each of those fragments is copied into the sound file, its words with it, when its
// turn comes. So the engine changes voice (reloading a dictionary) twice a stretch instead
// of at every change of language. A Stop To File while fragments are spoken ahead ends the
// sound file after the last fragment placed. With an ahead program the voice with fewer
// characters speaks in a worker process, on another core, while the other speaks here;
// a fragment the worker fails to deliver is spoken here in its turn.
class SpeakToFileRun
{
public:
    SpeakToFileRun(SpeakToFileHost& host, PartFileNames names, const SpeakToFileSettings& settings);
    ~SpeakToFileRun();

    // Cuts text into the fragment lists as the file runs do (fragment limit 1000) and
    // returns the speak flags: 9 for marked-up text, else 17.
    static int SplitText(const QString& text, bool xml, const QString& digitLang, FragmentLists& lists);
    // The number of part files a division makes of these fragment texts when the run is not
    // stopped: a part ends after the fragment that takes it above the limit, and no empty
    // part follows the last fragment. An empty text still gives one file.
    static int CountParts(const QStringList& texts, qint64 limit);

    // The whole run. An error ends it with the file stream closed and the voices purged;
    // what was written so far stays on disk, the file being written under its temporary name.
    void Run();

    const QString& SoundFileName() const { return m_soundFileName; }
    int PartNumber() const { return m_partNumber; }

private:
    void OpenSoundFile();
    void SpeakFragments();
    struct Stretch
    {
        qsizetype from = 0;
        qsizetype to = 0;
        bool english = false;  // the voice that speaks ahead
        qint64 aheadChars = 0; // its characters there
    };
    Stretch StretchFrom(const FragmentLists& fragments, qsizetype from, qsizetype n) const;
    void SpeakAhead(const FragmentLists& fragments, qsizetype from, qsizetype n);
    void AnnounceStretches(const FragmentLists& fragments, qsizetype from, qsizetype n);
    bool PlaceHeld(qsizetype i);
    void SpeakFragment(qsizetype i, const QString& lang, const QString& text);
    SpeechVoice& VoiceOf(const QString& lang);
    QString HeldFailure(const VemoError& error) const;
    void ShowSpokenFragment(const FragmentLists& fragments, qsizetype i);
    bool EndPart(bool lastFragment);
    void EndLastFile();
    void FinishSoundFile(const QString& mp3Name);
    void StartPartConversion();
    void WriteSubtitles(const QString& soundFileName);
    void TakeWord(qint64 streamPosition, int position, int length);
    // Takes back the part conversions that have ended (wait: all of them, waiting).
    void TakeConversions(bool wait);
    void TakeConverted(qint32 status, const QString& soundFileName, const QString& mp3Name);
    Mp3Tags TagsOfSoundFile() const;
    void AbandonAfterError();
    bool StopRequested() const;

    SpeakToFileHost& m_host;
    const PartFileNames m_names;
    const SpeakToFileSettings m_settings;
    QString m_soundFileName;
    int m_partNumber = 0;
    qint64 m_partChars = 0;
    qint64 m_streamPosition = 0;
    bool m_fileOpen = false;
    int m_partCount = 1; // the parts the whole text gives
    QString m_languages; // of the spoken fragments, as the language tag writes them
    // The MP3 conversions of finished parts, beside the speaking of the next ones.
    std::unique_ptr<PartConversions> m_conversions;
    // The subtitles of the open file, written as its words come: the text laid out as the
    // fragment offsets place it, where the current fragment starts in it and in the file.
    std::unique_ptr<SubtitleWriter> m_subtitles;
    int m_fragmentOffset = 0;
    double m_fragmentSeconds = 0;
    qint64 m_dataStart = 0; // byte where the open file's audio starts
    // The fragments of one voice spoken ahead, up to the end of the current stretch.
    std::unique_ptr<HeldSpeech> m_held;
    qsizetype m_aheadEnd = 0;
    qsizetype m_announcedTo = 0;    // the stretches before this fragment are announced to the worker
    qsizetype m_lastAnnounced = -1; // the first fragment of the last stretch announced
};
