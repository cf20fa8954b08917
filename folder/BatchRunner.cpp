#include "folder/BatchRunner.h"

#include "folder/ShellQuote.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int SliceMs = 200;
constexpr int PollMs = 10;
constexpr int TermGraceMs = 1000;

// Spawn attributes: a new process group led by the child, default signal handling and an
// empty signal mask, whatever this program has set for itself.
class SpawnSetup
{
public:
    explicit SpawnSetup(const QByteArray& errorFile)
    {
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr,
                                 POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        posix_spawnattr_setpgroup(&attr, 0);
        sigset_t signalSet;
        sigfillset(&signalSet);
        posix_spawnattr_setsigdefault(&attr, &signalSet);
        sigemptyset(&signalSet);
        posix_spawnattr_setsigmask(&attr, &signalSet);
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (errorFile.isEmpty())
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        else
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.constData(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
};

// With an error file, the shell echoes every line it reads ("-v") into it before running
// it, so that the converter's messages stand after the command they came from.
pid_t StartBatch(const QString& batchFile, const QString& errorFile)
{
    // A full name, so that the shell never reads a name beginning with "-" as an option.
    const QByteArray file = QFile::encodeName(QFileInfo(batchFile).absoluteFilePath());
    char shell[] = "/bin/sh";
    char echo[] = "-v";
    char* plain[] = {shell, const_cast<char*>(file.constData()), nullptr};
    char* echoing[] = {shell, echo, const_cast<char*>(file.constData()), nullptr};
    char** argv = errorFile.isEmpty() ? plain : echoing;
    SpawnSetup setup(QFile::encodeName(errorFile));
    pid_t pid = 0;
    if (posix_spawn(&pid, shell, &setup.actions, &setup.attr, argv, environ) != 0)
        return -1;
    return pid;
}

// True when the child has ended; it is left a zombie, so that its process id (which is
// also the id of its process group) cannot be taken by another process meanwhile.
bool HasEnded(pid_t pid)
{
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
}

bool WaitForEnd(pid_t pid, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!HasEnded(pid)) {
        if (clock.elapsed() >= milliseconds)
            return false;
        usleep(PollMs * 1000);
    }
    return true;
}

void Reap(pid_t pid)
{
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void KillGroup(pid_t pid)
{
    kill(-pid, SIGTERM);
    WaitForEnd(pid, TermGraceMs);
    kill(-pid, SIGKILL);
    Reap(pid);
}

} // namespace

QString BatchCommandLine(const QString& batchFile, bool echoing)
{
    return QStringLiteral("/bin/sh ") + (echoing ? QStringLiteral("-v ") : QString()) +
           ShellQuote(QFileInfo(batchFile).absoluteFilePath());
}

bool RunBatchAndWait(const QString& batchFile, qint64 limitSeconds,
                     const std::function<bool()>& stopRequested,
                     const std::function<void(const QString&)>& log, const QString& errorFile)
{
    const pid_t pid = StartBatch(batchFile, errorFile);
    if (pid < 0)
        return false;
    const qint64 limitMs = limitSeconds * 1000;
    QElapsedTimer clock;
    clock.start();
    bool stopped = false;
    while (!WaitForEnd(pid, SliceMs)) {
        if (clock.elapsed() >= limitMs)
            break;
        if (stopRequested && stopRequested()) {
            stopped = true;
            break;
        }
        QCoreApplication::processEvents();
    }
    if (stopped) {
        std::thread(Reap, pid).detach();
        return true;
    }
    if (clock.elapsed() >= limitMs && !WaitForEnd(pid, SliceMs)) {
        KillGroup(pid);
        if (log)
            log(QStringLiteral("Terminate Process ") + BatchCommandLine(batchFile, !errorFile.isEmpty()));
        return false;
    }
    Reap(pid);
    return true;
}
