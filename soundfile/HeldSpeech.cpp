#include "soundfile/HeldSpeech.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/SpeechEvent.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "speech/filestream/WavHeader.h"

#include <QDir>
#include <QTemporaryFile>
#include <QtEndian>
#include <atomic>

namespace {

constexpr int SeekEnd = 2;
constexpr qint64 ReadChunk = 1 << 20; // bytes placed at a time

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

void HeldSpeech::Begin()
{
    m_fragments.clear();
    m_speaking = false;
    if (!m_file) {
        auto file = std::make_unique<QTemporaryFile>(
            QDir(m_folder).filePath(QStringLiteral(".vemo-ahead-XXXXXX.wav")));
        if (!file->open())
            throw VemoError(
                Say("Could not create temporary file %1: %2", "Не удалось создать временный файл %1: %2")
                    .arg(file->fileTemplate(), file->errorString()));
        m_file = std::move(file);
    }
    Stream().SetFormatType(SAFT22kHz16BitMono);
    Stream().Open(m_file->fileName(), 3);
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
    return Find(index) != nullptr;
}

QList<HeldSpeech::Word> HeldSpeech::Place(qsizetype index, SpFileStream& out)
{
    const Fragment* fragment = Find(index);
    if (!fragment)
        return {};
    if (!m_file->seek(WavHeaderSize + fragment->start))
        throw VemoError(Say("Error reading file %1: %2", "Ошибка чтения файла %1: %2")
                            .arg(m_file->fileName(), m_file->errorString()));
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
    std::vector<qint16> samples;
#endif
    for (qint64 left = fragment->end - fragment->start; left > 0;) {
        const QByteArray bytes = m_file->read(qMin(left, ReadChunk));
        if (bytes.isEmpty() || bytes.size() % 2 != 0)
            throw VemoError(
                Say("Error reading file %1: %2", "Ошибка чтения файла %1: %2")
                    .arg(m_file->fileName(),
                         m_file->errorString().isEmpty()
                             ? Say("the file is shorter than what was written", "файл короче записанного")
                             : m_file->errorString()));
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
    return fragment->words;
}
