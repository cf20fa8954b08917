#include "soundfile/EncoderConfig.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <cstring>

EncoderConfig::EncoderConfig() = default;

EncoderConfig EncoderConfig::FromBytes(const QByteArray& bytes)
{
    if (bytes.size() != Size) {
        throw VemoError(Say("The MP3 encoder's settings record must take %1 bytes, not %2",
                            "Запись настроек MP3 кодера должна занимать %1 байт, а не %2")
                            .arg(Size)
                            .arg(bytes.size()));
    }
    EncoderConfig config;
    std::memcpy(config.m_bytes.data(), bytes.constData(), Size);
    return config;
}

QByteArray EncoderConfig::ToBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), Size);
}

std::uint32_t EncoderConfig::Dword(Offset field) const
{
    const std::uint8_t* p = m_bytes.data() + field;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::uint16_t EncoderConfig::Word(Offset field) const
{
    const std::uint8_t* p = m_bytes.data() + field;
    return std::uint16_t(p[0] | p[1] << 8);
}

void EncoderConfig::SetDword(Offset field, std::uint32_t value)
{
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 24)};
    std::memcpy(m_bytes.data() + field, bytes, sizeof bytes);
}

void EncoderConfig::SetWord(Offset field, std::uint16_t value)
{
    const std::uint8_t bytes[2] = {std::uint8_t(value), std::uint8_t(value >> 8)};
    std::memcpy(m_bytes.data() + field, bytes, sizeof bytes);
}
