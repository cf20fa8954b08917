#include "text/rtf/RtfCodePages.h"

#include <QHash>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace {

using ByteTable = std::array<char16_t, 256>;

QByteArray IconvName(int codePage)
{
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MAC-CYRILLIC";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 65001:
        return "UTF-8";
    default:
        if (codePage >= 28591 && codePage <= 28605)
            return "ISO-8859-" + QByteArray::number(codePage - 28590);
        return "CP" + QByteArray::number(codePage);
    }
}

bool IsMultiByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361 ||
           codePage == 65001;
}

// Runs iconv over the whole input; an undecodable byte becomes U+FFFD and decoding goes on
// with the next byte.
QString IconvDecode(iconv_t cd, const QByteArray& bytes)
{
    QString result;
    result.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    std::array<char16_t, 512> buffer;
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(buffer.data());
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        result.append(QStringView(buffer.data(), qsizetype((sizeof(buffer) - outLeft) / 2)));
        if (rc == size_t(-1) && errno != E2BIG) {
            result.append(QChar::ReplacementCharacter);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return result;
}

struct Converter
{
    iconv_t cd = iconv_t(-1);
    ByteTable table{};
};

// One converter per code page for the whole run; single-byte pages also get a byte table.
const Converter* ConverterFor(int codePage)
{
    static std::mutex mutex;
    static QHash<int, Converter*> converters;
    std::lock_guard lock(mutex);
    if (auto it = converters.constFind(codePage); it != converters.constEnd())
        return it.value();
    Converter* converter = nullptr;
    iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).constData());
    if (cd != iconv_t(-1)) {
        converter = new Converter{cd, {}};
        for (int b = 0; b < 256 && !IsMultiByte(codePage); ++b) {
            const QString one = IconvDecode(cd, QByteArray(1, char(b)));
            converter->table[size_t(b)] = one.size() == 1 ? one.at(0).unicode() : 0xFFFD;
        }
    }
    converters.insert(codePage, converter);
    return converter;
}

} // namespace

int CodePageForCharset(int charset, int documentCodePage)
{
    static const QHash<int, int> pages{{0, 1252},   {2, 1252},   {77, 10000}, {128, 932},  {129, 949},
                                       {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
                                       {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251},
                                       {222, 874},  {238, 1250}, {254, 437},  {255, 850}};
    return pages.value(charset, documentCodePage);
}

bool IsSupportedCodePage(int codePage)
{
    return ConverterFor(codePage) != nullptr;
}

QString DecodeCodePage(const QByteArray& bytes, int codePage)
{
    const Converter* converter = ConverterFor(codePage);
    if (!converter)
        converter = ConverterFor(kRtfDefaultCodePage);
    if (IsMultiByte(codePage)) {
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        return IconvDecode(converter->cd, bytes);
    }
    QString result(bytes.size(), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char b : bytes)
        *out++ = QChar(converter->table[static_cast<unsigned char>(b)]);
    return result;
}

unsigned char EncodeCp1251(char16_t c)
{
    static const QHash<char16_t, unsigned char> reverse = [] {
        QHash<char16_t, unsigned char> map;
        const Converter* converter = ConverterFor(1251);
        for (int b = 0x80; b < 256; ++b)
            if (converter && converter->table[size_t(b)] != 0xFFFD)
                map.insert(converter->table[size_t(b)], static_cast<unsigned char>(b));
        return map;
    }();
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    return reverse.value(c, 0);
}
