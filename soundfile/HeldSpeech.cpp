#include "soundfile/HeldSpeech.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/AheadWorker.h"
#include "speech/SpeechEvent.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "speech/filestream/WavHeader.h"

#include <QDir>
#include <QTemporaryFile>
#include <QtDebug>
#include <QtEndian>
#include <algorithm>
#include <atomic>

namespace {

constexpr int SeekEnd = 2;
constexpr qint64 ReadChunk = 1 << 18; // bytes placed at a time

struct SharedStream
{
    SpFileStream stream;
    std::atomic_bool taken = false;
};

SharedStream& Shared()
{
    static SharedStream shared;
    return shared;
}

} // namespace

HeldSpeech::HeldSpeech(QString folder) : m_folder(std::move(folder))
{
    bool expected = false;
    m_available = Shared().taken.compare_exchange_strong(expected, true);
}

HeldSpeech::~HeldSpeech()
{
    if (!m_available)
        return;
    try {
        Shared().stream.Close();
    } catch (const VemoError&) {
        // The held audio is thrown away with the file; its failure ended nothing.
    }
    Shared().taken = false;
}

SpFileStream& HeldSpeech::Stream()
{
    return Shared().stream;
}

std::unique_ptr<QTemporaryFile> HeldSpeech::NewFile() const
{
    auto file =
        std::make_unique<QTemporaryFile>(QDir(m_folder).filePath(QStringLiteral(".vemo-ahead-XXXXXX.wav")));
    if (!file->open())
        throw VemoError(
            Say("Could not create temporary file %1: %2", "Не удалось создать временный файл %1: %2")
                .arg(file->fileTemplate(), file->errorString()));
    return file;
}

void HeldSpeech::Begin()
{
    m_fragments.clear();
    m_speaking = false;
    if (!m_file)
        m_file = NewFile();
    Stream().SetFormatType(SAFT22kHz16BitMono);
    Stream().Open(m_file->fileName(), 3);
}

void HeldSpeech::Announce(const QString& program, AheadRequest request)
{
    if (request.indexes.isEmpty())
        return;
    const int file = m_announcements % 2;
    if (!m_workerFiles[file]) {
        auto made = NewFile();
        auto reader = std::make_unique<QFile>(made->fileName());
        if (!reader->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw VemoError(Say("Error reading file %1: %2", "Ошибка чтения файла %1: %2")
                                .arg(reader->fileName(), reader->errorString()));
        m_workerFiles[file] = std::move(made);
        m_readers[file] = std::move(reader);
    }
    if (!m_worker)
        m_worker = std::make_unique<AheadProcess>(program);
    request.heldFile = m_workerFiles[file]->fileName();
    Announced announced{request.indexes, file};
    std::sort(announced.indexes.begin(), announced.indexes.end());
    m_announced.push_back(std::move(announced));
    ++m_announcements;
    m_worker->Send(request);
}

void HeldSpeech::EndAnnouncements()
{
    if (m_worker)
        m_worker->EndRequests();
}

const HeldSpeech::Announced* HeldSpeech::AnnouncedWith(qsizetype index) const
{
    for (const Announced& announced : m_announced) {
        if (std::binary_search(announced.indexes.cbegin(), announced.indexes.cend(), qint64(index)))
            return &announced;
    }
    return nullptr;
}

void HeldSpeech::StartFragment(qsizetype index)
{
    if (m_speaking)
        m_fragments.pop_back(); // never ended: not held
    Fragment fragment;
    fragment.index = index;
    fragment.start = Stream().Seek(0, SeekEnd);
    m_fragments.push_back(std::move(fragment));
    m_speaking = true;
}

void HeldSpeech::AddWord(qint64 streamPosition, int position, int length)
{
    if (m_speaking)
        m_fragments.back().words.append({streamPosition, position, length});
}

void HeldSpeech::EndFragment()
{
    m_fragments.back().end = Stream().Seek(0, SeekEnd);
    m_speaking = false;
}

const HeldSpeech::Fragment* HeldSpeech::Find(qsizetype index) const
{
    const qsizetype held = qsizetype(m_fragments.size()) - (m_speaking ? 1 : 0);
    for (qsizetype k = 0; k < held; ++k) {
        if (m_fragments.at(std::size_t(k)).index == index)
            return &m_fragments.at(std::size_t(k));
    }
    return nullptr;
}

bool HeldSpeech::Holds(qsizetype index) const
{
    if (m_worker)
        return AnnouncedWith(index) != nullptr;
    return Find(index) != nullptr;
}

std::optional<QList<HeldSpeech::Word>> HeldSpeech::Place(qsizetype index, SpFileStream& out,
                                                         const std::function<bool()>& keepWaiting)
{
    if (m_worker)
        return PlaceFromWorker(index, out, keepWaiting);
    const Fragment* fragment = Find(index);
    if (!fragment)
        return QList<Word>();
    Copy(*m_file, fragment->start, fragment->end, out);
    return fragment->words;
}

std::optional<QList<HeldSpeech::Word>> HeldSpeech::PlaceFromWorker(qsizetype index, SpFileStream& out,
                                                                   const std::function<bool()>& keepWaiting)
{
    // The stretches before this fragment's are placed: their reports go.
    std::erase_if(m_announced,
                  [index](const Announced& announced) { return announced.indexes.back() < index; });
    m_worker->Forget(index);
    const Announced* announced = AnnouncedWith(index);
    const AheadFragment* fragment = announced ? m_worker->WaitFor(index, keepWaiting) : nullptr;
    if (!fragment) {
        // The run speaks the fragment itself; the failure is told once.
        if (!m_workerFailureTold && !m_worker->Failure().isEmpty()) {
            qWarning().noquote() << m_worker->Failure();
            m_workerFailureTold = true;
        }
        return std::nullopt;
    }
    Copy(*m_readers[announced->file], fragment->start, fragment->end, out);
    QList<Word> words;
    words.reserve(fragment->words.size());
    for (const AheadFragment::Word& word : fragment->words)
        words.append({word.streamPosition, word.position, word.length});
    return words;
}

// The held data bytes [start, end) into out, as the engine's samples.
void HeldSpeech::Copy(QFile& from, qint64 start, qint64 end, SpFileStream& out)
{
    if (!from.seek(WavHeaderSize + start))
        throw VemoError(Say("Error reading file %1: %2", "Ошибка чтения файла %1: %2")
                            .arg(from.fileName(), from.errorString()));
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
    std::vector<qint16> samples;
#endif
    for (qint64 left = end - start; left > 0;) {
        const QByteArray bytes = from.read(qMin(left, ReadChunk));
        if (bytes.isEmpty() || bytes.size() % 2 != 0)
            throw VemoError(Say("Error reading file %1: %2", "Ошибка чтения файла %1: %2")
                                .arg(from.fileName(), from.errorString().isEmpty()
                                                          ? Say("the file is shorter than what was written",
                                                                "файл короче записанного")
                                                          : from.errorString()));
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        // The file's bytes are the samples as they lie in memory.
        out.WriteSamples(reinterpret_cast<const qint16*>(bytes.constData()), bytes.size() / 2,
                         EngineSampleRate);
#else
        samples.resize(std::size_t(bytes.size() / 2));
        qFromLittleEndian<qint16>(bytes.constData(), qsizetype(samples.size()), samples.data());
        out.WriteSamples(samples.data(), qsizetype(samples.size()), EngineSampleRate);
#endif
        left -= bytes.size();
    }
    out.Flush();
}
