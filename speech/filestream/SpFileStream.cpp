#include "speech/filestream/SpFileStream.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/filestream/PcmEncoding.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "speech/filestream/StreamResampler.h"
#include "speech/filestream/WavHeader.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <new>
#include <vector>

namespace {

// Converted bytes are gathered up to this size before they go to the file.
constexpr qsizetype WriteChunk = 1 << 16;
constexpr int CreateForWrite = 3;

} // namespace

struct SpFileStream::Private
{
    mutable QMutex mutex;
    int formatType = SAFT22kHz16BitMono;
    SpeechAudioFormat format; // the open file's format
    QFile file;
    qint64 position = 0;       // where the next sample byte goes, header not counted
    qint64 dataSize = 0;       // sample bytes in the file, those still buffered included
    qint64 headerDataSize = 0; // the data size the header on disk tells
    QByteArray buffer;         // bytes not yet written, which belong at bufferStart
    qint64 bufferStart = 0;
    std::unique_ptr<StreamResampler> resampler;
    std::vector<qint16> converted;
    bool failed = false; // a write failed: nothing more is written to this file
    QString error;       // that failure, until a GUI-thread call reports it

    QString Name() const { return file.fileName(); }
    qint64 MaxDataSize() const { return WavMaxDataSize - WavMaxDataSize % format.BlockAlign(); }

    void Fail(const QString& message);
    void Convert(const qint16* samples, qsizetype count, int sampleRate);
    void DrainConverter();
    void Encode(const qint16* samples, qsizetype count);
    bool FramesAreSamples() const;
    void WriteBuffer();
    void WriteHeader();
    void ThrowPendingError();
};

// Stops writing and keeps the first failure for the GUI thread. The sizes are cut back to
// the bytes that really reached the file, so the header written on Close tells the truth.
void SpFileStream::Private::Fail(const QString& message)
{
    if (!failed)
        error = message;
    failed = true;
    buffer.clear();
    resampler.reset();
    const qint64 onDisk = std::max<qint64>(0, file.size() - WavHeaderSize);
    dataSize = std::min(dataSize, onDisk);
    dataSize -= dataSize % format.BlockAlign();
    position = std::min(position, dataSize);
}

void SpFileStream::Private::Convert(const qint16* samples, qsizetype count, int sampleRate)
{
    if (sampleRate == format.sampleRate) {
        // At the file's own rate the samples need no converter and no copy of their own.
        DrainConverter();
        resampler.reset();
        Encode(samples, count);
        return;
    }
    if (!resampler || resampler->InputRate() != sampleRate) {
        DrainConverter();
        resampler = std::make_unique<StreamResampler>(sampleRate, format.sampleRate);
    }
    converted.clear();
    resampler->Process(samples, count, converted);
    Encode(converted.data(), qsizetype(converted.size()));
}

void SpFileStream::Private::DrainConverter()
{
    if (!resampler || failed)
        return;
    converted.clear();
    try {
        resampler->Drain(converted);
    } catch (const VemoError& e) {
        Fail(Say("Error writing to file %1: %2", "Ошибка записи в файл %1: %2").arg(Name(), e.Message()));
        return;
    }
    Encode(converted.data(), qsizetype(converted.size()));
}

// Turns samples at the file's rate into the file's frames at the current position.
void SpFileStream::Private::Encode(const qint16* samples, qsizetype count)
{
    if (count <= 0 || failed)
        return;
    const qint64 bytes = qint64(count) * format.BlockAlign();
    if (position + bytes > MaxDataSize()) {
        Fail(Say("File %1 reached the WAV size limit (4 GB); writing stopped",
                 "Файл %1 достиг предельного размера WAV (4 ГБ); запись остановлена")
                 .arg(Name()));
        return;
    }
    if (bytes >= WriteChunk && FramesAreSamples()) {
        // A block this large (held speech placed in the file) goes there as it is.
        WriteBuffer();
        if (failed)
            return;
        if (!file.seek(WavHeaderSize + position) ||
            file.write(reinterpret_cast<const char*>(samples), bytes) != bytes) {
            Fail(Say("Error writing to file %1: %2", "Ошибка записи в файл %1: %2")
                     .arg(Name(), file.errorString()));
            return;
        }
    } else {
        if (buffer.isEmpty())
            bufferStart = position;
        AppendPcmFrames(buffer, samples, count, format.bitsPerSample, format.channels);
    }
    position += bytes;
    dataSize = std::max(dataSize, position);
    if (buffer.size() >= WriteChunk)
        WriteBuffer();
}

// 16-bit mono frames on a little-endian machine are the samples as they lie in memory.
bool SpFileStream::Private::FramesAreSamples() const
{
    return Q_BYTE_ORDER == Q_LITTLE_ENDIAN && format.bitsPerSample == 16 && format.channels == 1;
}

void SpFileStream::Private::WriteBuffer()
{
    if (buffer.isEmpty() || failed)
        return;
    if (!file.seek(WavHeaderSize + bufferStart) || file.write(buffer) != buffer.size()) {
        Fail(Say("Error writing to file %1: %2", "Ошибка записи в файл %1: %2")
                 .arg(Name(), file.errorString()));
        return;
    }
    buffer.resize(0); // keeps its room for the next bytes
}

