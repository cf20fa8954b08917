#include "main/FormMain.h"

#include "files/UnitFindFilesSL.h"
#include "files/VemoError.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FileRunSession.h"
#include "main/PictureDictionary.h"
#include "main/PictureView.h"
#include "main/RichTextBox.h"
#include "speech/DefaultVoice.h"
#include "speech/DispatcherService.h"
#include "speech/filestream/SpFileStream.h"
#include "text/LineBreaks.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <algorithm>

namespace {

const QString MainCaption = QStringLiteral("Вемо - синтезатор двуязычной речи. ");
const QString NameFormFile = QStringLiteral("NameForm.txt");
// A caption file held by another program is waited for a few seconds, not half a minute.
constexpr int NameFormAttempts = 3;
// How long the start waits for the speech service when the settings name a voice not listed.
constexpr int AwaitedVoiceWaitMs = 50;

void ToggleGroup(QWidget* group, QAction* item, const QString& caption, const QString& on, const QString& off)
{
    group->setHidden(!group->isHidden());
    item->setText(caption + (group->isHidden() ? off : on));
}

} // namespace

TFormMain::TFormMain(SpeechEngineKind engine, QWidget* parent)
    : QMainWindow(parent), SpVoiceRu(CreateVoice(engine, this)), SpVoiceEng(CreateVoice(engine, this)),
      m_view(*this), m_settings(*this)
{
    SetupUi(this);
    SpVoiceRu->setObjectName(QStringLiteral("SpVoiceRu"));
    SpVoiceEng->setObjectName(QStringLiteral("SpVoiceEng"));
    m_reading = std::make_unique<ReadingRun>(
        *SpVoiceRu, *SpVoiceEng, m_view, [this](const std::function<void()>& tick) { Guarded(this, tick); },
        this);
    ConnectControls();
    m_documents = new DocumentCommands(*this);
    ConnectVoice(*SpVoiceRu, false);
    ConnectVoice(*SpVoiceEng, true);
    FormCreate();
}

TFormMain::~TFormMain()
{
    FormDestroy();
    m_reading->Hold();
    SpVoiceRu->disconnect(this);
    SpVoiceEng->disconnect(this);
}

void TFormMain::ConnectControls()
{
    connect(ButtonStart, &QPushButton::clicked, this, &TFormMain::ButtonStartClick);
    connect(ControlTTSSpeechSynthesis, &QAction::triggered, this, &TFormMain::ButtonStartClick);
    connect(BPause, &QPushButton::clicked, this, &TFormMain::BPauseClick);
    connect(ControlTTSSpeechSynthesisPause, &QAction::triggered, this, &TFormMain::BPauseClick);
    connect(ButtonStop, &QPushButton::clicked, this, &TFormMain::ButtonStopClick);
    connect(ControlTTSSpeechSynthesisResume, &QAction::triggered, this, &TFormMain::ButtonStopClick);
    connect(BStopToFile, &QPushButton::clicked, this, [this] { m_stopToFileRequested = true; });
    connect(ControlTTSSpeechSynthesisStopToFile, &QAction::triggered, this,
            [this] { m_stopToFileRequested = true; });
    connect(cbVoicesRu, &QComboBox::currentIndexChanged, this, &TFormMain::cbVoicesRuChange);
    connect(cbVoicesEng, &QComboBox::currentIndexChanged, this, &TFormMain::cbVoicesEngChange);
    connect(CBoxPlainText, &QCheckBox::toggled, this, &TFormMain::CBoxPlainTextClick);
    connect(CheckBoxVariants, &QCheckBox::toggled, this, &TFormMain::CheckBoxVariantsClick);
    connect(ViewControl, &QAction::triggered, this, &TFormMain::ViewControlClick);
    connect(ViewLog, &QAction::triggered, this, &TFormMain::ViewLogClick);
    connect(ViewImg, &QAction::triggered, this, &TFormMain::ViewImgClick);
}

