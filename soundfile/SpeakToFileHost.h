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
};
