#include "speech/FliteEngine.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/SegmentSettings.h"

#include <flite.h>
#include <map>
#include <memory>

extern "C" {
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
cst_voice* register_cmu_us_kal16(const char* voxdir);
cst_voice* register_cmu_us_kal(const char* voxdir);
}

namespace {

struct FliteVoiceInfo
{
    const char* id;
    const char* name;
    cst_voice* (*registerVoice)(const char*);
};

const FliteVoiceInfo FliteVoices[] = {
    {"flite/slt", "SLT, American female", register_cmu_us_slt},
    {"flite/rms", "RMS, American male", register_cmu_us_rms},
    {"flite/awb", "AWB, Scottish male", register_cmu_us_awb},
    {"flite/kal16", "KAL, American male", register_cmu_us_kal16},
    {"flite/kal", "KAL, American male, 8 kHz", register_cmu_us_kal},
};

// Flite keeps its voices in process-wide tables: they are registered once and kept.
const std::map<QString, cst_voice*>& RegisteredVoices()
{
    static const std::map<QString, cst_voice*> voices = [] {
        std::map<QString, cst_voice*> registered;
        flite_init();
        for (const FliteVoiceInfo& info : FliteVoices) {
            if (cst_voice* voice = info.registerVoice(nullptr))
                registered.emplace(QString::fromLatin1(info.id), voice);
        }
        return registered;
    }();
    return voices;
}

struct UtteranceDeleter
{
    void operator()(cst_utterance* u) const { delete_utterance(u); }
};

} // namespace

FliteEngine::FliteEngine()
{
    const auto& registered = RegisteredVoices();
    const QString engine = Name();
    const QString language = QStringLiteral("en-us");
    for (const FliteVoiceInfo& info : FliteVoices) {
        const QString id = QString::fromLatin1(info.id);
        if (registered.count(id))
            m_tokens.append(
                {id, VoiceDescription(QString::fromLatin1(info.name), language, engine), language, engine});
    }
}

SynthesisedText FliteEngine::Synthesise(const QString& text, const VoiceToken& voice,
                                        const SegmentSettings& settings)
{
    const auto& registered = RegisteredVoices();
    const auto found = registered.find(voice.id);
    if (found == registered.end())
        throw VemoError(
            Say("Flite voice \"%1\" was not found.", "Голос Flite «%1» не найден.").arg(voice.id));
    cst_voice* v = found->second;
    feat_set_float(v->features, "duration_stretch", float(1.0 / RateFactor(settings.rate)));
    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<cst_utterance, UtteranceDeleter> utt(flite_synth_text(utf8.constData(), v));
    const cst_wave* wave = utt ? utt_wave(utt.get()) : nullptr;
    if (!wave)
        throw VemoError(Say("Flite could not speak the text with voice \"%1\".",
                            "Flite не смог произнести текст голосом «%1».")
                            .arg(voice.description));

    SynthesisedText synth;
    synth.sampleRate = wave->sample_rate;
    synth.samples.assign(wave->samples, wave->samples + wave->num_samples); // Flite speaks mono
    // Each token's first word starts where the segment before its first segment ends.
    std::map<const cst_item*, qsizetype> tokenIndex;
    for (const cst_item* t = relation_head(utt_relation(utt.get(), "Token")); t; t = item_next(t)) {
        tokenIndex.emplace(t, synth.tokenNames.size());
        synth.tokenNames.append(QString::fromUtf8(item_feat_string(t, "name")));
        synth.tokenStarts.append(-1);
    }
    for (const cst_item* w = relation_head(utt_relation(utt.get(), "Word")); w; w = item_next(w)) {
        const auto token = tokenIndex.find(item_parent(item_as(w, "Token")));
        if (token == tokenIndex.end() || synth.tokenStarts.at(token->second) >= 0)
            continue;
        synth.tokenStarts[token->second] =
            qMax(0.0f, ffeature_float(w, "R:SylStructure.daughter1.daughter1.R:Segment.p.end"));
    }
    return synth;
}
