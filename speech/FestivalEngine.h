#pragma once

#include "speech/UtteranceEngine.h"

// Festival's voices installed under its voices folder (voices/<language>/<voice>/): the
// Russian msu_ru_nsh_clunits, the English kal_diphone and cmu_us_slt_arctic_hts, and any
// other. Festival is one Scheme interpreter per process, bound to the thread that started
// it: it runs on a thread of its own, started on the first Speak with one of its voices
// (starting it and loading a voice take a second or more, so the voice lists never wait
// for it), for the rest of the process. Word times come from the utterance's Token, Word
// and Segment relations.
class FestivalEngine : public UtteranceEngine
{
public:
    FestivalEngine();

    QString Name() const override { return QStringLiteral("festival"); }
    QList<VoiceToken> Voices() const override { return m_tokens; }

protected:
    SynthesisedText Synthesise(const QString& text, const VoiceToken& voice,
                               const SegmentSettings& settings) override;

private:
    // On Festival's own thread.
    static SynthesisedText SynthesiseHere(const QString& text, const VoiceToken& voice,
                                          const SegmentSettings& settings);

    QList<VoiceToken> m_tokens;
};
