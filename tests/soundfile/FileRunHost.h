#pragma once

#include "ProbeVoice.h"
#include "soundfile/SpeakToFileHost.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <QCoreApplication>
#include <QMap>

// A host for the file runs on the test engine that records what the run shows: the file
// each fragment went into, the log entries, the caption texts, the conversion errors.
class FileRunHost : public SpeakToFileHost
{
public:
    FileRunHost()
        : ru(CreateVoice(SpeechEngineKind::Test), QStringLiteral("R")),
          eng(CreateVoice(SpeechEngineKind::Test), QStringLiteral("E"))
    {
        ru.log = &spoken;
        eng.log = &spoken;
    }

    ProbeVoice ru;
    ProbeVoice eng;
    SpFileStream stream;
    FragmentLists lists;
    bool stop = false;
    QList<ProbeVoice::Spoken> spoken;
    QMap<int, QString> fileOfFragment;
    QStringList logEntries, captions, conversionErrors, finished;

    void setFragments(const QStringList& texts, const QString& lang = QStringLiteral("E"))
    {
        lists.Clear();
        for (const QString& text : texts) {
            lists.FragmentOffsets.append(QString::number(lists.Count()));
            lists.FragmentTexts.append(text);
            lists.FragmentLangs.append(lang);
        }
    }

    SpeechVoice& VoiceRu() override { return ru; }
    SpeechVoice& VoiceEng() override { return eng; }
    SpFileStream& FileStream() override { return stream; }
    FragmentLists& Fragments() override { return lists; }
    void SetFragmentIndex(int index) override
    {
        fileOfFragment.insert(index, stream.IsOpen() ? stream.FileName() : QString());
    }
    bool StopToFileRequested() const override { return stop; }
    void LetMessagesThrough() override { QCoreApplication::processEvents(); }
    void ShowFragment(const QString& logEntry) override { logEntries.append(logEntry); }
    void ShowProgress(const QString& captionSuffix) override { captions.append(captionSuffix); }
    void ShowConversionError(const QString& message, const QString& wav) override
    {
        conversionErrors.append(message + wav);
    }
    void SoundFileFinished(const QString& fileName) override { finished.append(fileName); }
    void ShowSpeakingProgress(const QString& soundFileName, qsizetype fragment, qsizetype count) override
    {
        speakingProgress.append(QStringLiteral("%1 %2/%3").arg(soundFileName).arg(fragment).arg(count));
    }
    void ShowConversionProgress(const QString& mp3FileName, qint64 done, qint64 total) override
    {
        conversionDone[mp3FileName] = done == total;
    }

    QStringList speakingProgress;       // "file fragment/count"
    QMap<QString, bool> conversionDone; // by MP3 file: the last progress said all done
};
