#pragma once

#include "files/VemoError.h"
#include "folder/ConsoleFolderHost.h"
#include "folder/FolderRunHost.h"
#include "soundfile/SpeakToFileHost.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <functional>
#include <memory>

// Both hosts of a folder run in one, on the engine given: texts are read as the command
// line reads them, and everything the run shows, logs and beeps is recorded.
class FolderRunTestHost : public SpeakToFileHost, public FolderRunHost
{
public:
    explicit FolderRunTestHost(SpeechEngineKind engine = SpeechEngineKind::Test)
        : ru(CreateVoice(engine)), eng(CreateVoice(engine))
    {}

    std::unique_ptr<SpeechVoice> ru;
    std::unique_ptr<SpeechVoice> eng;
    SpFileStream stream;
    FragmentLists lists;
    bool stop = false;
    int fileNumber = 0;
    QStringList unreadable;           // file names whose reading fails
    std::function<void()> onMessages; // run whenever the run lets messages through
    QStringList shownFiles, logLines, conversionErrors, finished;
    QList<int> beeps;

    SpeechVoice& VoiceRu() override { return *ru; }
    SpeechVoice& VoiceEng() override { return *eng; }
    SpFileStream& FileStream() override { return stream; }
    FragmentLists& Fragments() override { return lists; }
    void SetFragmentIndex(int) override {}
    bool StopToFileRequested() const override { return stop; }
    void LetMessagesThrough() override
    {
        QCoreApplication::processEvents();
        if (onMessages)
            onMessages();
    }
    void ShowFragment(const QString&) override {}
    void ShowProgress(const QString&) override {}
    void ShowConversionError(const QString& message, const QString& wav) override
    {
        conversionErrors.append(message + wav);
    }
    void SoundFileFinished(const QString& fileName) override
    {
        finished.append(QFileInfo(fileName).fileName());
    }

    void ShowTextFile(const QString& textFile, int number, int) override
    {
        fileNumber = number;
        shownFiles.append(QFileInfo(textFile).fileName());
    }
    QString LoadText(const QString& textFile) override
    {
        if (unreadable.contains(QFileInfo(textFile).fileName()))
            throw VemoError("Cannot read " + textFile);
        return ConsoleFolderHost().LoadText(textFile);
    }
    void Log(const QString& line) override { logLines.append(line); }
    void Beep(int times) override { beeps.append(times); }
};
