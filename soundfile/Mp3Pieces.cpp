#include "soundfile/Mp3Pieces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr std::array<std::uint16_t, 256> crcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? crc >> 1 ^ 0xA001 : crc >> 1;
        table[i] = std::uint16_t(crc);
    }
    return table;
}
constexpr std::array<std::uint16_t, 256> CrcTable = crcTable();

void putBigEndian(unsigned char* p, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        p[i] = static_cast<unsigned char>(value & 0xFF);
}

// The byte positions of the main data stream in the frames before `number`, counted back from
// its end: calls take(position) for the last `count` of them, the last first.
template <typename Take>
void eachMainDataByteBefore(const Mp3Piece& piece, std::int64_t number, int count, Take take)
{
    for (std::int64_t f = number - 1; count > 0 && f >= piece.firstFrame; --f) {
        const Mp3Piece::Frame& frame = piece.At(f);
        const std::size_t start = frame.offset + std::size_t(frame.header.MainDataStart());
        for (std::size_t p = frame.offset + std::size_t(frame.header.length); count > 0 && p > start; --count)
            take(--p);
    }
}

int mainDataBytesBefore(const Mp3Piece& piece, std::int64_t number)
{
    int bytes = 0;
    for (std::int64_t f = piece.firstFrame; f < number; ++f)
        bytes += piece.At(f).header.MainDataLength();
    return bytes;
}

// Offsets of the Xing/Info fields, from the tag's name on.
constexpr std::size_t FramesField = 8;
constexpr std::size_t BytesField = 12;
constexpr std::size_t TocField = 16;
constexpr std::size_t DelayPaddingField = 141;
constexpr std::size_t MusicLengthField = 148;
constexpr std::size_t MusicCrcField = 152;
constexpr std::size_t TagCrcField = 154;

} // namespace

bool Mp3Piece::FindFrames()
{
    frames.clear();
    std::size_t offset = head;
    while (offset + 4 <= bytes.size()) {
        const auto header = ReadMp3FrameHeader(bytes.data() + offset, bytes.size() - offset);
        if (!header)
            return false;
        if (offset + std::size_t(header->length) > bytes.size())
            break;
        frames.push_back({offset, *header});
        offset += std::size_t(header->length);
    }
    return true;
}

std::size_t Mp3Piece::OffsetOf(std::int64_t number) const
{
    if (number == EndFrame())
        return frames.empty() ? head : frames.back().offset + std::size_t(frames.back().header.length);
    return At(number).offset;
}

std::int64_t FindJoin(const Mp3Piece& previous, const Mp3Piece& next, std::int64_t nominal, int reach,
                      std::int64_t earliest)
{
    for (int step = 0; step <= 2 * reach; ++step) {
        const std::int64_t join = nominal + (step % 2 == 0 ? step / 2 : -(step + 1) / 2);
        if (join < earliest || join - 1 < previous.firstFrame || !previous.Has(join) || !next.Has(join) ||
            !next.Has(join - 1))
            continue;
        const int room = Mp3MainDataBegin(previous.Data(join), previous.At(join).header);
        const int needed = Mp3MainDataBegin(next.Data(join), next.At(join).header);
        if (needed > room || needed > mainDataBytesBefore(next, join))
            continue;
        if (Mp3LastBlockTypes(previous.Data(join - 1), previous.At(join - 1).header) ==
            Mp3LastBlockTypes(next.Data(join - 1), next.At(join - 1).header))
            return join;
    }
    return -1;
}

void JoinPieces(Mp3Piece& previous, const Mp3Piece& next, std::int64_t join)
{
    const int room = Mp3MainDataBegin(previous.Data(join), previous.At(join).header);
    const int needed = Mp3MainDataBegin(next.Data(join), next.At(join).header);
    std::vector<unsigned char> carried;
    carried.reserve(std::size_t(needed));
    eachMainDataByteBefore(next, join, needed, [&](std::size_t p) { carried.push_back(next.bytes[p]); });
    std::size_t i = 0;
    eachMainDataByteBefore(previous, join, room, [&](std::size_t p) {
        previous.bytes[p] = i < carried.size() ? carried[i] : 0;
        ++i;
    });
}

