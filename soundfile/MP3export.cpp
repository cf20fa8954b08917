#include "soundfile/MP3export.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/LameEnc.h"
#include "soundfile/Mp3PieceConversion.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QThreadPool>
#include <QtEndian>
#include <bit>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr qint64 HeaderSize = 44;
constexpr quint64 ChunksBetweenMessages = 64;

// Closes the encoder stream on every way out.
class StreamCloser
{
public:
    explicit StreamCloser(HBE_STREAM stream) : m_stream(stream) {}
    ~StreamCloser() { Close(); }
    StreamCloser(const StreamCloser&) = delete;
    StreamCloser& operator=(const StreamCloser&) = delete;
    void Close()
    {
        if (m_open) {
            m_open = false;
            beCloseStream(m_stream);
        }
    }

private:
    HBE_STREAM m_stream;
    bool m_open = true;
};

// Reads until n bytes arrived or the file ended; -1 on a read error.
qint64 readFully(QFile& file, char* buffer, qint64 n)
{
    qint64 total = 0;
    while (total < n) {
        const qint64 got = file.read(buffer + total, n - total);
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

QString readError(const QString& wavName)
{
    return Say("Error reading from file ", "Ошибка чтения из файла ") + wavName;
}

struct WavHeader
{
    quint32 count;    // bytes to encode: the RIFF size, unsigned, so a WAV over 2 GB keeps its length
    quint16 channels; // 1 mono, anything else stereo
};

WavHeader readHeader(QFile& wav, const QString& wavName)
{
    uchar header[HeaderSize];
    if (readFully(wav, reinterpret_cast<char*>(header), HeaderSize) != HeaderSize) {
        throw VemoError(readError(wavName));
    }
    return {qFromLittleEndian<quint32>(header + 4), qFromLittleEndian<quint16>(header + 22)};
}

// True when mp3Name names the open WAV file itself (also through a link): creating it
// anew would truncate the sound being converted.
bool isSameFile(const QFile& wav, const QString& mp3Name)
{
    struct stat wavStat
    {
    };
    struct stat mp3Stat
    {
    };
    if (fstat(wav.handle(), &wavStat) != 0 || stat(QFile::encodeName(mp3Name).constData(), &mp3Stat) != 0) {
        return false;
    }
    return wavStat.st_dev == mp3Stat.st_dev && wavStat.st_ino == mp3Stat.st_ino;
}

// The samples decide mono or stereo; two channels keep joint stereo when it was chosen.
std::int32_t modeFor(quint16 channels, const EncoderConfig& config)
{
    if (channels == 1)
        return EncoderConfig::ModeMono;
    return config.Int32(EncoderConfig::nMode) == EncoderConfig::ModeJointStereo
               ? EncoderConfig::ModeJointStereo
               : EncoderConfig::ModeStereo;
}

class Conversion
{
public:
    Conversion(QFile& wav, QFile& mp3, HBE_STREAM stream, std::uint32_t samples, std::uint32_t bufferSize)
        : m_wav(wav), m_mp3(mp3), m_stream(stream), m_input(samples), m_output(bufferSize)
    {}
    void EncodeData(qint64 count, const Mp3Progress& progress);
    void Flush(StreamCloser& closer);

private:
    qint64 ReadChunk(qint64 n, bool last);
    void EncodeChunk(qint64 bytes);
    void Write(std::uint32_t bytes);
    void WriteInfoFrame();

    QFile& m_wav;
    QFile& m_mp3;
    HBE_STREAM m_stream;
    std::vector<short> m_input;
    std::vector<unsigned char> m_output;
};

// Reads up to n bytes into the input buffer and returns how many bytes the chunk holds.
// The last chunk is cleared first and keeps its designed length, the part past the end of
// the file being silence. A full chunk cut short by the end of the file is encoded as far
// as it was read; either way a short read ends the data.
qint64 Conversion::ReadChunk(qint64 n, bool last)
{
    char* bytes = reinterpret_cast<char*>(m_input.data());
    if (last) {
        std::memset(bytes, 0, m_input.size() * sizeof(short));
    }
    const qint64 got = readFully(m_wav, bytes, n);
    if (got < 0) {
        throw VemoError(readError(m_wav.fileName()));
    }
    if constexpr (std::endian::native == std::endian::big) {
        for (short& sample : m_input) {
            sample = qFromLittleEndian(sample);
        }
    }
    return got < n && !last ? got : n;
}

void Conversion::Write(std::uint32_t bytes)
{
    if (bytes > 0 && m_mp3.write(reinterpret_cast<const char*>(m_output.data()), bytes) != qint64(bytes)) {
        throw VemoError(Say(" Error writing to file ", " Ошибка записи в файл ") + m_mp3.fileName());
    }
}

void Conversion::EncodeChunk(qint64 bytes)
{
    std::uint32_t written = 0;
    if (beEncodeChunk(m_stream, std::uint32_t(bytes / 2), m_input.data(), m_output.data(), &written) != 0) {
        throw VemoError(Say(" Error in MP3 encoding! ", " Ошибка при MP3 кодировани ! "));
    }
    Write(written);
}

void Conversion::EncodeData(qint64 count, const Mp3Progress& progress)
{
    const qint64 fullChunk = qint64(m_input.size()) * 2;
    qint64 done = 0;
    quint64 chunks = 0;
    while (done < count) {
        const bool last = count - done <= fullChunk;
        const qint64 asked = last ? count - done : fullChunk;
        const qint64 n = ReadChunk(asked, last);
        EncodeChunk(n);
        done += asked;
        if (++chunks % ChunksBetweenMessages == 0) {
            progress(done, count);
        }
        if (n < asked) {
            break;
        }
    }
}

void Conversion::Flush(StreamCloser& closer)
{
    std::uint32_t written = 0;
    if (beDeinitStream(m_stream, m_output.data(), &written) != 0) {
        throw VemoError(Say(" Error closing the MP3 stream", " Ошибка де-инициализации MP3 потока"));
    }
    Write(written);
    WriteInfoFrame();
    closer.Close();
}

// The info frame replaces the room the encoder left for it near the start of the file. A
// pipe or device cannot go back: there the room stays, an empty frame players skip.
void Conversion::WriteInfoFrame()
{
    std::uint32_t bytes = 0;
    std::uint32_t offset = 0;
    if (beInfoFrame(m_stream, m_output.data(), &bytes, &offset) != 0) {
        throw VemoError(Say(" Error closing the MP3 stream", " Ошибка де-инициализации MP3 потока"));
    }
    if (bytes == 0 || m_mp3.isSequential()) {
        return;
    }
    if (!m_mp3.seek(offset)) {
        throw VemoError(Say(" Error writing to file ", " Ошибка записи в файл ") + m_mp3.fileName());
    }
    Write(bytes);
}

// The samples the chunk loop encodes: all `count` bytes when the file reaches the last
// chunk (what it lacks of that chunk being silence), else as far as the file goes.
Mp3PieceInput pieceInput(const QFile& wav, const WavHeader& header, std::uint32_t samples)
{
    Mp3PieceInput input;
    input.wavName = wav.fileName();
    input.channels = header.channels == 1 ? 1 : 2;
    input.dataBytes = qMax<qint64>(0, wav.size() - HeaderSize);
    const qint64 count = header.count;
    const qint64 chunk = 2 * qint64(samples);
    const qint64 lastChunk = count > 0 ? (count - 1) / chunk * chunk : 0;
    const qint64 encoded = input.dataBytes >= lastChunk ? count : input.dataBytes;
    input.sampleFrames = encoded / 2 / input.channels;
    return input;
}

void processPendingEvents(qint64, qint64)
{
    if (QCoreApplication::instance()) {
        QCoreApplication::processEvents();
    }
}

} // namespace

qint32 ConvertWavToMp3(const QString& wavName, const QString& mp3Name, const EncoderConfig& config,
                       const std::function<void()>& letMessagesThrough)
{
    Mp3Progress progress;
    if (letMessagesThrough)
        progress = [&letMessagesThrough](qint64, qint64) { letMessagesThrough(); };
    return ConvertWavToMp3(wavName, mp3Name, config, Mp3Tags{}, progress);
}

qint32 ConvertWavToMp3(const QString& wavName, const QString& mp3Name, const EncoderConfig& config,
                       const Mp3Tags& tags, const Mp3Progress& progress, int encoderThreads)
{
    QFile wav(wavName);
    if (!wav.open(QIODevice::ReadOnly)) {
        return Mp3Result::WavNotOpened;
    }
    const WavHeader header = readHeader(wav, wavName);
    if (isSameFile(wav, mp3Name)) {
        return Mp3Result::Mp3NotCreated;
    }
    EncoderConfig copy = config;
    copy.SetInt32(EncoderConfig::nMode, modeFor(header.channels, config));
    std::uint32_t samples = 0;
    std::uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    if (beInitStream(copy, tags, &samples, &bufferSize, &stream) != 0) {
        return Mp3Result::EncoderRefused;
    }
    StreamCloser closer(stream);
    QFile mp3(mp3Name);
    if (!mp3.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        return Mp3Result::Mp3NotCreated;
    }
    const Mp3Progress& report = progress ? progress : processPendingEvents;
    const int threads = encoderThreads > 0 ? encoderThreads : QThreadPool::globalInstance()->maxThreadCount();
    if (!mp3.isSequential() &&
        EncodeMp3InPieces(pieceInput(wav, header, samples), mp3, copy, tags, report, threads))
        return Mp3Result::Done;
    // Too short for pieces, or they did not join: one encoder for the whole file.
    if (!mp3.resize(0) || !mp3.seek(0))
        throw VemoError(Say(" Error writing to file ", " Ошибка записи в файл ") + mp3.fileName());
    Conversion conversion(wav, mp3, stream, samples, bufferSize);
    conversion.EncodeData(header.count, report);
    conversion.Flush(closer);
    return Mp3Result::Done;
}
