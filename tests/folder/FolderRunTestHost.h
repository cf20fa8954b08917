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
#include <memory>

// Both hosts of a folder run in one, on the test engine: texts are read as the command line
// reads them (some made to fail), and the beeps are recorded.
class FolderRunTestHost : public SpeakToFileHost, public FolderRunHost
{
public:
    FolderRunTestHost() : ru(CreateVoice(SpeechEngineKind::Test)), eng(CreateVoice(SpeechEngineKind::Test)) {}

    std::unique_ptr<SpeechVoice> ru;
    std::unique_ptr<SpeechVoice> eng;
    SpFileStream stream;
    FragmentLists lists;
    QStringList unreadable; // file names whose reading fails
    QList<int> beeps;
    QStringList logLines;

    SpeechVoice& VoiceRu() override { return *ru; }
    SpeechVoice& VoiceEng() override { return *eng; }
    SpFileStream& FileStream() override { return stream; }
    FragmentLists& Fragments() override { return lists; }
    void SetFragmentIndex(int) override {}
    bool StopToFileRequested() const override { return false; }
    void LetMessagesThrough() override { QCoreApplication::processEvents(); }
    void ShowFragment(const QString&) override {}
    void ShowProgress(const QString&) override {}
    void ShowConversionError(const QString&, const QString&) override {}

    void ShowTextFile(const QString&, int, int) override {}
    QString LoadText(const QString& textFile) override
    {
        if (unreadable.contains(QFileInfo(textFile).fileName()))
            throw VemoError("Cannot read " + textFile);
        return ConsoleFolderHost::ReadText(textFile, &bookTitle);
    }
    QString BookTitle() const override { return bookTitle; }
    QString bookTitle;
    void Log(const QString& line) override { logLines.append(line); }
    void Beep(int times) override { beeps.append(times); }
};
