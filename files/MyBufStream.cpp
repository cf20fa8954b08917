#include "files/MyBufStream.h"

#include <QFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TSBufOut::TSBufOut(QObject* parent) : QObject(parent) {}

TSBufOut::~TSBufOut()
{
    CloseFile();
}

void TSBufOut::SetFileName(const QString& name)
{
    if (name == m_fileName)
        return;
    CloseFile();
    m_fileName = name;
}

bool TSBufOut::LockWithin(int fd, int waitMs) const
{
    constexpr int stepMs = 5;
    for (int waited = 0;; waited += stepMs) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (waited >= waitMs)
            return false;
        QThread::msleep(stepMs);
    }
}

// Under the lock: empty the file or move to its end.
bool TSBufOut::PrepareOpened(int fd) const
{
    if (m_createNew)
        return ftruncate(fd, 0) == 0;
    return lseek(fd, 0, SEEK_END) >= 0;
}

bool TSBufOut::OpenFile()
{
    if (IsOpen())
        return true;
    if (m_fileName.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(m_fileName);
    // Non-blocking, so a FIFO without a reader fails at once instead of hanging the caller.
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return false;
    if (!LockWithin(fd, m_lockWaitMs) || !PrepareOpened(fd)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool TSBufOut::WriteString(const QString& text)
{
    return WriteBytes(text.toUtf8());
}

bool TSBufOut::WriteBytes(const QByteArray& bytes)
{
    if (!OpenFile())
        return false;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

bool TSBufOut::CloseFile()
{
    if (!IsOpen())
        return true;
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0; // closing releases the lock
}