void TFormMain::ConnectVoice(SpeechVoice& voice, bool english)
{
    connect(&voice, &SpeechVoice::EndStream, this,
            english ? &TFormMain::SpVoiceEngEndStream : &TFormMain::SpVoiceRuEndStream);
    connect(&voice, &SpeechVoice::Word, this,
            english ? &TFormMain::SpVoiceEngWord : &TFormMain::SpVoiceRuWord);
    connect(&voice, &SpeechVoice::Sentence, this,
            english ? &TFormMain::SpVoiceEngSentence : &TFormMain::SpVoiceRuSentence);
    connect(&voice, &SpeechVoice::AudioLevel, this,
            english ? &TFormMain::SpVoiceEngAudioLevel : &TFormMain::SpVoiceRuAudioLevel);
    connect(&voice, &SpeechVoice::DeviceMessage, this, [this](const QString& text) { AppendLog(text); });
    connect(&voice, &SpeechVoice::VoicesChanged, this, [this, english] {
        Guarded(this,
                [this, english] { TakeLateVoices(english ? QStringLiteral("E") : QStringLiteral("R")); });
    });
}

// The start-up steps in order; the first that fails is shown and ends the start-up, and
// the window opens all the same.
void TFormMain::FormCreate()
{
    Guarded(this, [this] {
        FillVoiceList(QStringLiteral("R"));
        FillVoiceList(QStringLiteral("E"));
        TakeRatesAndVolumes();
        UpdateCaption();
        CBoxPlainText->setChecked(MText->PlainTextMode());
        m_settings.Load();
        SetViewLogCaption();
        LoadNameForm();
    });
}

void TFormMain::FillVoiceList(const QString& lang)
{
    VoiceFor(lang).SetEventInterests(AllEventInterests);
    // The speech service's voices come in later, without holding the window's start.
    VoiceFor(lang).WaitForVoices(0);
    ListVoices(lang);
    const QList<VoiceToken>& tokens = VoiceTokens(lang);
    if (!tokens.isEmpty())
        SetVoiceIndex(
            lang, int(qMax<qsizetype>(0, DefaultVoiceIndex(tokens, lang == u"E" ? QStringLiteral("en")
                                                                                : QStringLiteral("ru")))));
}

// The list of lang holds the voice's voices in the engines' order; espeak-ng's variants only
// while CheckBoxVariants is ticked.
void TFormMain::ListVoices(const QString& lang)
{
    QList<VoiceToken>& tokens = VoiceTokens(lang);
    tokens.clear();
    const bool variants = CheckBoxVariants->isChecked();
    for (const VoiceToken& token : VoiceFor(lang).GetVoices()) {
        if (variants || !token.variant)
            tokens.append(token);
    }
    QComboBox* list = VoiceList(lang);
    const QSignalBlocker blocker(list);
    list->clear();
    for (const VoiceToken& token : tokens)
        list->addItem(token.description);
}

// Both lists are filled again; each keeps its voice, and a variant that leaves the list
// gives way to the voice it varies.
void TFormMain::CheckBoxVariantsClick()
{
    Guarded(this, [this] {
        for (const QString& lang : {QStringLiteral("R"), QStringLiteral("E")})
            RelistVoices(lang);
    });
}

void TFormMain::RelistVoices(const QString& lang)
{
    const VoiceToken chosen = SelectedVoice(lang);
    ListVoices(lang);
    if (chosen.IsNull())
        return;
    const QList<VoiceToken>& tokens = VoiceTokens(lang);
    qsizetype found = tokens.indexOf(chosen);
    if (found < 0)
        found = tokens.indexOf(VoiceToken{chosen.id.section(u'+', 0, 0), {}, {}});
    if (found >= 0)
        SetVoiceIndex(lang, int(found));
}

// The speech service has listed its voices: the list of lang gains them, keeping its voice,
// unless the settings named one of them, which is chosen now.
void TFormMain::TakeLateVoices(const QString& lang)
{
    const QList<VoiceToken> voices = VoiceFor(lang).GetVoices();
    if (std::any_of(voices.cbegin(), voices.cend(), [](const VoiceToken& token) { return token.aloudOnly; }))
        RelistVoices(lang);
    const QString awaited = m_awaitedVoiceIds.take(lang);
    if (!awaited.isEmpty())
        SetVoiceId(lang, awaited);
}

