// Feeds arbitrary bytes to the FB2 and HTML readers (the first byte chooses which, as the
// extension of a file whose content tells nothing would): each either reads a book within
// the length asked for or refuses it with an error, never more.
#include "documents/books/BookReader.h"
#include "files/VemoError.h"

#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const BookFormat format = data[0] % 2 == 0 ? BookFormat::Fb2 : BookFormat::Html;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    constexpr qsizetype Limit = 100000;
    QTextDocument document;
    try {
        ReadBook(bytes, format, QStringLiteral("fuzz"), document, Limit);
    } catch (const VemoError& error) {
        if (!error.Message().contains(QStringLiteral("fuzz")))
            __builtin_trap(); // every refusal names the file
        return 0;
    }
    if (document.characterCount() - 1 > Limit)
        __builtin_trap();
    return 0;
}
