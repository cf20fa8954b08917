// On the sound device (run under tools/with-pulse.sh for a null sink): the time from Speak
// to the first sample handed to the device, and the skew between each Word event and the
// playback position of the word's first sample.
#include "speech/EngineVoice.h"
#include "speech/SpeechPlayback.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A voice that lets the benchmark look at its playback clock.
class ProbeVoice : public EngineVoice
{
public:
    using EngineVoice::Playback;
};

void SelectRussian(SpeechVoice& voice)
{
    for (const VoiceToken& token : voice.GetVoices()) {
        if (token.language == u"ru") {
            voice.SetVoice(token);
            return;
        }
    }
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::size_t(p * double(values.size() - 1))];
}

// Speak one sentence on a fresh voice: the first sample's delay in ms and every word's skew.
double SpeakOnce(const QString& text, std::vector<double>& skews)
{
    ProbeVoice voice;
    SelectRussian(voice);
    QObject::connect(&voice, &SpeechVoice::Word, &voice, [&](int, qint64 streamPosition, int, int) {
        skews.push_back(double(voice.Playback().PlayedSamples() - streamPosition / 2) * 1000 / 22050);
    });
    QElapsedTimer timer;
    timer.start();
    voice.Speak(text, SpeakAsyncPlain);
    double first = -1;
    while (!voice.WaitUntilDone(1)) {
        if (first < 0 && voice.Playback().SamplesHandedToDevice() > 0)
            first = timer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
    }
    return first;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString text = QStringLiteral("Утро выдалось тихим и ясным. Над рекой ещё стоял лёгкий туман.");
    std::vector<double> firsts;
    std::vector<double> skews;
    for (int run = 0; run < 5; ++run)
        firsts.push_back(SpeakOnce(text, skews));
    std::printf("Speak to first sample at the device: median %.1f ms, worst %.1f ms (target <= 100 ms)\n",
                Percentile(firsts, 0.5), Percentile(firsts, 1.0));
    std::vector<double> absolute;
    for (double s : skews)
        absolute.push_back(std::abs(s));
    std::printf("Word event after its first sample was heard: %zu words, median %.1f ms, 95th percentile "
                "%.1f ms, worst %.1f ms (target <= 30 ms)\n",
                skews.size(), Percentile(skews, 0.5), Percentile(absolute, 0.95), Percentile(absolute, 1.0));
    if (firsts.front() < 0)
        std::printf("no sound device: the figures are those of the silent clock\n");
    return 0;
}
