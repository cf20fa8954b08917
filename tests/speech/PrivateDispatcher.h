#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// A speech-dispatcher of the test's own: its configuration folder and socket in a temporary
// folder, its espeak-ng module, its sound going to the sound server of the run (the null
// sink of tools/with-pulse.sh). SPEECHD_ADDRESS names its socket once it runs. A daemon left
// behind by a test that crashed ends itself after a minute without clients.
class PrivateDispatcher
{
public:
    static bool Installed()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")).isEmpty() &&
               QFileInfo::exists(QStringLiteral("/usr/lib/speech-dispatcher-modules/sd_espeak-ng"));
    }

    ~PrivateDispatcher() { Stop(); }

    // The address of a socket nobody listens on: no daemon answers there.
    QByteArray AbsentAddress() const
    {
        return "unix_socket:" + m_dir.filePath(QStringLiteral("none.sock")).toLocal8Bit();
    }

    // The address the daemon listens on once started.
    QByteArray Address() const
    {
        return "unix_socket:" + m_dir.filePath(QStringLiteral("speechd.sock")).toLocal8Bit();
    }

    bool Start()
    {
        QDir dir(m_dir.path());
        dir.mkpath(QStringLiteral("conf/modules"));
        dir.mkpath(QStringLiteral("logs"));
        if (!Write(dir.filePath(QStringLiteral("conf/speechd.conf")),
                   "AudioOutputMethod \"pulse\"\n"
                   "DefaultModule espeak-ng\n"
                   "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                   "LogLevel 1\n") ||
            !Write(dir.filePath(QStringLiteral("conf/modules/espeak-ng.conf")), "EspeakIndexing 1\n"))
            return false;
        const QString socket = dir.filePath(QStringLiteral("speechd.sock"));
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.setStandardOutputFile(QProcess::nullDevice());
        m_daemon.start(QStringLiteral("speech-dispatcher"),
                       {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("60"),
                        QStringLiteral("-C"), dir.filePath(QStringLiteral("conf")), QStringLiteral("-S"),
                        socket, QStringLiteral("-L"), dir.filePath(QStringLiteral("logs")),
                        QStringLiteral("-P"), dir.filePath(QStringLiteral("speechd.pid"))});
        if (!m_daemon.waitForStarted(5000))
            return false;
        qputenv("SPEECHD_ADDRESS", Address());
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(socket) && clock.elapsed() < 10000)
            QTest::qWait(50);
        return QFileInfo::exists(socket);
    }

    bool Running() const { return m_daemon.state() != QProcess::NotRunning; }

    // Ends the daemon as a shutdown does (SIGTERM), or as a crash (SIGKILL) when crash is set.
    void Stop(bool crash = false)
    {
        if (m_daemon.state() == QProcess::NotRunning)
            return;
        if (crash)
            m_daemon.kill();
        else
            m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000))
            m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

private:
    static bool Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
};
