#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket that takes connections and never reads from them: a daemon that hangs.
class SilentSocket
{
public:
    explicit SilentSocket(const QString& path)
    {
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        qstrncpy(address.sun_path, name.constData(), sizeof(address.sun_path));
        m_listening = m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                      listen(m_fd, 4) == 0;
    }
    ~SilentSocket()
    {
        for (const int fd : m_taken)
            close(fd);
        if (m_fd >= 0)
            close(m_fd);
    }
    bool listening() const { return m_listening; }
    // True once a connection has come.
    bool asked() const
    {
        const int fd = accept(m_fd, nullptr, nullptr);
        if (fd >= 0)
            m_taken.append(fd);
        return !m_taken.isEmpty();
    }

private:
    int m_fd = -1;
    bool m_listening = false;
    mutable QList<int> m_taken; // kept open, never read
};

} // namespace

// Without a speech-dispatcher that answers, its voices are simply absent: no error, no
// daemon started, and no wait for it on the thread that builds the voice lists.
class TestDispatcherAbsent : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static bool HasServiceVoice(const SpeechVoice& voice)
    {
        const QList<VoiceToken> voices = voice.GetVoices();
        return std::any_of(voices.cbegin(), voices.cend(), [](const VoiceToken& t) { return t.aloudOnly; });
    }

private slots:
    void noDaemon();
    void daemonThatNeverAnswers();
};

// Nothing listens on the socket: the listing ends at once with the engines' voices alone,
// and no daemon is spawned in its place.
void TestDispatcherAbsent::noDaemon()
{
    const QString socket = m_dir.filePath(QStringLiteral("absent.sock"));
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
    auto voice = CreateVoice(SpeechEngineKind::Espeak);
    QSignalSpy messages(voice.get(), &SpeechVoice::DeviceMessage);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(voice->WaitForVoices(5000));
    QVERIFY2(clock.elapsed() < 200, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QVERIFY(!voice->GetVoices().isEmpty());
    QVERIFY(!HasServiceVoice(*voice));
    QTest::qWait(500);
    QVERIFY(!QFileInfo::exists(socket));
    QCOMPARE(messages.count(), 0);
}

// A daemon that takes the connection but never replies holds neither the caller nor the
// voice's end.
void TestDispatcherAbsent::daemonThatNeverAnswers()
{
    const QString socket = m_dir.filePath(QStringLiteral("silent.sock"));
    SilentSocket silent(socket);
    QVERIFY(silent.listening());
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
    QElapsedTimer clock;
    {
        auto voice = CreateVoice(SpeechEngineKind::Espeak);
        clock.restart();
        QVERIFY(!voice->WaitForVoices(0));
        QVERIFY(!HasServiceVoice(*voice));
        QVERIFY2(clock.elapsed() < 200, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        QTRY_VERIFY(silent.asked()); // it did ask
        QVERIFY(!voice->WaitForVoices(300));
        clock.restart();
    }
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QStringLiteral("closing took %1 ms").arg(clock.elapsed())));
}

QTEST_MAIN(TestDispatcherAbsent)
#include "tst_dispatcherabsent.moc"
