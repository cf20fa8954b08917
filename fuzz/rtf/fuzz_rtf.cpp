// Feeds arbitrary bytes to the RTF reader, and what it reads to the writer and back.
#include "text/rtf/Rtf.h"

#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!IsRtf(bytes))
        return 0;
    QTextDocument document;
    ReadRtf(bytes, document);
    // What the writer makes of any document must read back to the same text.
    QTextDocument copy;
    ReadRtf(WriteRtf(document), copy);
    if (copy.toRawText() != document.toRawText())
        __builtin_trap();
    return 0;
}
