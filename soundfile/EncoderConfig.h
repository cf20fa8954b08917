#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

// The MP3 encoder's 331-byte configuration record: packed, little-endian, every field at
// a fixed byte offset. The bytes are the record; the accessors read and write one field
// with explicit byte order, so the layout never depends on the compiler.
class EncoderConfig
{
public:
    static constexpr int Size = 331;

    // Byte offsets of the fields (4 bytes each unless noted).
    enum Offset : int
    {
        dwConfig = 0,
        dwStructVersion = 4,
        dwStructSize = 8,
        dwSampleRate = 12,
        dwReSampleRate = 16,
        nMode = 20,
        dwBitrate = 24,
        dwMaxBitrate = 28,
        nPreset = 32,
        dwMpegVersion = 36,
        dwPsyModel = 40,
        dwEmphasis = 44,
        bPrivate = 48,
        bCRC = 52,
        bCopyright = 56,
        bOriginal = 60,
        bWriteVBRHeader = 64,
        bEnableVBR = 68,
        nVBRQuality = 72,
        dwVbrAbr_bps = 76,
        nVbrMethod = 80,
        bNoRes = 84,
        bStrictIso = 88,
        nQuality = 92,   // 2 bytes
        btReserved = 94, // 237 bytes up to the end
    };

    static constexpr std::uint32_t ConfigLame = 256;
    // Values of nMode.
    static constexpr std::int32_t ModeStereo = 0;
    static constexpr std::int32_t ModeJointStereo = 1;
    static constexpr std::int32_t ModeMono = 3;

    EncoderConfig(); // all bytes zero
    // Takes exactly Size bytes; throws VemoError on another length.
    static EncoderConfig FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;
    const std::uint8_t* Data() const { return m_bytes.data(); }

    std::uint32_t Dword(Offset field) const;
    std::int32_t Int32(Offset field) const { return static_cast<std::int32_t>(Dword(field)); }
    std::uint16_t Word(Offset field) const;
    void SetDword(Offset field, std::uint32_t value);
    void SetInt32(Offset field, std::int32_t value) { SetDword(field, static_cast<std::uint32_t>(value)); }
    void SetWord(Offset field, std::uint16_t value);

    bool operator==(const EncoderConfig&) const = default;

private:
    std::array<std::uint8_t, Size> m_bytes{};
};
