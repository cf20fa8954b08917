#include "files/MyBufStream.h"
#include "files/UnitFindFilesSL.h"
#include "files/VemoError.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

const char* ChildVariable = "VEMO_LOGERR_CHILD";
const char* StartVariable = "VEMO_LOGERR_START"; // when both children begin, ms since the epoch
constexpr int ChildLines = 1000;

QString ChildLine(const QString& tag, int k)
{
    return tag + QString::number(k) + u' ' + QString(4000, tag.at(0)) + QStringLiteral(" конец");
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

bool RunQuietly(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Binds a Unix socket at path (kept open for the test's lifetime).
int MakeSocket(const QString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof(addr.sun_path))
        return -1;
    memcpy(addr.sun_path, name.constData(), size_t(name.size()));
    return bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 ? fd : -1;
}

// Clears the immutable flag again however the test ends, so the folder can be removed.
struct ImmutableGuard
{
    QString path;
    ~ImmutableGuard()
    {
        if (!path.isEmpty())
            RunQuietly("chattr", {"-i", path});
    }
};

} // namespace

class TestUnitFindFilesSL : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void logErrAppendsLines();
    void logErrFromTwoProcesses();
    void logErrInUnwritableFolderGoesToCache();
    void strLoad_data();
    void strLoad();
    void strLoadGivesUpOnUnreadable_data();
    void strLoadGivesUpOnUnreadable();
    void strLoadWaitsForWriter();
    void findFiles();
    void findFilesMissingFolder();
    void deleteFlagFile();
    void deleteFlagFileUndeletable();

private:
    QStringList logLines() const;

    QTemporaryDir* m_dir = nullptr;
    QString m_previousDir;
};

void TestUnitFindFilesSL::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestUnitFindFilesSL::cleanup()
{
    QDir::setCurrent(m_previousDir);
    delete m_dir;
    m_dir = nullptr;
}

QStringList TestUnitFindFilesSL::logLines() const
{
    const QString all = QString::fromUtf8(ReadBytes(m_dir->filePath(LogErrFileName)));
    QStringList lines = all.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TestUnitFindFilesSL::logErrAppendsLines()
{
    QVERIFY(!QFile::exists(LogErrFileName));
    LogErr(QStringLiteral("первая строка"));
    LogErr(QStringLiteral("second"));
    LogErr(QString());
    QCOMPARE(ReadBytes(LogErrFileName), QStringLiteral("первая строка\r\nsecond\r\n\r\n").toUtf8());
}

// A current folder nobody can write (/proc, closed even to root) sends the log line to the
// user's cache folder instead of losing it.
void TestUnitFindFilesSL::logErrInUnwritableFolderGoesToCache()
{
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->filePath("cache")));
    const auto restore = qScopeGuard([&] { qputenv("XDG_CACHE_HOME", oldCache); });
    QVERIFY(QDir::setCurrent("/proc"));
    LogErr(QStringLiteral("строка"));
    LogErr(QStringLiteral("second"));
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QCOMPARE(ReadBytes("cache/vemo/" + LogErrFileName), QStringLiteral("строка\r\nsecond\r\n").toUtf8());
}

void TestUnitFindFilesSL::logErrFromTwoProcesses()
{
    QList<QProcess*> children;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 500;
    for (const QString& tag : {QStringLiteral("A"), QStringLiteral("B")}) {
        auto* child = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(ChildVariable, tag);
        env.insert(StartVariable, QString::number(start));
        child->setProcessEnvironment(env);
        child->setWorkingDirectory(m_dir->path());
        child->start(QCoreApplication::applicationFilePath(), {});
        children << child;
    }
    for (QProcess* child : children) {
        QVERIFY(child->waitForFinished(30000));
        QCOMPARE(child->exitCode(), 0);
    }
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2 * ChildLines);
    int next[2] = {0, 0};
    for (const QString& line : lines) {
        const int who = line.startsWith(u'A') ? 0 : 1;
        QCOMPARE(line, ChildLine(who ? "B" : "A", next[who]++));
    }
}

void TestUnitFindFilesSL::strLoad_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("no final break") << QByteArray("one\r\ntwo") << "one\r\ntwo\r\n";
    QTest::newRow("lf, cr, crlf") << QByteArray("a\nb\rc\r\n") << "a\r\nb\r\nc\r\n";
    QTest::newRow("lf cr is two breaks") << QByteArray("a\n\rb") << "a\r\n\r\nb\r\n";
    QTest::newRow("only a break") << QByteArray("\n") << "\r\n";
    QTest::newRow("stops at nul") << QByteArray("abc\ndef\0ghi\n", 12) << "abc\r\ndef\r\n";
    QTest::newRow("nul first") << QByteArray("\0abc", 4) << "";
    QTest::newRow("utf8 cyrillic") << QByteArray("\xD0\x94\xD0\xB0\n") << "Да\r\n";
    QTest::newRow("cp1251 cyrillic") << QByteArray("\xC4\xE0\r") << "Да\r\n";
}

void TestUnitFindFilesSL::strLoad()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    WriteBytes("in.txt", bytes);
    QCOMPARE(StrLoadFromFile("in.txt", 1, 0), text);
    QVERIFY(!QFile::exists(LogErrFileName));
}

void TestUnitFindFilesSL::strLoadGivesUpOnUnreadable_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "нет.txt";
    QTest::newRow("folder") << "folder";
    QTest::newRow("fifo") << "fifo";
}

