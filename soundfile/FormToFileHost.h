#pragma once

#include "soundfile/SpeakToFileHost.h"

#include <QElapsedTimer>
#include <QString>
#include <optional>

class FileRunSession;

// The main window as the host of a To File run, through the run's session: the window's
// voices, file stream and fragment lists, the log pane for the spoken fragment, the caption
// for the progress and a message box for a failed conversion. The pane and the caption show the latest
// fragment at most every ShowIntervalMs: redrawing the window after every fragment took longer than speaking
// a short one. The caption naming a conversion and the last fragment of a run are shown at once.
class FormToFileHost : public SpeakToFileHost
{
public:
    explicit FormToFileHost(FileRunSession& session);

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
    void ShowRunEnded() override;

    static constexpr int ShowIntervalMs = 250;

private:
    void ShowIfDue(bool now);

    FileRunSession& m_session;
    QElapsedTimer m_shown;             // since the pane and the caption were last brought up to date
    std::optional<QString> m_fragment; // waiting to be shown
    std::optional<QString> m_caption;
};
