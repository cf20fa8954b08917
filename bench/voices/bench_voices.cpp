// Each engine's voices on the bench text: speed in times real time (seconds of audio per
// second of synthesis, speaking the fragments of the voice's language into a WAV file) and
// Read -> first sound (Speak of the first fragment to its first sample handed to the sound
// device; run under tools/with-pulse.sh for a null sink), on first use in the process and
// then warm (median of five). A speech-dispatcher voice (an id "speech-dispatcher/...",
// of the daemon that SPEECHD_ADDRESS names) speaks aloud only: its figure is Speak to its
// first word's index mark, which the daemon reports as that word's sound is played.
#include "../speech/BenchText.h"
#include "speech/EngineVoice.h"
#include "speech/SpeechPlayback.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "text/Segmentation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
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

// The bench text's first paragraphs: a few thousand characters of Russian, English and
// Russian with English words.
QString BenchParagraphs()
{
    const QString all = PeerBenchmarkText();
    const QStringList paragraphs = all.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    return paragraphs.mid(0, 6).join(QStringLiteral("\n\n"));
}

bool Select(SpeechVoice& voice, const QString& id)
{
    for (const VoiceToken& token : voice.GetVoices()) {
        if (token.id == id) {
            voice.SetVoice(token);
            return true;
        }
    }
    return false;
}

// Seconds of audio per second of synthesis over the fragments, spoken into a 22 kHz file.
double Speed(SpeechVoice& voice, const QStringList& fragments, const QString& path, double& audioSeconds,
             double& synthesisSeconds)
{
    SpFileStream stream;
    stream.SetFormatType(SAFT22kHz16BitMono);
    stream.Open(path);
    voice.SetAudioOutputStream(&stream);
    QElapsedTimer timer;
    timer.start();
    for (const QString& fragment : fragments) {
        voice.Speak(fragment, SpeakAsyncPlain);
        voice.WaitUntilDone(-1);
    }
    synthesisSeconds = timer.nsecsElapsed() / 1e9;
    voice.SetAudioOutputStream(nullptr);
    audioSeconds = double(stream.Seek(0, 2)) / 2 / 22050;
    stream.Close();
    return audioSeconds / synthesisSeconds;
}

// Milliseconds from Speak to the first sample handed to the sound device.
double FirstSound(ProbeVoice& voice, const QString& fragment)
{
    QElapsedTimer timer;
    timer.start();
    voice.Speak(fragment, SpeakAsyncPlain);
    double first = -1;
    while (first < 0 && !voice.WaitUntilDone(1)) {
        if (voice.Playback().SamplesHandedToDevice() > 0)
            first = timer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
    }
    voice.Speak(QString(), SpeakPurge);
    voice.WaitUntilDone(2000);
    return first;
}

// Milliseconds from Speak to the first word event of a speech-dispatcher voice.
double FirstWord(SpeechVoice& voice, const QString& fragment)
{
    bool heard = false;
    const QMetaObject::Connection word =
        QObject::connect(&voice, &SpeechVoice::Word, [&heard](int, qint64, int, int) { heard = true; });
    QElapsedTimer timer;
    timer.start();
    voice.Speak(fragment, SpeakAsyncPlain);
    while (!heard && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double first = heard ? timer.nsecsElapsed() / 1e6 : -1;
    QObject::disconnect(word);
    voice.Speak(QString(), SpeakPurge);
    voice.WaitUntilDone(2000);
    return first;
}

void BenchServiceVoice(const QString& id, const QStringList& russian, const QStringList& english)
{
    const std::unique_ptr<SpeechVoice> voice = CreateVoice(SpeechEngineKind::Espeak);
    voice->WaitForVoices(60000);
    if (!Select(*voice, id)) {
        std::printf("%-34s not offered by speech-dispatcher\n", qPrintable(id));
        return;
    }
    const QStringList& fragments = voice->Voice().language.startsWith(u"ru") ? russian : english;
    const double first = FirstWord(*voice, fragments.constFirst());
    std::vector<double> warm;
    for (int i = 0; i < 5; ++i)
        warm.push_back(FirstWord(*voice, fragments.constFirst()));
    std::sort(warm.begin(), warm.end());
    std::printf("%-34s %8s %8s %8s %10.0f %10.0f  (aloud only: to the first word's mark)\n", qPrintable(id),
                "-", "-", "-", first, warm[2]);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString text = BenchParagraphs();
    if (text.isEmpty()) {
        std::fprintf(stderr,
                     "bench_voices: the bench text (../shared/bench/peer-pipeline.sh) cannot be read\n");
        return 1;
    }
    QTemporaryDir dir;
    FragmentLists lists;
    SplitPlainText(text, FragmentLimit, QStringLiteral("R"), lists, QString());
    QStringList russian;
    QStringList english;
    for (qsizetype k = 0; k < lists.Count(); ++k)
        (lists.FragmentLangs.at(k) == u"E" ? english : russian) << lists.FragmentTexts.at(k);
    std::printf("bench text: %lld characters, %lld Russian and %lld English fragments\n",
                qlonglong(text.size()), qlonglong(russian.size()), qlonglong(english.size()));
    std::printf("%-34s %8s %8s %8s %10s %10s\n", "voice", "audio s", "synth s", "x real", "first ms",
                "warm ms");
    const QStringList voices = argc > 1 ? app.arguments().mid(1)
                                        : QStringList{"zle/ru",
                                                      "gmw/en",
                                                      "flite/slt",
                                                      "flite/kal",
                                                      "festival/msu_ru_nsh_clunits",
                                                      "festival/kal_diphone",
                                                      "festival/cmu_us_slt_arctic_hts",
                                                      "speech-dispatcher/espeak-ng/Russian",
                                                      "speech-dispatcher/espeak-ng/English (America)"};
    for (const QString& id : voices) {
        if (id.startsWith(QLatin1String("speech-dispatcher/"))) {
            BenchServiceVoice(id, russian, english);
            continue;
        }
        ProbeVoice voice;
        if (!Select(voice, id)) {
            std::printf("%-34s not installed\n", qPrintable(id));
            continue;
        }
        const QStringList& fragments = voice.Voice().language.startsWith(u"ru") ? russian : english;
        const double first = FirstSound(voice, fragments.constFirst());
        std::vector<double> warm;
        for (int i = 0; i < 5; ++i)
            warm.push_back(FirstSound(voice, fragments.constFirst()));
        std::sort(warm.begin(), warm.end());
        double audio = 0;
        double synthesis = 0;
        const double speed =
            Speed(voice, fragments, dir.filePath(QStringLiteral("speed.wav")), audio, synthesis);
        std::printf("%-34s %8.1f %8.2f %8.1f %10.0f %10.0f\n", qPrintable(id), audio, synthesis, speed, first,
                    warm[2]);
    }
    return 0;
}