void TestUnitFindFilesSL::strLoadGivesUpOnUnreadable()
{
    QFETCH(QString, name);
    QVERIFY(QDir().mkdir("folder"));
    QCOMPARE(mkfifo("fifo", 0600), 0);
    QElapsedTimer timer;
    timer.start();
    try {
        StrLoadFromFile(name, 4, 30);
        QFAIL("an unreadable file must end in an error");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(name), qPrintable(e.Message()));
    }
    QVERIFY(timer.elapsed() >= 3 * 30);
    QCOMPARE(logLines(), QStringList(4, "StrLoadFromFile- " + name));
}

void TestUnitFindFilesSL::strLoadWaitsForWriter()
{
    TSBufOut writer;
    writer.SetFileName("busy.txt");
    QVERIFY(writer.WriteString("written\nwhole"));
    std::thread release([&writer] {
        QThread::msleep(150);
        writer.CloseFile();
    });
    QElapsedTimer timer;
    timer.start();
    const QString text = StrLoadFromFile("busy.txt", 100, 20);
    release.join();
    QCOMPARE(text, QStringLiteral("written\r\nwhole\r\n"));
    QVERIFY(timer.elapsed() >= 140);
    const QStringList lines = logLines();
    QVERIFY(lines.size() >= 3);
    QCOMPARE(lines, QStringList(lines.size(), "StrLoadFromFile- busy.txt"));
}

void TestUnitFindFilesSL::findFiles()
{
    const QString folder = m_dir->path() + u'/';
    for (const char* name :
         {"a.txt", ".b.txt", "d.TXT", "chapter10.txt", "chapter2.txt", "x.rtf", "y.txt.bak"})
        WriteBytes(folder + name, "x");
    QVERIFY(QDir().mkdir("c.txt"));
    QVERIFY(QFile::link(folder + "a.txt", folder + "e.txt"));
    QVERIFY(QFile::link(folder + "none", folder + "f.txt"));
    QVERIFY(QFile::link(folder + "c.txt", folder + "h.txt"));
    QCOMPARE(mkfifo(QFile::encodeName(folder + "g.txt").constData(), 0600), 0);
    const int sock = MakeSocket(folder + "s.txt");
    QVERIFY(sock >= 0);

    QStringList list{"kept"};
    FindFilesSL(folder, "*.txt", list);
    ::close(sock);
    const QStringList expected = {
        "kept",           folder + "a.txt", folder + "chapter2.txt", folder + "chapter10.txt",
        folder + "d.TXT", folder + "e.txt"};
    QCOMPARE(list, expected);

    QStringList noSlash;
    FindFilesSL(m_dir->path(), "D.*", noSlash);
    QCOMPARE(noSlash, QStringList{folder + "d.TXT"});
    QStringList relative;
    FindFilesSL(QString(), "x.RTF", relative);
    QCOMPARE(relative, QStringList{"x.rtf"});
}

void TestUnitFindFilesSL::findFilesMissingFolder()
{
    QStringList list{"one", "two"};
    FindFilesSL(m_dir->filePath("missing/"), "*.txt", list);
    FindFilesSL(m_dir->path() + u'/', "*.nothing", list);
    QCOMPARE(list, (QStringList{"one", "two"}));
}

void TestUnitFindFilesSL::deleteFlagFile()
{
    int beeps = 0;
    const auto previous = SetAlertBeep([&beeps] { ++beeps; });
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!DeleteFlagFile("Start.Flag"));
    QVERIFY(timer.elapsed() < 100);

    WriteBytes("Start.Flag", "");
    QVERIFY(DeleteFlagFile("Start.Flag"));
    QVERIFY(!QFile::exists("Start.Flag"));

    QVERIFY(QFile::link("gone", "dangling.Flag"));
    QVERIFY(DeleteFlagFile("dangling.Flag"));
    QVERIFY(!QFileInfo("dangling.Flag").isSymLink());
    QCOMPARE(beeps, 0);
    SetAlertBeep(previous);
}

// Runs as root too: an immutable file resists deletion whatever the permissions.
void TestUnitFindFilesSL::deleteFlagFileUndeletable()
{
    WriteBytes("Start.Flag", "");
    ImmutableGuard guard;
    if (!RunQuietly("chattr", {"+i", m_dir->filePath("Start.Flag")}))
        QSKIP("chattr +i is not available here, so no file can be made undeletable");
    guard.path = m_dir->filePath("Start.Flag");

    int beeps = 0;
    const auto previous = SetAlertBeep([&beeps] { ++beeps; });
    QElapsedTimer timer;
    timer.start();
    const bool deleted = DeleteFlagFile("Start.Flag", 10);
    SetAlertBeep(previous);
    QVERIFY(!deleted);
    QCOMPARE(beeps, DeleteFlagFileAttempts);
    QCOMPARE(DeleteFlagFileAttempts, 21);
    QVERIFY(timer.elapsed() >= 21 * 10);
    QVERIFY(QFile::exists("Start.Flag"));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString childTag = qEnvironmentVariable(ChildVariable);
    if (!childTag.isEmpty()) {
        const qint64 start = qEnvironmentVariable(StartVariable).toLongLong();
        while (QDateTime::currentMSecsSinceEpoch() < start)
            QThread::usleep(200);
        for (int k = 0; k < ChildLines; ++k)
            LogErr(ChildLine(childTag, k));
        return 0;
    }
    TestUnitFindFilesSL test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unitfindfilessl.moc"