void SpFileStream::Private::WriteHeader()
{
    const QByteArray header = MakeWavHeader(format, quint32(dataSize));
    if (file.seek(0) && file.write(header) == header.size())
        return;
    // Reported even when an earlier failure was: a wrong header is news of its own.
    const QString message =
        Say("Error writing to file %1: %2", "Ошибка записи в файл %1: %2").arg(Name(), file.errorString());
    Fail(message);
    if (error.isEmpty())
        error = message;
}

void SpFileStream::Private::ThrowPendingError()
{
    if (error.isEmpty())
        return;
    const QString message = error;
    error.clear();
    throw VemoError(message);
}

SpFileStream::SpFileStream() : d(std::make_unique<Private>()) {}

SpFileStream::~SpFileStream()
{
    try {
        Close();
    } catch (const VemoError&) {
        // Nobody is left to tell; the header holds what reached the file.
    }
}

void SpFileStream::SetFormatType(int speechAudioFormatType)
{
    if (!SpeechAudioFormat::FromType(speechAudioFormatType))
        throw VemoError(Say("Unknown sound file format (SpeechAudioFormatType %1)",
                            "Неизвестный формат звукового файла (SpeechAudioFormatType %1)")
                            .arg(speechAudioFormatType));
    QMutexLocker lock(&d->mutex);
    d->formatType = speechAudioFormatType;
}

int SpFileStream::FormatType() const
{
    QMutexLocker lock(&d->mutex);
    return d->formatType;
}

void SpFileStream::Open(const QString& fileName, int mode)
{
    if (mode != CreateForWrite)
        throw VemoError(Say("File %1 can be opened for writing only (mode 3), not in mode %2",
                            "Файл %1 можно открыть только для записи (режим 3), не в режиме %2")
                            .arg(fileName)
                            .arg(mode));
    Close();
    QMutexLocker lock(&d->mutex);
    d->format = *SpeechAudioFormat::FromType(d->formatType);
    d->file.setFileName(fileName);
    if (!d->file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw VemoError(Say("Could not create file %1: %2", "Не удалось создать файл %1: %2")
                            .arg(fileName, d->file.errorString()));
    d->position = d->dataSize = d->bufferStart = d->headerDataSize = 0;
    d->failed = false;
    d->error.clear();
    d->WriteHeader();
    if (d->failed) {
        d->file.close();
        d->ThrowPendingError();
    }
}

qint64 SpFileStream::Seek(qint64 position, int origin)
{
    QMutexLocker lock(&d->mutex);
    if (!d->file.isOpen())
        throw VemoError(Say("The sound file is not open", "Звуковой файл не открыт"));
    if (origin < 0 || origin > 2)
        throw VemoError(Say("Error seeking in file %1: unknown origin %2",
                            "Ошибка перемещения в файле %1: неизвестное начало отсчёта %2")
                            .arg(d->Name())
                            .arg(origin));
    d->DrainConverter();
    d->WriteBuffer();
    // The runs seek after every fragment: the header then tells the truth about what is on
    // disk, so a file cut short by a kill or a power cut plays up to there.
    if (!d->failed && d->headerDataSize != d->dataSize) {
        d->WriteHeader();
        d->headerDataSize = d->dataSize;
    }
    d->ThrowPendingError();
    const qint64 base = origin == 0 ? 0 : origin == 1 ? d->position : d->dataSize;
    // Clamped before adding, so no offset can overflow; the result stays inside the data.
    const qint64 offset = std::clamp<qint64>(position, -d->dataSize, d->dataSize);
    qint64 target = std::clamp<qint64>(base + offset, 0, d->dataSize);
    target -= target % d->format.BlockAlign();
    d->position = target;
    return target;
}

void SpFileStream::Close()
{
    QMutexLocker lock(&d->mutex);
    if (!d->file.isOpen())
        return;
    d->DrainConverter();
    d->WriteBuffer();
    d->WriteHeader();
    d->file.close();
    d->resampler.reset();
    d->buffer.clear();
    d->ThrowPendingError();
}

bool SpFileStream::IsOpen() const
{
    QMutexLocker lock(&d->mutex);
    return d->file.isOpen();
}

QString SpFileStream::FileName() const
{
    QMutexLocker lock(&d->mutex);
    return d->file.fileName();
}

void SpFileStream::WriteSamples(const qint16* samples, qsizetype count, int sampleRate)
{
    QMutexLocker lock(&d->mutex);
    if (!d->file.isOpen() || d->failed || count <= 0)
        return;
    try {
        d->Convert(samples, count, sampleRate);
    } catch (const VemoError& e) {
        d->Fail(
            Say("Error writing to file %1: %2", "Ошибка записи в файл %1: %2").arg(d->Name(), e.Message()));
    } catch (const std::bad_alloc&) {
        d->Fail(Say("Error writing to file %1: out of memory", "Ошибка записи в файл %1: недостаточно памяти")
                    .arg(d->Name()));
    }
}

void SpFileStream::Flush()
{
    QMutexLocker lock(&d->mutex);
    if (!d->file.isOpen())
        return;
    d->DrainConverter();
    d->WriteBuffer();
}
