#include "files/TextFileCodec.h"

#include "files/VemoError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>
#include <sys/stat.h>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// One iconv conversion descriptor, closed when it goes out of scope.
class IconvHandle
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

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
        if (iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
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

QString DecodeWindows1251(const QByteArray& bytes)
{
    const IconvHandle cd("UTF-8", "CP1251");
    if (!cd.valid())
        throw VemoError(QStringLiteral("The system has no Windows-1251 converter (iconv CP1251)"));
    // Every Windows-1251 byte takes at most 3 UTF-8 bytes, as does the replacement mark.
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

} // namespace

DecodedText DecodeTextBytes(const QByteArray& bytes)
{
    const bool bom = bytes.startsWith(Utf8Bom);
    const QByteArrayView body = bom ? QByteArrayView(bytes).sliced(Utf8Bom.size()) : QByteArrayView(bytes);
    if (std::optional<QString> text = DecodeStrictUtf8(body))
        return {*text, TextEncoding::Utf8, bom};
    return {DecodeWindows1251(bytes), TextEncoding::Windows1251, false};
}

std::optional<QByteArray> EncodeText(const QString& text, TextEncoding encoding, bool withBom)
{
    if (encoding == TextEncoding::Utf8)
        return withBom ? Utf8Bom + text.toUtf8() : text.toUtf8();
    const IconvHandle cd("CP1251", "UTF-8");
    if (!cd.valid())
        return std::nullopt;
    // A lone surrogate has no Windows-1251 form either: refuse rather than write a "?".
    for (const QChar c : text)
        if (c.isSurrogate())
            return std::nullopt;
    return Convert(cd, text.toUtf8(), QByteArray(), 1);
}

void RequireRegularFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw VemoError(QStringLiteral("Не удалось открыть файл \"%1\": это не обычный файл "
                                       "(папка, устройство или канал), текст читается только из файлов")
                            .arg(path));
}

QByteArray ReadOpenFileBytes(QFile& file, const QString& path)
{
    struct stat status = {};
    if (fstat(file.handle(), &status) != 0 || !S_ISREG(status.st_mode))
        throw VemoError(QStringLiteral("Не удалось открыть файл \"%1\": это не обычный файл").arg(path));
    const auto tooLarge = [&path] {
        return VemoError(QStringLiteral("Файл \"%1\" слишком велик: читается не больше %2 МБ")
                             .arg(path)
                             .arg(MaxTextFileBytes / (1024 * 1024)));
    };
    if (status.st_size > MaxTextFileBytes)
        throw tooLarge();
    QByteArray bytes;
    bytes.reserve(qsizetype(status.st_size));
    constexpr qint64 Chunk = 1024 * 1024;
    for (;;) {
        const qsizetype had = bytes.size();
        const qint64 wanted = qMin(Chunk, MaxTextFileBytes + 1 - had);
        bytes.resize(had + qsizetype(wanted));
        const qint64 got = file.read(bytes.data() + had, wanted);
        if (got < 0)
            throw VemoError(
                QStringLiteral("Не удалось прочитать файл \"%1\": %2").arg(path, file.errorString()));
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
        throw VemoError(QStringLiteral("Не удалось открыть файл \"%1\": %2").arg(path, file.errorString()));
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

void WriteTextFile(const QString& path, const QString& text, TextEncoding encoding, bool withBom)
{
    const std::optional<QByteArray> bytes = EncodeText(text, encoding, withBom);
    if (!bytes)
        throw VemoError(
            QStringLiteral("Текст содержит знаки, которых нет в кодировке %1; файл \"%2\" не записан")
                .arg(EncodingName(encoding), path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit())
        throw VemoError(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(path, file.errorString()));
}

QString EncodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1251");
}
