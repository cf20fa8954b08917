// Feeds arbitrary bytes as a WAV file to ConvertWavToMp3: whatever the header claims
// (sizes, channel counts) the conversion must end, stay in bounds and report errors
// as VemoError only.
#include "files/VemoError.h"
#include "soundfile/FillEncoderConfig.h"
#include "soundfile/MP3export.h"

#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

// 8000 Hz, CBR 8 kbps, fastest quality: the cheapest encoder setting.
EncoderConfig FastConfig()
{
    Mp3Choices choices;
    choices.sampleRateItem = 0;
    choices.modeItem = 0;
    choices.bitrateItem = 0;
    choices.qualityItem = 9;
    return FillEncoderConfig(choices).config;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const EncoderConfig config = FastConfig();
    static const QString wavName = QDir::tempPath() + QStringLiteral("/fuzz_wav_%1.wav").arg(getpid());
    {
        QFile wav(wavName);
        if (!wav.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            wav.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
            return 0;
        }
    }
    try {
        ConvertWavToMp3(wavName, QStringLiteral("/dev/null"), config, [] {});
    } catch (const VemoError&) {
        // a header shorter than 44 bytes
    }
    return 0;
}
