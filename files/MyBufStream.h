#pragma once

#include <QObject>
#include <QString>

// An append-only writer that keeps one file open between writes. While the file is open it
// holds an exclusive flock on it, so two writers (in this process or another) never mix their
// bytes; a writer that finds the lock taken waits up to lockWaitMs() and then fails. No
// operation throws: each reports failure as false.
class TSBufOut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(bool CretateNew READ CretateNew WRITE SetCretateNew)

public:
    static constexpr int DefaultLockWaitMs = 2000;

    explicit TSBufOut(QObject* parent = nullptr);
    ~TSBufOut() override;

    QString FileName() const { return m_fileName; }
    // A different name closes the open file; the same name changes nothing.
    void SetFileName(const QString& name);
    bool CretateNew() const { return m_createNew; }
    // When true, every opening first empties the file; when false, writing goes on at its end.
    void SetCretateNew(bool createNew) { m_createNew = createNew; }

    bool OpenFile();
    // Writes the text's UTF-8 bytes at the current position, opening the file first if needed.
    bool WriteString(const QString& text);
    bool WriteBytes(const QByteArray& bytes);
    bool CloseFile();
    bool IsOpen() const { return m_fd >= 0; }
    int LockWaitMs() const { return m_lockWaitMs; }
    void SetLockWaitMs(int ms) { m_lockWaitMs = ms; }

private:
    bool LockWithin(int fd, int waitMs) const;
    bool PrepareOpened(int fd) const;

    QString m_fileName;
    bool m_createNew = false;
    int m_lockWaitMs = DefaultLockWaitMs;
    int m_fd = -1;
};
