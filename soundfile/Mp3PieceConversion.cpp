#include "soundfile/Mp3PieceConversion.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/LameEnc.h"
#include "soundfile/Mp3Pieces.h"

#include <QThreadPool>
#include <QtEndian>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

namespace {

constexpr qint64 HeaderSize = 44;
// LAME's frames lag its input by 576 + 529 samples: a quiet input frame is heard in the
// output frames this much later.
constexpr int EncoderDelaySamples = 1105;
// A piece's encoder runs on this many frames past the last place where the next may join, so
// that the frames there are complete and made from the audio, not from the end of its input.
constexpr int TailFrames = 6;

QString readError(const QString& wavName)
{
    return Say("Error reading from file ", "Ошибка чтения из файла ") + wavName;
}

QString encodeError()
{
    return Say(" Error in MP3 encoding! ", " Ошибка при MP3 кодировани ! ");
}

// Reads sample frames of the WAV file; past the bytes the file holds, silence.
class WavSamples
{
public:
    explicit WavSamples(const Mp3PieceInput& input) : m_input(input), m_file(input.wavName)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            throw VemoError(readError(input.wavName));
    }
    void Read(qint64 first, qint64 count, short* out)
    {
        const qint64 frameBytes = 2 * m_input.channels;
        const qint64 from = first * frameBytes;
        const qint64 wanted = count * frameBytes;
        const qint64 held = qBound<qint64>(0, m_input.dataBytes - from, wanted);
        std::memset(out, 0, std::size_t(wanted));
        char* bytes = reinterpret_cast<char*>(out);
        if (held > 0 && (!m_file.seek(HeaderSize + from) || m_file.read(bytes, held) != held))
            throw VemoError(readError(m_input.wavName));
        if constexpr (std::endian::native == std::endian::big) {
            for (qint64 i = 0; i < count * m_input.channels; ++i)
                out[i] = qFromLittleEndian(out[i]);
        }
    }

private:
    const Mp3PieceInput& m_input;
    QFile m_file;
};

// The frame nearest to `ideal` (within `search` each way) whose surroundings, a frame each
// side, hold the least energy.
qint64 quietestFrame(WavSamples& wav, qint64 ideal, int search, int frameSamples, int channels)
{
    const qint64 first = ideal - search - 1;
    const qint64 count = 2 * qint64(search) + 3;
    std::vector<short> samples(std::size_t(count * frameSamples * channels));
    wav.Read(first * frameSamples, count * frameSamples, samples.data());
    std::vector<double> energy(std::size_t(count), 0.0);
    for (std::size_t i = 0; i < samples.size(); ++i)
        energy[i / std::size_t(frameSamples * channels)] += double(samples[i]) * samples[i];
    qint64 best = ideal;
    double bestEnergy = -1;
    for (int step = 0; step <= 2 * search; ++step) {
        const qint64 frame = ideal + (step % 2 == 0 ? step / 2 : -(step + 1) / 2);
        const std::size_t i = std::size_t(frame - first);
        const double e = energy[i - 1] + energy[i] + energy[i + 1];
        if (bestEnergy < 0 || e < bestEnergy) {
            bestEnergy = e;
            best = frame;
        }
    }
    return best;
}

// Closes an encoder stream on every way out.
struct StreamGuard
{
    HBE_STREAM stream = 0;
    ~StreamGuard()
    {
        if (stream != 0)
            beCloseStream(stream);
    }
};

// One piece: sample frames [firstSample, endSample) through an encoder of its own.
struct PieceTask
{
    const Mp3PieceInput* input = nullptr;
    const EncoderConfig* config = nullptr;
    const Mp3Tags* tags = nullptr; // the first piece's: it carries the tag and the info frame
    qint64 firstFrame = 0;
    qint64 endSample = 0;
    bool last = false;
    int frameSamples = 0;
    const std::atomic<bool>* cancelled = nullptr;

    Mp3Piece piece;
    std::vector<unsigned char> infoFrame; // the first piece's, as its encoder wrote it
    std::atomic<qint64> samplesDone{0};
    QString error;
    bool done = false;
    std::mutex mutex;
    std::condition_variable ended;

    void Run()
    {
        QString message;
        try {
            Encode();
        } catch (const VemoError& e) {
            message = e.Message();
        } catch (const std::exception& e) {
            message = QString::fromLocal8Bit(e.what());
        }
        std::lock_guard lock(mutex);
        error = message;
        done = true;
        ended.notify_all();
    }

