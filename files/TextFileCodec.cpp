#include "files/TextFileCodec.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// One iconv conversion descriptor, closed when it goes out of scope.
class IconvHandle
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (Valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Runs the whole input through iconv. An unconvertible input byte is replaced by
// `replacement` when one is given; otherwise the conversion fails (nullopt).
std::optional<QByteArray> Convert(const IconvHandle& cd, const QByteArray& in, const QByteArray& replacement,
                                  qsizetype outFactor)
{
    QByteArray out(in.size() * outFactor + 16, Qt::Uninitialized);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    while (srcLeft > 0) {
        if (iconv(cd.Get(), &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if ((errno != EILSEQ && errno != EINVAL) || replacement.isEmpty() ||
            dstLeft < size_t(replacement.size()))
            return std::nullopt;
        memcpy(dst, replacement.constData(), size_t(replacement.size()));
        dst += replacement.size();
        dstLeft -= size_t(replacement.size());
        ++src;
        --srcLeft;
    }
    out.truncate(dst - out.data());
    return out;
}

const char* IconvName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Koi8R:
        return "KOI8-R";
    case TextEncoding::Cp866:
        return "CP866";
    default:
        return "CP1251";
    }
}

QString DecodeSingleByte(const QByteArray& bytes, TextEncoding encoding)
{
    const IconvHandle cd("UTF-8", IconvName(encoding));
    if (!cd.Valid())
        throw VemoError(QStringLiteral("The system has no %1 converter (iconv %2)")
                            .arg(EncodingName(encoding), QLatin1String(IconvName(encoding))));
    // Every single-byte character takes at most 3 UTF-8 bytes, as does the replacement mark.
    const std::optional<QByteArray> utf8 = Convert(cd, bytes, QByteArray("\xEF\xBF\xBD"), 3);
    return QString::fromUtf8(utf8.value_or(QByteArray()));
}

std::optional<QString> DecodeStrictUtf8(QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end is an error, not kept for a later call.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// UTF-8 with a few bad sequences, each replaced by U+FFFD: taken when the text holds at least
// ten well-formed multi-byte characters for every bad sequence. A single-byte Cyrillic text
// seldom forms even one.
std::optional<DecodedText> DecodeMostlyUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    const qsizetype ownMarks = QByteArrayView(bytes).count(QByteArrayView("\xEF\xBF\xBD"));
    qsizetype marks = 0;
    qsizetype wide = 0;
    for (const QChar c : std::as_const(text)) {
        if (c.unicode() == 0xFFFD)
            ++marks;
        else if (c.unicode() >= 0x80 && !c.isLowSurrogate())
            ++wide;
    }
    const qsizetype bad = marks - ownMarks;
    if (bad <= 0 || wide < 10 * bad)
        return std::nullopt;
    return DecodedText{std::move(text), TextEncoding::Utf8, false, int(qMin<qsizetype>(bad, INT_MAX))};
}

// How often each lower-case Russian letter stands in ordinary text, per 10 000 letters.
int LetterFrequency(char16_t lower)
{
    static constexpr int Frequencies[32] = {
        801, 159, 454, 170, 298, 845, 94, 165, 735, 121, 349, 440, 321, 670, 1097, 281,  // а..п
        473, 547, 626, 262, 26,  97,  48, 144, 73,  36,  4,   190, 174, 32,  64,   201}; // р..я
    if (lower >= u'а' && lower <= u'я')
        return Frequencies[lower - u'а'];
    if (lower == u'ё')
        return 20;
    return 5; // the letters of the other Cyrillic alphabets
}

// Signs a Russian text written in a single-byte code page plausibly holds besides letters.
bool IsTextSign(QChar c)
{
    return QStringView(u"«»„“”‘’–—…№°§©®™€\u00A0\u00AD·").contains(c);
}

bool IsCyrillicLetter(QChar c)
{
    return c.script() == QChar::Script_Cyrillic && c.isLetter();
}

// How much a text reads like Russian: every character beyond ASCII scores the logarithm of
// its letter's frequency, a common sign a fixed low score, anything else (box drawing,
// mathematics, undefined bytes) far less; a capital straight after a small letter, as a
// code page read as another gives in nearly every word, costs extra.
double RussianScore(const QString& text)
{
    double score = 0;
    QChar previous;
    int vowels = 0;     // in a row
    int consonants = 0; // in a row
    for (const QChar c : text) {
        const bool letter = IsCyrillicLetter(c);
        if (letter) {
            const char16_t lower = c.toLower().unicode();
            score += std::log(LetterFrequency(lower) / 10000.0);
            if (c.isUpper() && IsCyrillicLetter(previous) && previous.isLower())
                score -= 4.0;
            const bool vowel = QStringView(u"аеёиоуыэюя").contains(QChar(lower));
            vowels = vowel ? vowels + 1 : 0;
            consonants = vowel ? 0 : consonants + 1;
            // Russian words alternate vowels and consonants; a code page read as another
            // gives long runs of either.
            if (vowels > 2 || consonants > 3)
                score -= 3.0;
        } else {
            vowels = consonants = 0;
            if (c.unicode() >= 0x80)
                score += IsTextSign(c) ? -7.0 : -12.0;
        }
        previous = c;
    }
    return score;
}

// The single-byte Cyrillic code page among Windows-1251, KOI8-R and CP866 whose reading of
// the bytes scores best. Windows-1251, the most common, starts with a small lead that
// decides only texts of a letter or two.
DecodedText DecodeCyrillicCodePage(const QByteArray& bytes)
{
    DecodedText best{DecodeSingleByte(bytes, TextEncoding::Windows1251), TextEncoding::Windows1251};
    double bestScore = RussianScore(best.text) + 4.0;
    for (const TextEncoding other : {TextEncoding::Koi8R, TextEncoding::Cp866}) {
        QString text = DecodeSingleByte(bytes, other);
        const double score = RussianScore(text);
        if (score > bestScore) {
            bestScore = score;
            best = {std::move(text), other};
        }
    }
    return best;
}

struct ByteOrderMark
{
    QByteArrayView bytes;
    TextEncoding encoding;
    QStringConverter::Encoding converter;
};

// UTF-32 LE is looked for before UTF-16 LE, whose mark starts it.
constexpr ByteOrderMark Boms[] = {
    {QByteArrayView("\xFF\xFE\x00\x00", 4), TextEncoding::Utf32LE, QStringConverter::Utf32LE},
    {QByteArrayView("\x00\x00\xFE\xFF", 4), TextEncoding::Utf32BE, QStringConverter::Utf32BE},
    {QByteArrayView("\xFF\xFE", 2), TextEncoding::Utf16LE, QStringConverter::Utf16LE},
    {QByteArrayView("\xFE\xFF", 2), TextEncoding::Utf16BE, QStringConverter::Utf16BE},
};

std::optional<QStringConverter::Encoding> UnicodeConverter(TextEncoding encoding)
{
    for (const ByteOrderMark& bom : Boms)
        if (bom.encoding == encoding)
            return bom.converter;
    return std::nullopt;
}

// UTF-32 after its mark, read here rather than by Qt 6.4, whose reader turns a value beyond
// U+10FFFF into stray surrogates: such a value, a surrogate and a cut-off last unit each
// become U+FFFD.
QString DecodeUtf32(QByteArrayView body, bool littleEndian)
{
    QString text;
    text.reserve(body.size() / 4 + 1);
    for (qsizetype i = 0; i + 4 <= body.size(); i += 4) {
        const auto* unit = reinterpret_cast<const uchar*>(body.data() + i);
        const char32_t code = littleEndian ? qFromLittleEndian<quint32>(unit) : qFromBigEndian<quint32>(unit);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            text += QChar(QChar::ReplacementCharacter);
        else
            text += QStringView(QChar::fromUcs4(code));
    }
    if (body.size() % 4 != 0)
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

// UTF-16 after its mark: a surrogate without its partner becomes U+FFFD.
QString DecodeUtf16(const QByteArray& bytes, QStringConverter::Encoding converter)
{
    // The decoder drops the mark itself, and only the first: a second one is text.
    QStringDecoder decoder(converter, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar(QChar::ReplacementCharacter);
    }
    return text;
}

} // namespace

DecodedText DecodeTextBytes(const QByteArray& bytes)
{
    for (const ByteOrderMark& bom : Boms) {
        if (bytes.startsWith(bom.bytes)) {
            const QByteArrayView body = QByteArrayView(bytes).sliced(bom.bytes.size());
            switch (bom.encoding) {
            case TextEncoding::Utf32LE:
            case TextEncoding::Utf32BE:
                return {DecodeUtf32(body, bom.encoding == TextEncoding::Utf32LE), bom.encoding, true};
            default:
                return {DecodeUtf16(bytes, bom.converter), bom.encoding, true};
            }
        }
    }
    const bool bom = bytes.startsWith(Utf8Bom);
    const QByteArrayView body = bom ? QByteArrayView(bytes).sliced(Utf8Bom.size()) : QByteArrayView(bytes);
    if (std::optional<QString> text = DecodeStrictUtf8(body))
        return {*text, TextEncoding::Utf8, bom};
    if (std::optional<DecodedText> text = DecodeMostlyUtf8(body)) {
        text->hadBom = bom;
        return *text;
    }
    return DecodeCyrillicCodePage(bytes);
}

QString ReplacedBytesMessage(const QString& path, int replacedBytes)
{
    return Say("File \"%1\" was read as UTF-8; invalid byte sequences: %2, replaced by \uFFFD",
               "Файл \"%1\" прочитан как UTF-8; неверных последовательностей байтов: %2, "
               "они заменены знаком \uFFFD")
        .arg(path)
        .arg(replacedBytes);
}

std::optional<QByteArray> EncodeText(const QString& text, TextEncoding encoding, bool withBom)
{
    if (encoding == TextEncoding::Utf8)
        return withBom ? Utf8Bom + text.toUtf8() : text.toUtf8();
    if (const std::optional<QStringConverter::Encoding> unicode = UnicodeConverter(encoding)) {
        QStringEncoder encoder(*unicode, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    }
    const IconvHandle cd(IconvName(encoding), "UTF-8");
    if (!cd.Valid())
        return std::nullopt;
    // A lone surrogate has no single-byte form either: refuse rather than write a "?".
    for (const QChar c : text)
        if (c.isSurrogate())
            return std::nullopt;
    return Convert(cd, text.toUtf8(), QByteArray(), 1);
}

void RequireRegularFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw VemoError(Say("Could not open file \"%1\": it is not a regular file (a folder, device "
                            "or pipe); text is read from files only",
                            "Не удалось открыть файл \"%1\": это не обычный файл "
                            "(папка, устройство или канал), текст читается только из файлов")
                            .arg(path));
}

QByteArray ReadOpenFileBytes(QFile& file, const QString& path)
{
    struct stat status = {};
    if (fstat(file.handle(), &status) != 0 || !S_ISREG(status.st_mode))
        throw VemoError(Say("Could not open file \"%1\": it is not a regular file",
                            "Не удалось открыть файл \"%1\": это не обычный файл")
                            .arg(path));
    const auto tooLarge = [&path] {
        return VemoError(Say("File \"%1\" is too large: at most %2 MB is read",
                             "Файл \"%1\" слишком велик: читается не больше %2 МБ")
                             .arg(path)
                             .arg(MaxTextFileBytes / (1024 * 1024)));
    };
    if (status.st_size > MaxTextFileBytes)
        throw tooLarge();
    QByteArray bytes;
    // The stated size and one byte more, to see the end: a file that keeps its size is read
    // into one buffer of its size, never into a grown copy.
    bytes.reserve(qsizetype(status.st_size) + 1);
    constexpr qint64 Chunk = 1024 * 1024;
    for (;;) {
        const qsizetype had = bytes.size();
        const qint64 room = bytes.capacity() - had;
        const qint64 wanted = qMin(room > 0 ? room : Chunk, MaxTextFileBytes + 1 - had);
        bytes.resize(had + qsizetype(wanted));
        const qint64 got = file.read(bytes.data() + had, wanted);
        if (got < 0)
            throw VemoError(Say("Could not read file \"%1\": %2", "Не удалось прочитать файл \"%1\": %2")
                                .arg(path, file.errorString()));
        bytes.truncate(had + qsizetype(got));
        if (bytes.size() > MaxTextFileBytes)
            throw tooLarge();
        if (got == 0)
            return bytes;
    }
}

QByteArray ReadFileBytes(const QString& path)
{
    RequireRegularFile(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VemoError(Say("Could not open file \"%1\": %2", "Не удалось открыть файл \"%1\": %2")
                            .arg(path, file.errorString()));
    return ReadOpenFileBytes(file, path);
}

bool IsSameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat first = {};
    struct stat second = {};
    return stat(QFile::encodeName(a).constData(), &first) == 0 &&
           stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

DecodedText ReadTextFile(const QString& path)
{
    return DecodeTextBytes(ReadFileBytes(path));
}

QString ReplaceFileContents(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // QSaveFile keeps a small write in its buffer; a full disk shows only when the buffer is
    // flushed, and commit() alone would then rename a short file over the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (fsync(file.handle()) != 0) {
        const QString reason = QString::fromLocal8Bit(strerror(errno));
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

void WriteTextFile(const QString& path, const QString& text, TextEncoding encoding, bool withBom)
{
    const std::optional<QByteArray> bytes = EncodeText(text, encoding, withBom);
    if (!bytes)
        throw VemoError(Say("The text has characters that encoding %1 lacks; file \"%2\" was not written",
                            "Текст содержит знаки, которых нет в кодировке %1; файл \"%2\" не записан")
                            .arg(EncodingName(encoding), path));
    const QString failure = ReplaceFileContents(path, *bytes);
    if (!failure.isEmpty())
        throw VemoError(
            Say("Could not write file \"%1\": %2", "Не удалось записать файл \"%1\": %2").arg(path, failure));
}

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Windows1251:
        return QStringLiteral("Windows-1251");
    case TextEncoding::Koi8R:
        return QStringLiteral("KOI8-R");
    case TextEncoding::Cp866:
        return QStringLiteral("CP866");
    case TextEncoding::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case TextEncoding::Utf32LE:
        return QStringLiteral("UTF-32LE");
    case TextEncoding::Utf32BE:
        return QStringLiteral("UTF-32BE");
    }
    return QString();
}
