#pragma once

#include "soundfile/SpeakToFileHost.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <memory>

struct VoiceArguments;

// The To File run without a window: its own two voices and file stream, progress and
// conversion errors written to standard error, and Ctrl+C (SIGINT) or SIGTERM taken as
// Stop To File.
class ConsoleToFileHost : public SpeakToFileHost
{
public:
    explicit ConsoleToFileHost(SpeechEngineKind engine);
    ~ConsoleToFileHost() override;

    // Chooses the voice, rate and volume of each language; throws VemoError for a voice
    // that does not exist.
    void SetUpVoices(const VoiceArguments& ru, const VoiceArguments& en);

    int ConversionFailures() const { return m_conversionFailures; }

    SpeechVoice& VoiceRu() override { return *m_ru; }
    SpeechVoice& VoiceEng() override { return *m_eng; }
    SpFileStream& FileStream() override { return m_stream; }
    FragmentLists& Fragments() override { return m_fragments; }
    void SetFragmentIndex(int) override {}
    bool StopToFileRequested() const override;
    void LetMessagesThrough() override;
    void ShowFragment(const QString&) override {}
    void ShowProgress(const QString& captionSuffix) override;
    void ShowConversionError(const QString& message, const QString& wavFileName) override;

private:
    std::unique_ptr<SpeechVoice> m_ru;
    std::unique_ptr<SpeechVoice> m_eng;
    SpFileStream m_stream;
    FragmentLists m_fragments;
    int m_conversionFailures = 0;
};
