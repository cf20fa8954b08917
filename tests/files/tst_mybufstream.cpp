#include "files/MyBufStream.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestMyBufStream : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void appendsToExistingFile();
    void createNewEmptiesOnEveryOpening();
    void fileNameChangeCloses();
    void publishedProperties();
    void failuresGiveFalse();
    void lockKeepsOtherWritersOut();

private:
    QTemporaryDir m_dir;
};

void TestMyBufStream::appendsToExistingFile()
{
    const QString path = m_dir.filePath("append.txt");
    {
        TSBufOut out;
        out.SetFileName(path);
        QVERIFY(out.WriteString(QStringLiteral("один\r\n")));
    } // destruction closes
    TSBufOut out;
    out.SetFileName(path);
    QVERIFY(out.WriteString(QStringLiteral("two\r\n")));
    QVERIFY(out.WriteString(QString()));
    QVERIFY(out.CloseFile());
    QCOMPARE(ReadBytes(path), QByteArray("один\r\ntwo\r\n"));
}

void TestMyBufStream::createNewEmptiesOnEveryOpening()
{
    const QString path = m_dir.filePath("fresh.txt");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("a long earlier content");
    old.close();

    TSBufOut out;
    out.SetCretateNew(true);
    out.SetFileName(path);
    QVERIFY(out.WriteString("first "));
    QVERIFY(out.WriteString("second"));
    QVERIFY(out.CloseFile());
    QCOMPARE(ReadBytes(path), QByteArray("first second"));
    QVERIFY(out.WriteString("third"));
    QVERIFY(out.CloseFile());
    QCOMPARE(ReadBytes(path), QByteArray("third"));
}

void TestMyBufStream::fileNameChangeCloses()
{
    const QString first = m_dir.filePath("first.txt");
    TSBufOut out;
    out.SetFileName(first);
    QVERIFY(!out.IsOpen());
    QVERIFY(out.WriteString("1"));
    out.SetFileName(first);
    QVERIFY(out.IsOpen());

    out.SetFileName(m_dir.filePath("second.txt"));
    QVERIFY(!out.IsOpen());
    // The first file's lock went with it: another writer gets in at once.
    TSBufOut other;
    other.SetLockWaitMs(0);
    other.SetFileName(first);
    QVERIFY(other.WriteString("2"));
    QVERIFY(out.WriteString("3"));
    QCOMPARE(ReadBytes(first), QByteArray("12"));
}

void TestMyBufStream::publishedProperties()
{
    TSBufOut out;
    QCOMPARE(out.property("CretateNew").toBool(), false);
    QVERIFY(out.setProperty("FileName", m_dir.filePath("prop.txt")));
    QVERIFY(out.setProperty("CretateNew", true));
    QCOMPARE(out.FileName(), m_dir.filePath("prop.txt"));
    QVERIFY(out.CretateNew());
}

void TestMyBufStream::failuresGiveFalse()
{
    TSBufOut out;
    QVERIFY(!out.OpenFile()); // no name
    out.SetFileName(m_dir.filePath("missing folder/x.txt"));
    QVERIFY(!out.OpenFile());
    QVERIFY(!out.WriteString("x"));
    QVERIFY(!out.IsOpen());
    out.SetFileName(m_dir.path());
    QVERIFY(!out.WriteString("x"));

    // A FIFO with no reader fails at once rather than blocking the caller.
    const QString fifo = m_dir.filePath("pipe");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    out.SetFileName(fifo);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!out.WriteString("x"));
    QVERIFY(timer.elapsed() < 1000);
}

void TestMyBufStream::lockKeepsOtherWritersOut()
{
    const QString path = m_dir.filePath("locked.txt");
    TSBufOut holder;
    holder.SetFileName(path);
    QVERIFY(holder.WriteString("held "));

    TSBufOut other;
    other.SetLockWaitMs(50);
    other.SetFileName(path);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!other.WriteString("lost"));
    QVERIFY(timer.elapsed() >= 50);
    QVERIFY(!other.IsOpen());

    QVERIFY(holder.CloseFile());
    QVERIFY(other.WriteString("after"));
    QCOMPARE(ReadBytes(path), QByteArray("held after"));
}

QTEST_GUILESS_MAIN(TestMyBufStream)
#include "tst_mybufstream.moc"
