#include "soundfile/Mp3Frames.h"

#include <array>

namespace {

constexpr std::array<int, 16> Mpeg1Kbps{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1};
constexpr std::array<int, 16> Mpeg2Kbps{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
constexpr std::array<int, 3> Mpeg1Rates{44100, 48000, 32000};

// Reads the side information most significant bit first.
class BitReader
{
public:
    explicit BitReader(const unsigned char* bytes) : m_bytes(bytes) {}
    int Read(int bits)
    {
        int value = 0;
        for (int i = 0; i < bits; ++i, ++m_bit)
            value = value << 1 | (m_bytes[m_bit / 8] >> (7 - m_bit % 8) & 1);
        return value;
    }
    void Skip(int bits) { m_bit += bits; }

private:
    const unsigned char* m_bytes;
    int m_bit = 0;
};

} // namespace

std::optional<Mp3FrameHeader> ReadMp3FrameHeader(const unsigned char* p, std::size_t available)
{
    if (available < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = p[1] >> 3 & 3; // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
    const int layer = p[1] >> 1 & 3;   // 1 Layer III
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = p[2] >> 2 & 3;
    if (version == 1 || layer != 1 || rateIndex == 3)
        return std::nullopt;
    Mp3FrameHeader h;
    h.mpeg1 = version == 3;
    h.kbps = (h.mpeg1 ? Mpeg1Kbps : Mpeg2Kbps)[std::size_t(bitrateIndex)];
    if (h.kbps <= 0)
        return std::nullopt;
    h.sampleRate = Mpeg1Rates[std::size_t(rateIndex)] / (h.mpeg1 ? 1 : version == 2 ? 2 : 4);
    h.crc = (p[1] & 1) == 0;
    h.channels = (p[3] >> 6) == 3 ? 1 : 2;
    h.samples = h.mpeg1 ? 1152 : 576;
    const int padding = p[2] >> 1 & 1;
    h.length = (h.mpeg1 ? 144 : 72) * h.kbps * 1000 / h.sampleRate + padding;
    h.sideInfoLength = h.mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    if (h.length < h.MainDataStart())
        return std::nullopt;
    return h;
}

int Mp3MainDataBegin(const unsigned char* frame, const Mp3FrameHeader& header)
{
    BitReader bits(frame + header.SideInfoStart());
    return bits.Read(header.mpeg1 ? 9 : 8);
}

int Mp3LastBlockTypes(const unsigned char* frame, const Mp3FrameHeader& header)
{
    BitReader bits(frame + header.SideInfoStart());
    if (header.mpeg1)
        bits.Skip(9 + (header.channels == 1 ? 5 : 3) + 4 * header.channels);
    else
        bits.Skip(8 + (header.channels == 1 ? 1 : 2));
    const int granules = header.mpeg1 ? 2 : 1;
    int types = 0;
    for (int granule = 0; granule < granules; ++granule) {
        types = 0;
        for (int channel = 0; channel < header.channels; ++channel) {
            bits.Skip(12 + 9 + 8 + (header.mpeg1 ? 4 : 9)); // lengths, gain, scale factor sizes
            const bool switched = bits.Read(1) != 0;
            const int blockType = switched ? bits.Read(2) : 0;
            // Mixed flag, table selects and subblock gains, or table selects and region counts.
            bits.Skip(switched ? 1 + 10 + 9 : 15 + 4 + 3);
            bits.Skip(header.mpeg1 ? 3 : 2);
            types |= blockType << (2 * channel);
        }
    }
    return types;
}
