#include "speech/TimeStretch.h"

#include <cmath>
#include <numbers>

namespace {

// The offset within ±tolerance of the natural position whose frame best continues what was
// written last (largest cross-correlation with the expected continuation).
qsizetype BestOffset(const std::vector<qint16>& in, qsizetype natural, qsizetype tolerance,
                     const std::vector<double>& expected)
{
    const qsizetype n = qsizetype(expected.size());
    qsizetype best = 0;
    double bestScore = -1e300;
    for (qsizetype d = -tolerance; d <= tolerance; ++d) {
        const qsizetype from = natural + d;
        if (from < 0 || from + n > qsizetype(in.size()))
            continue;
        double score = 0;
        for (qsizetype i = 0; i < n; i += 2)
            score += expected[std::size_t(i)] * in[std::size_t(from + i)];
        if (score > bestScore) {
            bestScore = score;
            best = d;
        }
    }
    return best;
}

} // namespace

std::vector<qint16> TimeStretch(const std::vector<qint16>& samples, int sampleRate, double speed)
{
    if (std::abs(speed - 1.0) < 1e-3 || samples.empty() || speed <= 0)
        return samples;
    const qsizetype frame = qMax(64, sampleRate * 30 / 1000) & ~qsizetype(1);
    const qsizetype hop = frame / 2;
    const qsizetype tolerance = frame / 4;
    std::vector<double> window(static_cast<std::size_t>(frame));
    for (qsizetype i = 0; i < frame; ++i)
        window[std::size_t(i)] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(frame));
    const qsizetype inCount = qsizetype(samples.size());
    const qsizetype outCount = qsizetype(std::llround(double(inCount) / speed));
    std::vector<double> out(std::size_t(outCount + frame), 0.0);
    std::vector<double> expected(std::size_t(hop), 0.0);
    qsizetype previous = 0; // where the last frame was taken from
    for (qsizetype o = 0; o < outCount; o += hop) {
        const qsizetype natural = qsizetype(std::llround(double(o) * speed));
        const qsizetype from = o == 0 ? 0 : natural + BestOffset(samples, natural, tolerance, expected);
        for (qsizetype i = 0; i < frame; ++i) {
            const qsizetype at = from + i;
            if (at >= 0 && at < inCount)
                out[std::size_t(o + i)] += window[std::size_t(i)] * samples[std::size_t(at)];
        }
        // The natural continuation of this frame is what the next one should resemble.
        previous = from;
        for (qsizetype i = 0; i < hop; ++i) {
            const qsizetype at = previous + hop + i;
            expected[std::size_t(i)] = at < inCount ? samples[std::size_t(at)] : 0.0;
        }
    }
    std::vector<qint16> result(static_cast<std::size_t>(outCount));
    for (qsizetype i = 0; i < outCount; ++i)
        result[std::size_t(i)] = qint16(qBound(-32768.0, std::round(out[std::size_t(i)]), 32767.0));
    return result;
}
