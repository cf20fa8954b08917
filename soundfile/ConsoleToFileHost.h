#pragma once

#include "soundfile/ConsoleProgress.h"
#include "soundfile/SpeakToFileHost.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <QStringList>
#include <memory>

struct VoiceArguments;

// The To File run without a window: its own two voices and file stream, progress (speaking
// and converting) and conversion errors written to standard error, and Ctrl+C (SIGINT) or
// SIGTERM taken as Stop To File.
class ConsoleToFileHost : public SpeakToFileHost
{
public:
    explicit ConsoleToFileHost(SpeechEngineKind engine);
    ~ConsoleToFileHost() override;

    // Chooses the voice, rate and volume of each language; throws VemoError for a voice
    // that does not exist.
    void SetUpVoices(const VoiceArguments& ru, const VoiceArguments& en);

    int ConversionFailures() const { return m_conversionFailures; }
    // The sound files the run completed, in order (a stopped run's last WAV included).
    const QStringList& FinishedFiles() const { return m_finished; }
    void SoundFileFinished(const QString& fileName) override { m_finished.append(fileName); }
    ConsoleProgress& Progress() { return m_progress; }

    SpeechVoice& VoiceRu() override { return *m_ru; }
    SpeechVoice& VoiceEng() override { return *m_eng; }
    SpFileStream& FileStream() override { return m_stream; }
    FragmentLists& Fragments() override { return m_fragments; }
    void SetFragmentIndex(int) override {}
    bool StopToFileRequested() const override;
    void LetMessagesThrough() override;
    void ShowFragment(const QString&) override {}
    void ShowProgress(const QString&) override {}
    void ShowConversionError(const QString& message, const QString& wavFileName) override;
    void ShowSpeakingProgress(const QString& soundFileName, qsizetype fragment, qsizetype count) override;
    void ShowConversionProgress(const QString& mp3FileName, qint64 done, qint64 total) override;
    void ShowRunEnded() override { m_progress.Finish(); }
    void SetQuiet(bool quiet) override { m_progress.SetQuiet(quiet); }

private:
    std::unique_ptr<SpeechVoice> m_ru;
    std::unique_ptr<SpeechVoice> m_eng;
    SpFileStream m_stream;
    FragmentLists m_fragments;
    ConsoleProgress m_progress;
    int m_conversionFailures = 0;
    QStringList m_finished;
};
