#include "speech/FestivalEngine.h"

#include "files/VemoError.h"
#include "speech/SegmentSettings.h"

#include <QDir>
#include <QFileInfo>

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

// The interpreter of the process, started once; false when it could not be.
bool StartFestival()
{
    static const bool started = [] {
        festival_initialize(1, HeapCells);
        return true;
    }();
    return started;
}

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
    const QString engine = name();
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

SynthesisedText FestivalEngine::synthesise(const QString& text, const VoiceToken& voice,
                                           const SegmentSettings& settings)
{
    static QString currentVoice;
    StartFestival();
    const QString directory = voice.id.section(u'/', 1);
    if (currentVoice != directory) {
        if (!Eval(QStringLiteral("(voice_%1)").arg(directory)))
            throw VemoError(QStringLiteral("Festival не смог загрузить голос «%1».").arg(voice.description));
        currentVoice = directory;
    }
    Eval(QStringLiteral("(Parameter.set 'Duration_Stretch %1)")
             .arg(1.0 / RateFactor(settings.rate), 0, 'f', 3));
    const QByteArray utf8 = text.toUtf8();
    // The text reaches the interpreter as a string value, never as Scheme source.
    siod_set_lval("vemo_text", strcons(utf8.size(), utf8.constData()));
    if (!Eval(QStringLiteral("(set! vemo_utt (utt.synth (eval (list 'Utterance 'Text vemo_text))))")))
        throw VemoError(
            QStringLiteral("Festival не смог произнести текст голосом «%1».").arg(voice.description));
    EST_Utterance* utt = utterance(siod_get_lval("vemo_utt", nullptr));
    EST_Relation* waves = utt ? utt->relation("Wave", 0) : nullptr;
    EST_Wave* wav = waves && waves->head() ? wave(waves->head()->f("wave")) : nullptr;
    if (!wav || wav->num_channels() < 1)
        throw VemoError(QStringLiteral("Festival не выдал звука голосом «%1».").arg(voice.description));

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
    return synth;
}
