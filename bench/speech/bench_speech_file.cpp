// Speaks the peer benchmark's ~50,000-character text with the Russian voice into a 22050 Hz
// 16-bit mono WAV through the voice layer, then has the espeak-ng program do the same
// (espeak-ng -v ru -f text.txt -w out.wav), and prints both wall times and their ratio.
#include "BenchText.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double AudioSeconds(const QString& wav)
{
    return double(QFileInfo(wav).size() - 44) / (2 * 22050);
}

double ThroughVoiceLayer(const QString& text, const QString& wav)
{
    auto voice = CreateVoice(SpeechEngineKind::Espeak);
    for (const VoiceToken& token : voice->GetVoices()) {
        if (token.language == u"ru") {
            voice->SetVoice(token);
            break;
        }
    }
    SpFileStream stream;
    stream.SetFormatType(SAFT22kHz16BitMono);
    QElapsedTimer timer;
    timer.start();
    stream.Open(wav);
    voice->SetAudioOutputStream(&stream);
    voice->Speak(text, SpeakAsyncPlain);
    voice->WaitUntilDone(-1);
    stream.Close();
    return timer.nsecsElapsed() / 1e9;
}

double ThroughProgram(const QString& textFile, const QString& wav)
{
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "ru", "-f", textFile, "-w", wav});
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString text = PeerBenchmarkText();
    QTemporaryDir dir;
    const QString textFile = dir.filePath(QStringLiteral("text.txt"));
    QFile file(textFile);
    if (text.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot build the benchmark text\n");
        return 1;
    }
    file.close();
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 1;
    std::printf("text: %lld characters, %d run(s)\n", qlonglong(text.size()), runs);
    for (int run = 1; run <= runs; ++run) {
        const QString ours = dir.filePath(QStringLiteral("voice.wav"));
        const QString theirs = dir.filePath(QStringLiteral("program.wav"));
        const double layer = ThroughVoiceLayer(text, ours);
        const double program = ThroughProgram(textFile, theirs);
        std::printf(
            "run %d: voice layer %.2f s (%.1f s of audio), espeak-ng program %.2f s (%.1f s of audio), "
            "ratio %.3f (target <= 1.05)\n",
            run, layer, AudioSeconds(ours), program, AudioSeconds(theirs), layer / program);
    }
    return 0;
}
