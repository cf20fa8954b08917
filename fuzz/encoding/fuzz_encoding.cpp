// Feeds arbitrary bytes to the text-file encoding detection: whatever encoding it chooses,
// a text it read without replacing anything must be written back to the same bytes, as Save
// does.
#include "files/TextFileCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DecodedText decoded = DecodeTextBytes(bytes);
    if (decoded.replacedBytes < 0 || (decoded.replacedBytes > 0 && decoded.encoding != TextEncoding::Utf8))
        __builtin_trap();
    if (decoded.replacedBytes > 0 || decoded.text.contains(QChar(0xFFFD)))
        return 0;
    const std::optional<QByteArray> encoded = EncodeText(decoded.text, decoded.encoding, decoded.hadBom);
    if (!encoded || *encoded != bytes)
        __builtin_trap();
    return 0;
}
