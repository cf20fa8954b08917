#pragma once

#include <QSet>
#include <QString>

// The log of folder runs, "vemo-run.log" in the text folder: every run appends its start,
// each book with its result, the video batch's outcome and its end, one dated entry at a
// time. An entry is written in one piece to a file opened for appending, so that entries of
// runs side by side (workers, several machines on one share) never mix, and a killed run
// leaves every entry it made.
class RunLog
{
public:
    static inline const QString FileName = QStringLiteral("vemo-run.log");

    explicit RunLog(const QString& folderName);

    // Appends the date and time, text and a line break; lines after the first of text are
    // indented. False when the entry could not be written; the reason is kept.
    bool Add(const QString& text);

    QString Path() const { return m_path; }

    // The books whose last entry in the log says their conversion was stopped: what they
    // have on disk is cut short. The entries are "book " + the text file + ": " + outcome.
    QSet<QString> StoppedBooks() const;

    // The outcomes of a book's entry, as StoppedBooks reads them.
    static inline const QString Done = QStringLiteral(": done in ");
    static inline const QString Failed = QStringLiteral(": FAILED after ");
    static inline const QString Stopped = QStringLiteral(": stopped after ");
    static inline const QString Skipped = QStringLiteral(": skipped, ");
    // Why the last entry that failed could not be written; empty when none failed.
    const QString& Failure() const { return m_failure; }

private:
    QString m_path;
    QString m_failure;
};
