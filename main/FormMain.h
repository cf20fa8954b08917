#pragma once

#include "main/FormMainUi.h"
#include "main/MainReadingView.h"
#include "main/MainSettings.h"
#include "main/ReadingRun.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <memory>

class DocumentCommands;
class FileRunSession;
class SpFileStream;
enum class FileRunKind;

// The main window: the text box, the two voices and the file stream, the voice lists and
// the reading run. The run, the settings and the pictures are objects of their own; the
// window connects its controls to them, each handler through the error guard.
class TFormMain : public QMainWindow, public FormMainUi
{
    Q_OBJECT

public:
    explicit TFormMain(SpeechEngineKind engine = DefaultSpeechEngine(), QWidget* parent = nullptr);
    ~TFormMain() override;

    std::unique_ptr<SpeechVoice> SpVoiceRu;
    std::unique_ptr<SpeechVoice> SpVoiceEng;
    // The voice lists' tokens, entry for entry, held until the window closes.
    QList<VoiceToken> VoiceTokensRu;
    QList<VoiceToken> VoiceTokensEng;

    // The File menu, font, colour and Help commands.
    DocumentCommands* Documents = nullptr;

    // Full name of the file the text came from or was saved to; empty for an untitled text.
    QString CurrentFileName;
    // Set by Stop To File, cleared by a file-run session; the runs that speak into files
    // test it while they wait.
    bool StopToFileRequested() const { return m_stopToFileRequested; }
    // True while a file-run session has the window: Read, Pause and Stop then do nothing,
    // since the run owns the voices, the file stream and the fragment lists.
    bool FileRunActive() const { return m_fileRunActive; }

    // The reading run: its state, its timer and the fragment lists the file runs share.
    ReadingRun& Reading() { return *m_reading; }

    // The file stream the voices speak into, created on first use.
    ::SpFileStream& FileStream();

    // Puts text into MText as plain text and names its file in the caption.
    void OpenPlainText(const QString& text, const QString& fileName);
    void UpdateCaption();
    // The program's name and fileName in the title bar (a folder run names its book there).
    void ShowFileInCaption(const QString& fileName);

    // The window for a run into files, from its button's click to its end (see FileRunSession).
    FileRunSession BeginFileRun(FileRunKind kind);

    // Selects entry index of the voice list of lang ("R" or "E") and applies its voice;
    // throws VemoError, leaving the list without a selection, when no entry has the index.
    void SetVoiceIndex(const QString& lang, int index);
    // Selects the voice of that id in the list of lang (ticking CheckBoxVariants for a
    // variant) and applies it; false, with a line in the log, when no voice has the id.
    bool SetVoiceId(const QString& lang, const QString& id);
    // The voice of the list's selected entry; a null token when none is selected.
    VoiceToken SelectedVoice(const QString& lang) const;
    // The id the settings keep for lang: the selected voice's, or the one still waited for
    // while the speech service lists its voices.
    QString KeptVoiceId(const QString& lang) const;

    // Shows the dictionary picture of an English word, if there is one.
    void ShowDictionaryPicture(const QString& word);

    void ButtonStartClick();
    void ButtonStopClick();

protected:
    // Asks whether to save a changed text first; Cancel, a cancelled or failed save keep the
    // window open with its text.
    void closeEvent(QCloseEvent* event) override;

private:
    // The session enters and leaves file-run mode through the window's insides.
    friend class FileRunSession;

    // What the runs into files do first: a paused run is resumed (Pause enabled again),
    // a run under way is stopped and its fragment lists emptied.
    void BreakOffReading();

    void BPauseClick();
    void cbVoicesRuChange();
    void cbVoicesEngChange();
    void CBoxPlainTextClick();
    void CheckBoxVariantsClick();
    void ViewControlClick();
    void ViewLogClick();
    void ViewImgClick();

    void SpVoiceRuEndStream();
    void SpVoiceEngEndStream();
    void SpVoiceRuWord(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void SpVoiceEngWord(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void SpVoiceRuSentence(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void SpVoiceEngSentence(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void SpVoiceRuAudioLevel(int streamNumber, qint64 streamPosition, int audioLevel);
    void SpVoiceEngAudioLevel(int streamNumber, qint64 streamPosition, int audioLevel);

    void ConnectControls();
    void ConnectVoice(SpeechVoice& voice, bool english);
    void FormCreate();
    void FillVoiceList(const QString& lang);
    void ListVoices(const QString& lang);
    void RelistVoices(const QString& lang);
    void TakeLateVoices(const QString& lang);
    void TakeRatesAndVolumes();
    void GiveRatesAndVolumes();
    void LoadNameForm();
    void FormDestroy();
    void StartOrResume();
    void SetPauseEnabled(bool enabled);
    void ApplyVoice(const QString& lang);
    void SetViewLogCaption();
    QComboBox* VoiceList(const QString& lang) const;
    QList<VoiceToken>& VoiceTokens(const QString& lang);
    SpeechVoice& VoiceFor(const QString& lang);

    // By lang: a voice id of the settings that the speech service may still list.
    QHash<QString, QString> m_awaitedVoiceIds;
    bool m_stopToFileRequested = false;
    bool m_fileRunActive = false;
    std::unique_ptr<::SpFileStream> m_fileStream;
    MainReadingView m_view;
    MainSettings m_settings;
    std::unique_ptr<ReadingRun> m_reading;
};
