#pragma once

#include "speech/UtteranceEngine.h"

// Flite's English voices built into Debian's libflite1 (slt, rms, awb, kal16, kal), each
// registered once per process. Flite gives a whole utterance at once, its words' times in
// the Segment relation.
class FliteEngine : public UtteranceEngine
{
public:
    FliteEngine();

    QString Name() const override { return QStringLiteral("flite"); }
    QList<VoiceToken> Voices() const override { return m_tokens; }

protected:
    SynthesisedText Synthesise(const QString& text, const VoiceToken& voice,
                               const SegmentSettings& settings) override;

private:
    QList<VoiceToken> m_tokens;
};
