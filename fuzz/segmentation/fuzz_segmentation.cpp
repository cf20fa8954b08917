// Feeds arbitrary text to the language segmentation: the lists stay of one length, every
// fragment is tagged "R" or "E", starts inside the text and no later than the next one, and
// no fragment is longer than the limit allows by more than one word. The first byte picks the
// limit and the language of digits.
#include "text/Segmentation.h"

#include <cstddef>
#include <cstdint>

namespace {

void CheckLists(const FragmentLists& lists, qsizetype textSize)
{
    if (lists.FragmentLangs.size() != lists.FragmentTexts.size() ||
        lists.FragmentOffsets.size() != lists.FragmentTexts.size())
        __builtin_trap();
    qsizetype previous = 0;
    for (qsizetype i = 0; i < lists.Count(); ++i) {
        const QString& lang = lists.FragmentLangs.at(i);
        if (lang != QStringLiteral("R") && lang != QStringLiteral("E"))
            __builtin_trap();
        bool ok = false;
        const qsizetype offset = lists.FragmentOffsets.at(i).toLongLong(&ok);
        if (!ok || offset < previous || offset > textSize)
            __builtin_trap();
        previous = offset;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int limit = 1 + data[0] % 64 * 16;
    const QString digitLang = data[0] & 0x80 ? QStringLiteral("E") : QStringLiteral("R");
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    FragmentLists lists;
    SplitPlainText(text, limit, digitLang, lists, QString());
    // Line breaks become CR LF first, so the work text may be up to twice as long.
    CheckLists(lists, 2 * text.size());
    SplitXmlText(text, lists, QString());
    CheckLists(lists, 2 * text.size());
    const ReadingRegion region = GetReadingText(text, int(data[0]) * 7 % (text.size() + 1));
    if (region.start < 0 || region.text.size() > 2 * text.size())
        __builtin_trap();
    return 0;
}
