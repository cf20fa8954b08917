// Feeds arbitrary bytes to the zip containers' readers (EPUB, DOCX, ODT, zipped FB2), the
// format found by content as Open finds it: a damaged archive or part is refused with an
// error naming the file, never read past the bounds.
#include "documents/books/BookReader.h"
#include "files/VemoError.h"

#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr qsizetype Limit = 100000;
    QTextDocument document;
    try {
        const BookFormat format = DetectBookFormat(bytes, QStringLiteral("fuzz.zip"));
        if (!IsBook(format) || format == BookFormat::Fb2 || format == BookFormat::Html)
            return 0;
        ReadBook(bytes, format, QStringLiteral("fuzz.zip"), document, Limit);
    } catch (const VemoError& error) {
        if (!error.Message().contains(QStringLiteral("fuzz.zip")))
            __builtin_trap();
        return 0;
    }
    if (document.characterCount() - 1 > Limit)
        __builtin_trap();
    return 0;
}