void TFormMain::TakeRatesAndVolumes()
{
    TBRateRu->setValue(SpVoiceRu->Rate());
    TBVolumeRu->setValue(SpVoiceRu->Volume());
    TBRateEng->setValue(SpVoiceEng->Rate());
    TBVolumeEng->setValue(SpVoiceEng->Volume());
}

void TFormMain::GiveRatesAndVolumes()
{
    SpVoiceRu->SetRate(TBRateRu->value());
    SpVoiceRu->SetVolume(TBVolumeRu->value());
    SpVoiceEng->SetRate(TBRateEng->value());
    SpVoiceEng->SetVolume(TBVolumeEng->value());
}

void TFormMain::LoadNameForm()
{
    if (!QFileInfo(NameFormFile).isFile())
        return;
    const QString name =
        ReplaceAll(StrLoadFromFile(NameFormFile, NameFormAttempts), QStringLiteral("\r\n"), QString());
    GroupBoxControl->setTitle(name + QStringLiteral(" - ") + GroupBoxControl->title());
}

void TFormMain::FormDestroy()
{
    Guarded(this, [this] { m_settings.Save(); });
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    Guarded(this, [&] { mayClose = !m_documents || m_documents->MayDiscardText(); });
    if (mayClose)
        QMainWindow::closeEvent(event);
    else
        event->ignore();
}

void TFormMain::UpdateCaption()
{
    ShowFileInCaption(m_currentFileName);
}

void TFormMain::ShowFileInCaption(const QString& fileName)
{
    setWindowTitle(MainCaption + fileName);
}

void TFormMain::AppendLog(const QString& line)
{
    MLog->appendPlainText(line);
}

ToFileControls TFormMain::ControlsOfToFile() const
{
    return {ButtonButtonToFile, ControlTTSSpeechSynthesisToFile};
}

FolderRunControls TFormMain::ControlsOfFolderRun() const
{
    return {ButtonDirToSound, ChkBoxAutoStart, TimerDirToSoundAndAvi};
}

TextToolsControls TFormMain::ControlsOfTextTools() const
{
    return {BProsTxt, SButtonGetText, MText};
}

::SpFileStream& TFormMain::FileStream()
{
    if (!m_fileStream)
        m_fileStream = std::make_unique<::SpFileStream>();
    return *m_fileStream;
}

QComboBox* TFormMain::VoiceList(const QString& lang) const
{
    return lang == u"E" ? cbVoicesEng : cbVoicesRu;
}

QList<VoiceToken>& TFormMain::VoiceTokens(const QString& lang)
{
    return lang == u"E" ? VoiceTokensEng : VoiceTokensRu;
}

SpeechVoice& TFormMain::VoiceFor(const QString& lang)
{
    return lang == u"E" ? *SpVoiceEng : *SpVoiceRu;
}

void TFormMain::SetVoiceIndex(const QString& lang, int index)
{
    QComboBox* list = VoiceList(lang);
    const QSignalBlocker blocker(list);
    if (index < 0 || index >= list->count()) {
        list->setCurrentIndex(-1);
        throw VemoError(QStringLiteral("the index %1 selects no voice (the list holds %2)")
                            .arg(index)
                            .arg(list->count()));
    }
    list->setCurrentIndex(index);
    ApplyVoice(lang);
}

