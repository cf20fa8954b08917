#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

struct zip;
struct zip_source;

// A zip container (EPUB, DOCX, ODT, a zipped FB2) read from memory, within bounds that keep
// a hostile archive from filling the memory: at most MaxEntries entries, and no more than
// MaxUnpackedBytes unpacked in all, however small the archive is. Every failure throws
// VemoError naming the container's file.
class ZipArchive
{
public:
    static constexpr qsizetype MaxEntries = 50000;
    static constexpr qint64 MaxUnpackedBytes = qint64(256) * 1024 * 1024;

    // Throws VemoError when bytes are no zip archive or a damaged one (a cut-off file).
    ZipArchive(const QByteArray& bytes, const QString& source);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    static bool LooksLikeZip(const QByteArray& bytes);

    const QStringList& Names() const { return m_names; }
    bool Contains(const QString& name) const;
    // The unpacked entry; counts against the archive's unpacking budget. Throws VemoError
    // when the entry is missing, damaged or larger than the budget left.
    QByteArray Read(const QString& name);
    const QString& Source() const { return m_source; }

private:
    [[noreturn]] void Fail(const QString& reason) const;

    QByteArray m_bytes; // libzip reads from this buffer for the archive's life
    QString m_source;
    zip_source* m_zipSource = nullptr;
    zip* m_archive = nullptr;
    QStringList m_names;
    QHash<QString, qsizetype> m_indexes; // of the names, the first entry of a name counting
    qint64 m_budget = MaxUnpackedBytes;
};
