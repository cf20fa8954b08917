#include "speech/UtteranceEngine.h"

#include "files/VemoError.h"
#include "speech/JobOutput.h"
#include "speech/SegmentSettings.h"
#include "speech/TokenAlignment.h"
#include "speech/filestream/StreamResampler.h"
#include "text/Segmentation.h"

#include <cmath>
#include <exception>

namespace {

constexpr int SilenceLevel = 300;
// Kept before the first sound and after the last, so that no onset or fade is clipped.
constexpr qsizetype Margin = EngineSampleRate / 100;
constexpr qsizetype Chunk = EngineSampleRate / 10;

std::vector<qint16> ToEngineRate(const SynthesisedText& synth)
{
    std::vector<qint16> out;
    if (synth.sampleRate == EngineSampleRate)
        return synth.samples;
    StreamResampler resampler(synth.sampleRate, EngineSampleRate);
    out.reserve(synth.samples.size() * EngineSampleRate / std::size_t(qMax(1, synth.sampleRate)) + 64);
    resampler.Process(synth.samples.data(), qsizetype(synth.samples.size()), out);
    resampler.Drain(out);
    return out;
}

void Scale(std::vector<qint16>& samples, int volume)
{
    if (volume == 100)
        return;
    for (qint16& s : samples)
        s = qint16(qBound(-32768, int(std::lround(s * (volume / 100.0))), 32767));
}

qsizetype FirstSound(const std::vector<qint16>& samples)
{
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (qAbs(int(samples[i])) >= SilenceLevel)
            return qsizetype(i);
    }
    return qsizetype(samples.size());
}

qsizetype AfterLastSound(const std::vector<qint16>& samples)
{
    for (qsizetype i = qsizetype(samples.size()) - 1; i >= 0; --i) {
        if (qAbs(int(samples[std::size_t(i)])) >= SilenceLevel)
            return i + 1;
    }
    return 0;
}

} // namespace

QString EngineText(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t code = c.unicode();
        if (code == u'\t' || code == u'\n' || code == u'\r')
            continue;
        if (code < 0x20 || (code >= 0x7F && code < 0xA0))
            c = u' ';
    }
    return out;
}

void UtteranceEngine::Speak(const SpeechJob& job)
{
    JobOutput output(job);
    if (!output.Begin())
        return;
    try {
        const QList<SapiSegment>& segments = job.spoken.Segments();
        qsizetype lastText = -1;
        for (qsizetype k = 0; k < segments.size(); ++k) {
            if (segments.at(k).kind == SapiSegment::Kind::Text)
                lastText = k;
        }
        bool going = true;
        for (qsizetype k = 0; k < segments.size() && going && !output.IsPurged(); ++k) {
            const SapiSegment& segment = segments.at(k);
            if (segment.kind == SapiSegment::Kind::Silence) {
                going = output.HandOnSilence(segment.silenceMs);
                continue;
            }
            const SegmentSettings settings = SegmentSettings::Of(segment, job.rate, job.volume);
            const bool endPause = k == lastText && EndsWithPausingMark(job.spoken.Text());
            const int offset = job.spoken.SegmentOffset(k);
            if (!settings.spell) {
                going = SpeakText(output, segment.text, offset, job.voice, settings, endPause);
                continue;
            }
            for (qsizetype i = 0; i < segment.text.size() && going; ++i) {
                if (!IsSeparator(segment.text.at(i)))
                    going = SpeakText(output, segment.text.mid(i, 1), offset + int(i), job.voice, settings,
                                      false);
            }
        }
    } catch (const VemoError& error) {
        output.Fail(error.Message());
    } catch (const std::exception& error) {
        output.Fail(QString::fromLocal8Bit(error.what()));
    }
    output.Finish();
}

bool UtteranceEngine::SpeakText(JobOutput& output, const QString& text, int spokenOffset,
                                const VoiceToken& voice, const SegmentSettings& settings, bool endPause)
{
    if (text.trimmed().isEmpty())
        return true;
    const QString spoken = EngineText(text);
    const SynthesisedText synth = Synthesise(spoken, voice, settings);
    if (output.IsPurged())
        return false;
    std::vector<qint16> samples = ToEngineRate(synth);
    Scale(samples, settings.volume);
    const qsizetype from = qMax<qsizetype>(0, FirstSound(samples) - Margin);
    const qsizetype to = endPause ? qsizetype(samples.size())
                                  : qMin(qsizetype(samples.size()), AfterLastSound(samples) + Margin);

    // Word events by the token they start, at the sample of its first word.
    const QList<int> positions = AlignTokens(spoken, synth.tokenNames);
    QList<SpeechEvent> events;
    const qint64 base = output.Written();
    for (qsizetype t = 0; t < positions.size(); ++t) {
        if (positions.at(t) < 0 || t >= synth.tokenStarts.size() || synth.tokenStarts.at(t) < 0)
            continue;
        const qint64 at =
            qBound<qint64>(from, qint64(std::llround(synth.tokenStarts.at(t) * EngineSampleRate)), to);
        events += output.WordEvents(spokenOffset + positions.at(t), base + at - from);
    }
    for (qsizetype i = from; i < to; i += Chunk) {
        const qsizetype n = qMin(Chunk, to - i);
        const qint64 chunkEnd = base + (i - from) + n;
        QList<SpeechEvent> due;
        while (!events.isEmpty() && (events.first().sample < chunkEnd || i + n >= to))
            due.append(events.takeFirst());
        if (!output.HandOn(samples.data() + i, n, due))
            return false;
    }
    return true;
}
