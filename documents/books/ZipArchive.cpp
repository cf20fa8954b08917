#include "documents/books/ZipArchive.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <zip.h>

namespace {

constexpr qint64 Chunk = 64 * 1024;

QString LibzipError(zip_error_t* error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

} // namespace

bool ZipArchive::LooksLikeZip(const QByteArray& bytes)
{
    return bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06");
}

ZipArchive::ZipArchive(const QByteArray& bytes, const QString& source) : m_bytes(bytes), m_source(source)
{
    zip_error_t error;
    zip_error_init(&error);
    m_zipSource = zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (!m_zipSource) {
        const QString reason = LibzipError(&error);
        zip_error_fini(&error);
        Fail(reason);
    }
    // The archive is checked whole (ZIP_CHECKCONS): a cut-off or patched directory is
    // refused here, not met half-way through the book.
    m_archive = zip_open_from_source(m_zipSource, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!m_archive) {
        const QString reason = LibzipError(&error);
        zip_error_fini(&error);
        zip_source_free(m_zipSource);
        m_zipSource = nullptr;
        Fail(Say("damaged or incomplete zip archive: %1", "повреждённый или неполный zip-архив: %1")
                 .arg(reason));
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    if (count < 0 || count > MaxEntries) {
        zip_discard(m_archive);
        m_archive = nullptr;
        Fail(Say("the archive holds %1 files, more than the allowed %2",
                 "в архиве %1 файлов, больше допустимых %2")
                 .arg(count)
                 .arg(MaxEntries));
    }
    m_names.reserve(count);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        m_names.append(name ? QString::fromUtf8(name) : QString());
        if (!m_indexes.contains(m_names.last()))
            m_indexes.insert(m_names.last(), m_names.size() - 1);
    }
}

ZipArchive::~ZipArchive()
{
    // zip_open_from_source took the source over; zip_discard releases both.
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipArchive::Contains(const QString& name) const
{
    return m_indexes.contains(name);
}

void ZipArchive::Fail(const QString& reason) const
{
    throw VemoError(QStringLiteral("Failed to Load Stream: %1 (%2)").arg(m_source, reason));
}

QByteArray ZipArchive::Read(const QString& name)
{
    const qsizetype index = m_indexes.value(name, -1);
    if (index < 0)
        Fail(Say("the archive has no file \"%1\"", "в архиве нет файла «%1»").arg(name));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0)
        Fail(Say("file \"%1\" of the archive cannot be read: %2", "файл «%1» архива не читается: %2")
                 .arg(name, QString::fromLocal8Bit(zip_strerror(m_archive))));
    const auto tooLarge = [this, &name] {
        Fail(Say("file \"%1\" of the archive unpacks to more than %2 MB",
                 "файл «%1» архива распаковывается больше чем в %2 МБ")
                 .arg(name)
                 .arg(MaxUnpackedBytes / (1024 * 1024)));
    };
    // The stated size may lie: it is only a first refusal; the reading below counts itself.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(m_budget))
        tooLarge();
    zip_file_t* file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file)
        Fail(Say("file \"%1\" of the archive does not open: %2", "файл «%1» архива не открывается: %2")
                 .arg(name, QString::fromLocal8Bit(zip_strerror(m_archive))));
    QByteArray bytes;
    const bool sized = stat.valid & ZIP_STAT_SIZE;
    if (sized)
        bytes.reserve(qsizetype(stat.size) + 1);
    for (;;) {
        // Up to the stated size and one byte more, which tells an entry longer than stated.
        const qsizetype had = bytes.size();
        const qint64 wanted = sized ? qBound<qint64>(1, qint64(stat.size) + 1 - had, Chunk) : Chunk;
        bytes.resize(had + wanted);
        const zip_int64_t got = zip_fread(file, bytes.data() + had, zip_uint64_t(wanted));
        if (got < 0) {
            const QString reason = QString::fromLocal8Bit(zip_file_strerror(file));
            zip_fclose(file);
            Fail(Say("file \"%1\" of the archive is damaged: %2", "файл «%1» архива повреждён: %2")
                     .arg(name, reason));
        }
        bytes.truncate(had + got);
        if (bytes.size() > m_budget) {
            zip_fclose(file);
            tooLarge();
        }
        if (got == 0)
            break;
    }
    // Closing checks the entry's checksum.
    if (const int closed = zip_fclose(file); closed != 0) {
        zip_error_t error;
        zip_error_init_with_code(&error, closed);
        const QString reason = LibzipError(&error);
        zip_error_fini(&error);
        Fail(Say("file \"%1\" of the archive is damaged: %2", "файл «%1» архива повреждён: %2")
                 .arg(name, reason));
    }
    m_budget -= bytes.size();
    return bytes;
}
