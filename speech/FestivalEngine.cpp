#include "speech/FestivalEngine.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/SegmentSettings.h"
#include "speech/TimeStretch.h"

#include <QDir>
#include <QFileInfo>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

// Festival's headers bring their own short macro names; they come after Qt's.
#include <EST_wave_aux.h>
#include <festival.h>
#include <siod_est.h>

namespace {

// Scheme cells: enough for the large Russian unit-selection voice and long fragments
// (with the interpreter's default the voice cannot even load), small enough to start fast.
constexpr int HeapCells = 1500000;

struct KnownVoice
{
    const char* directory;
    const char* name;
};

const KnownVoice KnownVoices[] = {
    {"msu_ru_nsh_clunits", "NSh, Russian male"},
    {"kal_diphone", "KAL, American male"},
    {"cmu_us_slt_arctic_hts", "SLT, American female"},
};

QString LanguageOf(const QString& folder)
{
    if (folder == u"russian")
        return QStringLiteral("ru");
    if (folder == u"english" || folder == u"us")
        return QStringLiteral("en-us");
    if (folder == u"british")
        return QStringLiteral("en-gb");
    return folder;
}

QString NameOf(const QString& directory)
{
    for (const KnownVoice& known : KnownVoices) {
        if (directory == QLatin1String(known.directory))
            return QString::fromLatin1(known.name);
    }
    return directory;
}

// The thread that owns the interpreter: Festival's garbage collector scans the stack of the
// thread that started it, so every call must come from that one thread for the rest of the
// process, while engine threads come and go with the voices. Never stopped; its state is
// never destroyed, so the process can end while it waits.
class FestivalThread
{
public:
    static FestivalThread& Instance()
    {
        static FestivalThread* thread = new FestivalThread;
        return *thread;
    }

    // Runs task there and waits for it; its exception is thrown here.
    void Run(std::function<void()> task)
    {
        std::packaged_task<void()> packaged(std::move(task));
        std::future<void> done = packaged.get_future();
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(packaged));
        }
        m_changed.notify_one();
        done.get();
    }

private:
    FestivalThread()
    {
        std::thread([this] {
            festival_initialize(1, HeapCells);
            for (;;) {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_tasks.empty(); });
                std::packaged_task<void()> task = std::move(m_tasks.front());
                m_tasks.pop_front();
                lock.unlock();
                task();
            }
        }).detach();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::packaged_task<void()>> m_tasks;
};

bool Eval(const QString& expression)
{
    return festival_eval_command(EST_String(expression.toUtf8().constData()));
}

} // namespace

FestivalEngine::FestivalEngine()
{
    // Debian keeps the voices with the shared Scheme files, not in the library folder.
    const QStringList roots{QDir(QString::fromLocal8Bit(festival_libdir)).filePath(QStringLiteral("voices")),
                            QStringLiteral("/usr/share/festival/voices")};
    const QString engine = Name();
    for (const QString& root : roots) {
        for (const QFileInfo& language :
             QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QDir folder(language.filePath());
            for (const QFileInfo& voice :
                 folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
                // A voice's own folder holds its Scheme definitions in festvox/.
                const QString id = QStringLiteral("festival/") + voice.fileName();
                if (!QFileInfo(QDir(voice.filePath()).filePath(QStringLiteral("festvox"))).isDir() ||
                    m_tokens.contains(VoiceToken{id, {}, {}}))
                    continue;
                const QString code = LanguageOf(language.fileName());
                m_tokens.append({id, VoiceDescription(NameOf(voice.fileName()), code, engine), code, engine});
            }
        }
    }
}

SynthesisedText FestivalEngine::Synthesise(const QString& text, const VoiceToken& voice,
                                           const SegmentSettings& settings)
{
    SynthesisedText synth;
    FestivalThread::Instance().Run([&] { synth = SynthesiseHere(text, voice, settings); });
    return synth;
}

SynthesisedText FestivalEngine::SynthesiseHere(const QString& text, const VoiceToken& voice,
                                               const SegmentSettings& settings)
{
    static QString currentVoice;
    const QString directory = voice.id.section(u'/', 1);
    if (currentVoice != directory) {
        if (!Eval(QStringLiteral("(voice_%1)").arg(directory)))
            throw VemoError(
                Say("Festival could not load voice \"%1\".", "Festival не смог загрузить голос «%1».")
                    .arg(voice.description));
        currentVoice = directory;
    }
    // Only the diphone voices follow Duration_Stretch; unit-selection and HTS voices keep
    // their own timing, so their speed is changed afterwards, keeping the pitch.
    const double speed = RateFactor(settings.rate);
    const bool stretchAfter = !directory.endsWith(QLatin1String("_diphone"));
    Eval(QStringLiteral("(Parameter.set 'Duration_Stretch %1)")
             .arg(stretchAfter ? 1.0 : 1.0 / speed, 0, 'f', 3));
    const QByteArray utf8 = text.toUtf8();
    // The text reaches the interpreter as a string value, never as Scheme source.
    siod_set_lval("vemo_text", strcons(utf8.size(), utf8.constData()));
    if (!Eval(QStringLiteral("(set! vemo_utt (utt.synth (eval (list 'Utterance 'Text vemo_text))))")))
        throw VemoError(Say("Festival could not speak the text with voice \"%1\".",
                            "Festival не смог произнести текст голосом «%1».")
                            .arg(voice.description));
    EST_Utterance* utt = utterance(siod_get_lval("vemo_utt", nullptr));
    EST_Relation* waves = utt ? utt->relation("Wave", 0) : nullptr;
    EST_Wave* wav = waves && waves->head() ? wave(waves->head()->f("wave")) : nullptr;
    if (!wav || wav->num_channels() < 1)
        throw VemoError(
            Say("Festival gave no sound with voice \"%1\".", "Festival не выдал звука голосом «%1».")
                .arg(voice.description));

    SynthesisedText synth;
    synth.sampleRate = wav->sample_rate();
    synth.samples.resize(std::size_t(wav->num_samples()));
    for (int i = 0; i < wav->num_samples(); ++i)
        synth.samples[std::size_t(i)] = wav->a_no_check(i, 0);
    EST_Relation* tokens = utt->relation("Token", 0);
    for (EST_Item* t = tokens ? tokens->head() : nullptr; t; t = inext(t)) {
        synth.tokenNames.append(QString::fromUtf8(t->name().str()));
        // A token's first word starts where the segment before its first segment ends.
        EST_Item* word = daughter1(as(t, "Token"));
        const bool spoken =
            word && as(word, "SylStructure") && daughter1(daughter1(as(word, "SylStructure")));
        synth.tokenStarts.append(
            spoken ? double(ffeature(word, "R:SylStructure.daughter1.daughter1.R:Segment.p.end").Float())
                   : -1.0);
    }
    siod_set_lval("vemo_utt", NIL);
    if (stretchAfter && speed != 1.0) {
        synth.samples = TimeStretch(synth.samples, synth.sampleRate, speed);
        for (double& start : synth.tokenStarts)
            start = start < 0 ? start : start / speed;
    }
    return synth;
}