bool TFormMain::SetVoiceId(const QString& lang, const QString& id)
{
    const auto listed = [this, &lang, &id] {
        const QList<VoiceToken> voices = VoiceFor(lang).GetVoices();
        const qsizetype at = voices.indexOf(VoiceToken{id, {}, {}});
        return at < 0 ? VoiceToken() : voices.at(at);
    };
    VoiceToken wanted = listed();
    // A daemon that answers at once has its voices listed before the window shows.
    if (wanted.IsNull() && VoiceFor(lang).WaitForVoices(AwaitedVoiceWaitMs))
        wanted = listed();
    if (wanted.IsNull() && !VoiceFor(lang).WaitForVoices(0)) {
        m_awaitedVoiceIds.insert(lang, id); // the speech service has not answered yet
        return false;
    }
    const QList<VoiceToken> voices = VoiceFor(lang).GetVoices();
    if (wanted.IsNull() && DispatcherService::IsServiceVoiceId(id) &&
        std::none_of(voices.cbegin(), voices.cend(),
                     [](const VoiceToken& token) { return token.aloudOnly; })) {
        // No speech-dispatcher runs: its voice is chosen when one starts, and kept meanwhile.
        m_awaitedVoiceIds.insert(lang, id);
        MLog->appendPlainText(
            QStringLiteral("Голос «%1» ждёт speech-dispatcher: пока выбран голос по номеру в списке.")
                .arg(id));
        return false;
    }
    if (wanted.IsNull()) {
        MLog->appendPlainText(
            QStringLiteral("Голос «%1» больше не установлен: выбран голос по номеру в списке.").arg(id));
        return false;
    }
    if (wanted.variant)
        CheckBoxVariants->setChecked(true); // both lists gain the variants, keeping their voices
    if (!VoiceTokens(lang).contains(wanted))
        RelistVoices(lang); // listed since the list was filled
    SetVoiceIndex(lang, int(VoiceTokens(lang).indexOf(wanted)));
    return true;
}

const QList<VoiceToken>& TFormMain::ListedVoices(const QString& lang) const
{
    return lang == u"E" ? VoiceTokensEng : VoiceTokensRu;
}

VoiceToken TFormMain::SelectedVoice(const QString& lang) const
{
    const int index = VoiceList(lang)->currentIndex();
    const QList<VoiceToken>& tokens = ListedVoices(lang);
    return index >= 0 && index < tokens.size() ? tokens.at(index) : VoiceToken();
}

QString TFormMain::KeptVoiceId(const QString& lang) const
{
    const QString awaited = m_awaitedVoiceIds.value(lang);
    return awaited.isEmpty() ? SelectedVoice(lang).id : awaited;
}

// The selected entry's voice speaks from now on, also in the middle of a reading run.
void TFormMain::ApplyVoice(const QString& lang)
{
    const int index = VoiceList(lang)->currentIndex();
    const QList<VoiceToken>& tokens = VoiceTokens(lang);
    if (index < 0 || index >= tokens.size())
        throw VemoError(lang == u"E"
                            ? QStringLiteral("No English voice is selected: the voice stays as it was.")
                            : QStringLiteral("No Russian voice is selected: the voice stays as it was."));
    VoiceFor(lang).SetVoice(tokens.at(index));
}

// The user's choice wins over a voice of the settings still waited for.
void TFormMain::cbVoicesRuChange()
{
    m_awaitedVoiceIds.remove(QStringLiteral("R"));
    Guarded(this, [this] { ApplyVoice(QStringLiteral("R")); });
}

void TFormMain::cbVoicesEngChange()
{
    m_awaitedVoiceIds.remove(QStringLiteral("E"));
    Guarded(this, [this] { ApplyVoice(QStringLiteral("E")); });
}

void TFormMain::CBoxPlainTextClick()
{
    MText->SetPlainTextMode(CBoxPlainText->isChecked());
}

void TFormMain::ViewControlClick()
{
    ToggleGroup(GroupBoxControl, ViewControl, QStringLiteral("&Управление  "), QStringLiteral("ВКЛ.- ON"),
                QStringLiteral("ОТКЛ. - OFF"));
}

void TFormMain::ViewLogClick()
{
    GroupBoxLog->setHidden(!GroupBoxLog->isHidden());
    SetViewLogCaption();
}

void TFormMain::SetViewLogCaption()
{
    ViewLog->setText(GroupBoxLog->isHidden() ? QStringLiteral("&Протокол - Log ОТКЛ. - OFF")
                                             : QStringLiteral("&Протокол - Log ВКЛ.- ON"));
}

