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

// The controls that the commands outside the window answer, each command its own: To File,
// the folder run and the text tools. The window lays them out; the command connects them.
struct ToFileControls
{
    QPushButton* ButtonButtonToFile;
    QAction* ControlTTSSpeechSynthesisToFile;
};

struct FolderRunControls
{
    QPushButton* ButtonDirToSound;
    QCheckBox* ChkBoxAutoStart;
    QTimer* TimerDirToSoundAndAvi;
};

// The text tools also work on the text box: the text-processing window takes a copy of its
// text and gives it back.
struct TextToolsControls
{
    QPushButton* BProsTxt;
    QToolButton* SButtonGetText;
    RichTextBox* MText;
};

// The main window: the text box, the two voices and the file stream, the voice lists and
// the reading run. The run, the settings and the pictures are objects of their own; the
// window connects its controls to them, each handler through the error guard. Its controls
// and state are its own: its parts in main/ (the reading view, the settings, the document
// commands, the file-run session) reach them as friends, everyone else through the few
// calls below. Tests find the controls, and the voices (children named SpVoiceRu and
// SpVoiceEng), by their names, as a screen reader or UI automation does.
class TFormMain : public QMainWindow, private FormMainUi
{
    Q_OBJECT

public:
    explicit TFormMain(SpeechEngineKind engine = DefaultSpeechEngine(), QWidget* parent = nullptr);
    ~TFormMain() override;

    // The File menu, font, colour and Help commands.
    DocumentCommands& Documents() { return *m_documents; }
    // Full name of the file the text came from or was saved to; empty for an untitled text.
    const QString& CurrentFileName() const { return m_currentFileName; }
    // The reading run's state: speaking, paused, the fragment being spoken.
    const ReadingRun& Reading() const { return *m_reading; }

    // A run into files, from its button's click to its end (see FileRunSession).
    FileRunSession BeginFileRun(FileRunKind kind);
    // True while a file-run session has the window: Read, Pause and Stop then do nothing,
    // since the run owns the voices, the file stream and the fragment lists.
    bool FileRunActive() const { return m_fileRunActive; }

    // What Stop does: a reading run under way ends. The File commands and the text tools
    // run it before they touch the text.
    void ButtonStopClick();
    // A line added to the log pane.
    void AppendLog(const QString& line);

    ToFileControls ControlsOfToFile() const;
    FolderRunControls ControlsOfFolderRun() const;
    TextToolsControls ControlsOfTextTools() const;

protected:
    // Asks whether to save a changed text first; Cancel, a cancelled or failed save keep the
    // window open with its text.
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's own parts, made by it and living as long as it does.
    friend class DocumentCommands;
    friend class FileRunSession;
    friend class MainReadingView;
    friend class MainSettings;

    void UpdateCaption();
    // The program's name and fileName in the title bar (a folder run names its book there).
    void ShowFileInCaption(const QString& fileName);

    // Selects entry index of the voice list of lang ("R" or "E") and applies its voice;
    // throws VemoError, leaving the list without a selection, when no entry has the index.
    void SetVoiceIndex(const QString& lang, int index);
    // Selects the voice of that id in the list of lang (ticking CheckBoxVariants for a
    // variant) and applies it; false, with a line in the log, when no voice has the id.
    bool SetVoiceId(const QString& lang, const QString& id);
    // The voice of the list's selected entry; a null token when none is selected.
    VoiceToken SelectedVoice(const QString& lang) const;
    const QList<VoiceToken>& ListedVoices(const QString& lang) const;
    // The id the settings keep for lang: the selected voice's, or the one still waited for
    // while the speech service lists its voices.
    QString KeptVoiceId(const QString& lang) const;

    // Shows the dictionary picture of an English word, if there is one.
    void ShowDictionaryPicture(const QString& word);
    // The file stream the voices speak into, created on first use.
    ::SpFileStream& FileStream();

    void ButtonStartClick();

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

    std::unique_ptr<SpeechVoice> SpVoiceRu;
    std::unique_ptr<SpeechVoice> SpVoiceEng;
    // The voice lists' tokens, entry for entry, held until the window closes.
    QList<VoiceToken> VoiceTokensRu;
    QList<VoiceToken> VoiceTokensEng;
    DocumentCommands* m_documents = nullptr;
    QString m_currentFileName;
    // By lang: a voice id of the settings that the speech service may still list.
    QHash<QString, QString> m_awaitedVoiceIds;
    bool m_stopToFileRequested = false;
    bool m_fileRunActive = false;
    std::unique_ptr<::SpFileStream> m_fileStream;
    MainReadingView m_view;
    MainSettings m_settings;
    std::unique_ptr<ReadingRun> m_reading;
};