    void Encode()
    {
        std::uint32_t samples = 0;
        std::uint32_t bufferSize = 0;
        StreamGuard guard;
        const std::uint32_t opened = tags ? beInitStream(*config, *tags, &samples, &bufferSize, &guard.stream)
                                          : beInitPieceStream(*config, &samples, &bufferSize, &guard.stream);
        if (opened != 0)
            throw VemoError(encodeError());
        WavSamples wav(*input);
        std::vector<short> chunk(samples);
        std::vector<unsigned char> output(bufferSize);
        const qint64 chunkFrames = samples / std::uint32_t(input->channels);
        for (qint64 at = firstFrame * frameSamples; at < endSample && !*cancelled; at += chunkFrames) {
            const qint64 n = qMin(chunkFrames, endSample - at);
            wav.Read(at, n, chunk.data());
            std::uint32_t written = 0;
            if (beEncodeChunk(guard.stream, std::uint32_t(n * input->channels), chunk.data(), output.data(),
                              &written) != 0)
                throw VemoError(encodeError());
            piece.bytes.insert(piece.bytes.end(), output.begin(), output.begin() + written);
            samplesDone = at + n - firstFrame * frameSamples;
        }
        if (last)
            Flush(guard.stream, output);
        if (tags)
            TakeInfoFrame(guard.stream, output);
        piece.firstFrame = firstFrame;
        if (!piece.FindFrames())
            throw VemoError(encodeError());
    }

    void Flush(HBE_STREAM stream, std::vector<unsigned char>& output)
    {
        std::uint32_t written = 0;
        if (beDeinitStream(stream, output.data(), &written) != 0)
            throw VemoError(Say(" Error closing the MP3 stream", " Ошибка де-инициализации MP3 потока"));
        piece.bytes.insert(piece.bytes.end(), output.begin(), output.begin() + written);
    }

    // The room for the info frame follows the tag; the frames follow the room.
    void TakeInfoFrame(HBE_STREAM stream, std::vector<unsigned char>& output)
    {
        std::uint32_t bytes = 0;
        std::uint32_t offset = 0;
        if (beInfoFrame(stream, output.data(), &bytes, &offset) != 0)
            throw VemoError(Say(" Error closing the MP3 stream", " Ошибка де-инициализации MP3 потока"));
        infoFrame.assign(output.begin(), output.begin() + bytes);
        piece.head = offset + bytes;
    }
};

int frameSamplesOf(const EncoderConfig& config)
{
    std::uint32_t samples = 0;
    std::uint32_t bufferSize = 0;
    StreamGuard guard;
    if (beInitPieceStream(config, &samples, &bufferSize, &guard.stream) != 0)
        return 0;
    return int(samples) / (config.Int32(EncoderConfig::nMode) == EncoderConfig::ModeMono ? 1 : 2);
}

bool resamples(const EncoderConfig& config)
{
    const std::uint32_t out = config.Dword(EncoderConfig::dwReSampleRate);
    return out != 0 && out != config.Dword(EncoderConfig::dwSampleRate);
}

// The pieces in flight, their results taken in order; the bytes written and the info frame.
class PieceRun
{
public:
    PieceRun(const Mp3PieceInput& input, QFile& mp3, const EncoderConfig& config, const Mp3Tags& tags,
             const Mp3PieceLayout& layout, int frameSamples, int threads)
        : m_input(input), m_mp3(mp3), m_config(config), m_tags(tags), m_layout(layout),
          m_frameSamples(frameSamples)
    {
        m_pool.setMaxThreadCount(qMax(1, threads));
        m_inFlight = qMax(1, threads) + 1;
    }
    ~PieceRun()
    {
        m_cancelled = true;
        m_pool.waitForDone();
    }
    PieceRun(const PieceRun&) = delete;
    PieceRun& operator=(const PieceRun&) = delete;

    bool Run(const std::function<void(qint64, qint64)>& progress, std::vector<qint64>* joins);

private:
    void PlanJoins(qint64 pieces);
    void StartPieces();
    std::shared_ptr<PieceTask> TakePiece(const std::function<void(qint64, qint64)>& progress);
    void Write(const Mp3Piece& piece, std::int64_t from, std::int64_t to, bool toTheEnd);
    void WriteBytes(const unsigned char* bytes, std::size_t n);
    qint64 SamplesDone() const;

    const Mp3PieceInput& m_input;
    QFile& m_mp3;
    const EncoderConfig& m_config;
    const Mp3Tags& m_tags;
    const Mp3PieceLayout m_layout;
    const int m_frameSamples;
    std::vector<qint64> m_joins; // the frame where each piece after the first is meant to take over
    QThreadPool m_pool;
    qsizetype m_inFlight = 2;
    std::deque<std::shared_ptr<PieceTask>> m_running;
    std::size_t m_started = 0;
    qint64 m_samplesTaken = 0; // by the pieces already taken
    std::atomic<bool> m_cancelled{false};
    Mp3StreamSummary m_summary;
};

void PieceRun::PlanJoins(qint64 pieces)
{
    WavSamples wav(m_input);
    const qint64 frames = m_input.sampleFrames / m_frameSamples;
    const int delayFrames = (EncoderDelaySamples + m_frameSamples / 2) / m_frameSamples;
    for (qint64 k = 1; k < pieces; ++k)
        m_joins.push_back(
            quietestFrame(wav, k * frames / pieces, m_layout.quietSearch, m_frameSamples, m_input.channels) +
            delayFrames);
}

