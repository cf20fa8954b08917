#pragma once

#include "soundfile/SpeakToFileHost.h"

#include <QStringList>

class VideoBatch;

// The speaking host of one text file of a folder run: everything goes to the host the run
// was given, and every sound file that is finished (the MP3 when converted, the WAV when not
// converted or stopped; none when its conversion failed) gets its video command. Failed
// conversions are kept for the folder run to report with its book, not shown one by one.
class VideoCommandHost : public SpeakToFileHost
{
public:
    // Each video file named in a command is appended to videoFiles. Without a batch, no
    // command is added (the sound files are still gathered).
    VideoCommandHost(SpeakToFileHost& host, VideoBatch* batch, const QString& textFile,
                     QStringList* videoFiles);

    SpeechVoice& VoiceRu() override { return m_host.VoiceRu(); }
    SpeechVoice& VoiceEng() override { return m_host.VoiceEng(); }
    SpFileStream& FileStream() override { return m_host.FileStream(); }
    FragmentLists& Fragments() override { return m_host.Fragments(); }
    void SetFragmentIndex(int index) override { m_host.SetFragmentIndex(index); }
    bool StopToFileRequested() const override { return m_host.StopToFileRequested(); }
    void LetMessagesThrough() override { m_host.LetMessagesThrough(); }
    void ShowFragment(const QString& logEntry) override { m_host.ShowFragment(logEntry); }
    void ShowProgress(const QString& captionSuffix) override { m_host.ShowProgress(captionSuffix); }
    void ShowConversionError(const QString& message, const QString& wavFileName) override;
    void ShowSpeakingProgress(const QString& soundFileName, qsizetype fragment, qsizetype count) override
    {
        m_host.ShowSpeakingProgress(soundFileName, fragment, count);
    }
    void ShowConversionProgress(const QString& mp3FileName, qint64 done, qint64 total) override
    {
        m_host.ShowConversionProgress(mp3FileName, done, total);
    }
    void ShowRunEnded() override { m_host.ShowRunEnded(); }
    void SoundFileFinished(const QString& fileName) override;

    // The sound files finished and the conversion failures (message and WAV file), in order.
    const QStringList& FinishedFiles() const { return m_finished; }
    const QStringList& ConversionErrors() const { return m_conversionErrors; }

private:
    SpeakToFileHost& m_host;
    VideoBatch* m_batch;
    const QString m_textFile;
    QStringList* m_videoFiles;
    QStringList m_finished;
    QStringList m_conversionErrors;
};
