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
    // What the writer makes of any document must read back to the same text, but for the
    // object placeholders (U+FFFC) that the writer leaves out on purpose.
    QTextDocument copy;
    ReadRtf(WriteRtf(document), copy);
    QString expected = document.toRawText();
    expected.remove(QChar::ObjectReplacementCharacter);
    if (copy.toRawText() != expected)
        __builtin_trap();
    return 0;
}