void PieceRun::StartPieces()
{
    while (m_started <= m_joins.size() && qsizetype(m_running.size()) < m_inFlight) {
        const std::size_t k = m_started++;
        auto task = std::make_shared<PieceTask>();
        task->input = &m_input;
        task->config = &m_config;
        task->tags = k == 0 ? &m_tags : nullptr;
        task->firstFrame = k == 0 ? 0 : m_joins[k - 1] - m_layout.reach - m_layout.warmUp;
        task->last = k == m_joins.size();
        task->endSample = task->last ? m_input.sampleFrames
                                     : qMin(m_input.sampleFrames,
                                            (m_joins[k] + m_layout.reach + TailFrames) * m_frameSamples);
        task->frameSamples = m_frameSamples;
        task->cancelled = &m_cancelled;
        m_running.push_back(task);
        m_pool.start([task] { task->Run(); });
    }
}

qint64 PieceRun::SamplesDone() const
{
    qint64 done = m_samplesTaken;
    for (const auto& task : m_running)
        done += task->samplesDone;
    return done;
}

std::shared_ptr<PieceTask> PieceRun::TakePiece(const std::function<void(qint64, qint64)>& progress)
{
    StartPieces();
    const std::shared_ptr<PieceTask> task = m_running.front();
    std::unique_lock lock(task->mutex);
    while (!task->done) {
        task->ended.wait_for(lock, std::chrono::milliseconds(50));
        if (!task->done && progress) {
            lock.unlock();
            const qint64 frameBytes = 2 * m_input.channels;
            progress(qMin(SamplesDone(), m_input.sampleFrames) * frameBytes,
                     m_input.sampleFrames * frameBytes);
            lock.lock();
        }
    }
    lock.unlock();
    m_running.pop_front();
    m_samplesTaken += task->samplesDone;
    if (!task->error.isEmpty())
        throw VemoError(task->error);
    return task;
}

void PieceRun::WriteBytes(const unsigned char* bytes, std::size_t n)
{
    if (n > 0 && m_mp3.write(reinterpret_cast<const char*>(bytes), qint64(n)) != qint64(n))
        throw VemoError(Say(" Error writing to file ", " Ошибка записи в файл ") + m_mp3.fileName());
}

// Frames from..to of the piece; toTheEnd: every byte after `from`, as the encoder ended it.
void PieceRun::Write(const Mp3Piece& piece, std::int64_t from, std::int64_t to, bool toTheEnd)
{
    const std::size_t begin = piece.OffsetOf(from);
    const std::size_t end = toTheEnd ? piece.bytes.size() : piece.OffsetOf(to);
    m_summary.Add(piece, from, to);
    WriteBytes(piece.bytes.data() + begin, end - begin);
}

bool PieceRun::Run(const std::function<void(qint64, qint64)>& progress, std::vector<qint64>* joins)
{
    const qint64 pieces = m_input.sampleFrames / m_frameSamples / m_layout.pieceFrames;
    if (pieces < 2)
        return false;
    PlanJoins(pieces);
    std::shared_ptr<PieceTask> previous = TakePiece(progress);
    std::vector<unsigned char> infoFrame = std::move(previous->infoFrame);
    const std::size_t tagSize = previous->piece.head - infoFrame.size();
    WriteBytes(previous->piece.bytes.data(), previous->piece.head);
    std::int64_t from = 0;
    for (const qint64 nominal : m_joins) {
        std::shared_ptr<PieceTask> next = TakePiece(progress);
        const std::int64_t join = FindJoin(previous->piece, next->piece, nominal, m_layout.reach,
                                           next->piece.firstFrame + m_layout.warmUp);
        if (join < 0)
            return false;
        JoinPieces(previous->piece, next->piece, join);
        if (joins)
            joins->push_back(join);
        Write(previous->piece, from, join, false);
        previous = std::move(next);
        from = join;
    }
    Write(previous->piece, from, previous->piece.EndFrame(), true);
    if (!infoFrame.empty() && m_summary.Complete(infoFrame, m_input.sampleFrames)) {
        if (!m_mp3.seek(qint64(tagSize)))
            throw VemoError(Say(" Error writing to file ", " Ошибка записи в файл ") + m_mp3.fileName());
        WriteBytes(infoFrame.data(), infoFrame.size());
    }
    return true;
}

} // namespace

bool EncodeMp3InPieces(const Mp3PieceInput& input, QFile& mp3, const EncoderConfig& config,
                       const Mp3Tags& tags, const std::function<void(qint64 done, qint64 total)>& progress,
                       int threads, const Mp3PieceLayout& layout, std::vector<qint64>* joins)
{
    // Each piece must reach from one join's search to the next one's.
    const qint64 margin = 2 * (qint64(layout.quietSearch) + layout.reach + layout.warmUp + TailFrames);
    if (resamples(config) || input.channels < 1 || layout.quietSearch < 0 || layout.reach < 0 ||
        layout.warmUp < 2 || layout.pieceFrames <= margin)
        return false;
    const int frameSamples = frameSamplesOf(config);
    if (frameSamples <= 0 || input.sampleFrames / frameSamples / layout.pieceFrames < 2)
        return false;
    PieceRun run(input, mp3, config, tags, layout, frameSamples, threads);
    return run.Run(progress, joins);
}