std::uint16_t Mp3Crc16(std::uint16_t crc, const unsigned char* bytes, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        crc = std::uint16_t(crc >> 8 ^ CrcTable[(crc ^ bytes[i]) & 0xFF]);
    return crc;
}

void Mp3StreamSummary::Add(const Mp3Piece& piece, std::int64_t from, std::int64_t to)
{
    const std::size_t begin = piece.OffsetOf(from);
    const std::size_t end = piece.OffsetOf(to);
    m_crc = Mp3Crc16(m_crc, piece.bytes.data() + begin, end - begin);
    m_bytes += std::int64_t(end - begin);
    for (std::int64_t f = from; f < to; ++f) {
        m_samplesPerFrame = piece.At(f).header.samples;
        AddToSeekTable(piece.At(f).header.kbps);
    }
    m_frames += to - from;
}

void Mp3StreamSummary::AddToSeekTable(int kbps)
{
    m_kbpsSum += kbps;
    if (++m_sinceLast < m_every)
        return;
    m_sinceLast = 0;
    m_sums[m_taken++] = m_kbpsSum;
    if (m_taken == m_sums.size()) {
        for (std::size_t i = 1; i < m_sums.size(); i += 2)
            m_sums[i / 2] = m_sums[i];
        m_taken /= 2;
        m_every *= 2;
    }
}

bool Mp3StreamSummary::Complete(std::vector<unsigned char>& infoFrame, std::int64_t sampleFrames) const
{
    const auto header = ReadMp3FrameHeader(infoFrame.data(), infoFrame.size());
    if (m_frames == 0 || !header || infoFrame.size() < std::size_t(header->length))
        return false;
    std::size_t tag = 0;
    for (std::size_t at : {std::size_t(4 + header->sideInfoLength), std::size_t(header->MainDataStart())}) {
        if (at + TagCrcField + 2 <= infoFrame.size() &&
            (std::memcmp(&infoFrame[at], "Info", 4) == 0 || std::memcmp(&infoFrame[at], "Xing", 4) == 0))
            tag = at;
    }
    if (tag == 0)
        return false;
    unsigned char* t = infoFrame.data() + tag;
    putBigEndian(t + FramesField, std::uint32_t(m_frames), 4);
    const std::int64_t streamBytes = m_bytes + header->length;
    putBigEndian(t + BytesField, std::uint32_t(streamBytes), 4);
    t[TocField] = 0;
    for (int i = 1; i < 100; ++i) {
        const float share = float(i) / 100.0f;
        const std::int64_t index = std::min<std::int64_t>(std::int64_t(std::floor(share * float(m_taken))),
                                                          std::int64_t(m_taken) - 1);
        const double point =
            256. * float(m_sums[std::size_t(std::max<std::int64_t>(index, 0))]) / float(m_kbpsSum);
        t[TocField + std::size_t(i)] = static_cast<unsigned char>(std::min(int(point), 255));
    }
    const int delay = t[DelayPaddingField] << 4 | t[DelayPaddingField + 1] >> 4;
    const std::int64_t padding =
        std::max<std::int64_t>(0, m_frames * m_samplesPerFrame - delay - sampleFrames);
    putBigEndian(t + DelayPaddingField, std::uint32_t(delay) << 12 | std::uint32_t(padding & 0xFFF), 3);
    putBigEndian(t + MusicLengthField, std::uint32_t(streamBytes), 4);
    putBigEndian(t + MusicCrcField, m_crc, 2);
    putBigEndian(t + TagCrcField, Mp3Crc16(0, infoFrame.data(), tag + TagCrcField), 2);
    return true;
}
