#pragma once

#include <QString>

class SpFileStream;
class SpeechVoice;
struct FragmentLists;

// What a run that speaks fragments into sound files needs from whoever starts it (the main
// window, the command line, the folder conversion): the voices, the file stream, the
// fragment lists, the stop request, and where its progress and messages go.
class SpeakToFileHost
{
public:
    virtual ~SpeakToFileHost() = default;

    virtual SpeechVoice& VoiceRu() = 0;
    virtual SpeechVoice& VoiceEng() = 0;
    virtual SpFileStream& FileStream() = 0;
    virtual FragmentLists& Fragments() = 0;
    virtual void SetFragmentIndex(int index) = 0;

    // Set by Stop To File; the run tests it between fragments and parts and while it waits.
    virtual bool StopToFileRequested() const = 0;
    // Lets queued window messages (and with them a Stop To File click) run.
    virtual void LetMessagesThrough() = 0;

    // The spoken fragment, as the log pane shows it: tag, CR LF, text, CR LF.
    virtual void ShowFragment(const QString& logEntry) = 0;
    // What the caption adds to its kept text: " фрагмент i из n" or " Конвертация a в b".
    virtual void ShowProgress(const QString& captionSuffix) = 0;
    // The WAV file could not be converted (it stays as it is); the run goes on.
    virtual void ShowConversionError(const QString& message, const QString& wavFileName) = 0;
    // A sound file is complete under its final name (the MP3 file when converted).
    virtual void SoundFileFinished(const QString& fileName) { (void)fileName; }

    // Progress for a console, which shows no caption: fragment (from 1) of count of the
    // text spoken, the current one into soundFileName; bytes done of total of the WAV file
    // being converted into mp3FileName. The run's end, also by an error, ends the progress.
    virtual void ShowSpeakingProgress(const QString& soundFileName, qsizetype fragment, qsizetype count)
    {
        (void)soundFileName, (void)fragment, (void)count;
    }
    virtual void ShowConversionProgress(const QString& mp3FileName, qint64 done, qint64 total)
    {
        (void)mp3FileName, (void)done, (void)total;
    }
    virtual void ShowRunEnded() {}
    // The command line's --quiet: nothing but errors is reported.
    virtual void SetQuiet(bool quiet) { (void)quiet; }
};
