#pragma once

#include "soundfile/SpeakToFileHost.h"

#include <QString>

class TFormMain;

// The main window as the host of a To File run: its voices, file stream and fragment
// lists, the log pane for the spoken fragment, the caption for the progress and a message
// box for a failed conversion.
class FormToFileHost : public SpeakToFileHost
{
public:
    FormToFileHost(TFormMain& form, QString keptCaption);

    SpeechVoice& VoiceRu() override;
    SpeechVoice& VoiceEng() override;
    SpFileStream& FileStream() override;
    FragmentLists& Fragments() override;
    void SetFragmentIndex(int index) override;
    bool StopToFileRequested() const override;
    void LetMessagesThrough() override;
    void ShowFragment(const QString& logEntry) override;
    void ShowProgress(const QString& captionSuffix) override;
    void ShowConversionError(const QString& message, const QString& wavFileName) override;

private:
    TFormMain& m_form;
    const QString m_keptCaption;
};