void TFormMain::ViewImgClick()
{
    ToggleGroup(GroupBoxImg, ViewImg, QStringLiteral("&Изображения "), QStringLiteral("ВКЛ.- ON"),
                QStringLiteral("ОТКЛ. - OFF"));
}

void TFormMain::ShowDictionaryPicture(const QString& word)
{
    try {
        if (const std::optional<QImage> picture = PictureDictionary::PictureFor(m_currentFileName, word))
            ImageV->SetPicture(*picture);
    } catch (const VemoError& e) {
        // A broken picture file must not stop the reading with a message box: the previous
        // picture stays and the log says why.
        MLog->appendPlainText(e.Message());
    }
}

void TFormMain::SetPauseEnabled(bool enabled)
{
    BPause->setEnabled(enabled);
    ControlTTSSpeechSynthesisPause->setEnabled(enabled);
}

void TFormMain::ButtonStartClick()
{
    if (m_fileRunActive)
        return;
    Guarded(this, [this] { StartOrResume(); });
}

void TFormMain::StartOrResume()
{
    ReadingRun& run = *m_reading;
    if (run.IsPaused()) {
        run.ResumeReading();
        SetPauseEnabled(true);
        return;
    }
    MText->setFocus();
    // A reading under way ends before the new one takes MText's text (its sentence is taken
    // out of bold where it stands).
    if (run.IsSpeaking())
        run.BreakOff();
    std::unique_ptr<ReadingSource> source = m_view.BeginReading();
    GiveRatesAndVolumes();
    MText->setReadOnly(true);
    run.StartReading(std::move(source));
    MText->setFocus();
}

void TFormMain::BPauseClick()
{
    if (m_fileRunActive)
        return;
    Guarded(this, [this] {
        ReadingRun& run = *m_reading;
        if (!run.IsSpeaking() || run.IsPaused())
            return;
        run.PauseReading();
        SetPauseEnabled(false);
    });
}

void TFormMain::ButtonStopClick()
{
    if (m_fileRunActive)
        return;
    Guarded(this, [this] {
        ReadingRun& run = *m_reading;
        if (!run.IsSpeaking())
            return;
        if (run.IsPaused()) {
            run.ResumeReading();
            SetPauseEnabled(true);
        }
        run.StopReading();
        MText->setReadOnly(false);
    });
}

void TFormMain::BreakOffReading()
{
    ReadingRun& run = *m_reading;
    if (run.IsSpeaking() && run.IsPaused())
        SetPauseEnabled(true);
    run.BreakOff();
}

FileRunSession TFormMain::BeginFileRun(FileRunKind kind)
{
    return FileRunSession(*this, kind);
}

void TFormMain::SpVoiceRuEndStream()
{
    Guarded(this, [this] { m_reading->EndStream(); });
}

void TFormMain::SpVoiceEngEndStream()
{
    Guarded(this, [this] { m_reading->EndStream(); });
}

void TFormMain::SpVoiceRuWord(int, qint64, int characterPosition, int length)
{
    Guarded(this, [&] { m_reading->Word(QStringLiteral("R"), characterPosition, length); });
}

void TFormMain::SpVoiceEngWord(int, qint64, int characterPosition, int length)
{
    Guarded(this, [&] { m_reading->Word(QStringLiteral("E"), characterPosition, length); });
}

void TFormMain::SpVoiceRuSentence(int, qint64, int characterPosition, int length)
{
    Guarded(this, [&] { m_reading->Sentence(characterPosition, length); });
}

void TFormMain::SpVoiceEngSentence(int, qint64, int characterPosition, int length)
{
    Guarded(this, [&] { m_reading->Sentence(characterPosition, length); });
}

void TFormMain::SpVoiceRuAudioLevel(int, qint64, int audioLevel)
{
    Guarded(this, [&] { m_reading->AudioLevel(QStringLiteral("R"), audioLevel); });
}

void TFormMain::SpVoiceEngAudioLevel(int, qint64, int audioLevel)
{
    Guarded(this, [&] { m_reading->AudioLevel(QStringLiteral("E"), audioLevel); });
}
