#include "speech/DispatcherListing.h"

#include <QElapsedTimer>
#include <QTest>
#include <sys/socket.h>
#include <unistd.h>

using State = DispatcherReplyReader::State;

// The daemon's replies read from its socket: whole or in pieces, with the protocol broken,
// and the listing over a socket whose other end plays the daemon.
class TestDispatcherReply : public QObject
{
    Q_OBJECT

private slots:
    void reader_data();
    void reader();
    void listing_data();
    void listing();
};

void TestDispatcherReply::reader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("lines");

    const QByteArray voices =
        "249-Russian\tru\tnone\r\n249-English (America)+f2\ten-us\tf2\r\n249 OK VOICE LIST SENT\r\n";
    const QStringList voiceLines{"Russian\tru\tnone", "English (America)+f2\ten-us\tf2"};
    QTest::newRow("data lines and the last") << voices << int(State::Done) << 249 << voiceLines;
    QTest::newRow("line feeds alone")
        << QByteArray(voices).replace("\r\n", "\n") << int(State::Done) << 249 << voiceLines;
    QTest::newRow("no data lines") << QByteArray("216 OK OUTPUT MODULE SET\r\n") << int(State::Done) << 216
                                   << QStringList();
    QTest::newRow("an empty data line")
        << QByteArray("250-\r\n250 OK\r\n") << int(State::Done) << 250 << QStringList{""};
    QTest::newRow("what follows the end is not taken")
        << QByteArray("250-a\r\n250 OK\r\n250-b\r\n") << int(State::Done) << 250 << QStringList{"a"};
    QTest::newRow("an error") << QByteArray("410 ERR MODULE NOT LOADED\r\n") << int(State::Done) << 410
                              << QStringList();
    QTest::newRow("unfinished") << QByteArray("249-Russian\tru\tnone\r\n249") << int(State::Reading) << 249
                                << voiceLines.mid(0, 1);
    QTest::newRow("codes that change")
        << QByteArray("249-a\r\n250 OK\r\n") << int(State::Failed) << 249 << QStringList{"a"};
    QTest::newRow("no code") << QByteArray("hello\r\n") << int(State::Failed) << 0 << QStringList();
    QTest::newRow("a code without separator")
        << QByteArray("249xRussian\r\n") << int(State::Failed) << 0 << QStringList();
    QTest::newRow("a line without end")
        << QByteArray(200000, 'x') << int(State::Failed) << 0 << QStringList();
}

void TestDispatcherReply::reader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, state);
    QFETCH(int, code);
    QFETCH(QStringList, lines);
    // The bytes after a reply's end stay for the next one.
    const qsizetype end = bytes.indexOf("250-b");
    for (const int piece : {1, 2, 7, 1 << 20}) {
        DispatcherReplyReader reader;
        State last = State::Reading;
        for (qsizetype at = 0; at < bytes.size() && last == State::Reading; at += piece)
            last = reader.Feed(bytes.constData() + at, qMin<qsizetype>(piece, bytes.size() - at));
        QCOMPARE(int(last), state);
        QCOMPARE(reader.Reply().code, code);
        QStringList got;
        for (const QByteArray& line : reader.Reply().lines)
            got << QString::fromUtf8(line);
        QCOMPARE(got, lines);
        if (last == State::Done && piece > bytes.size())
            QCOMPARE(reader.Taken(), end < 0 ? bytes.size() : end);
    }
}

void TestDispatcherReply::listing_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("voices"); // name|language|variant; empty: no listing

    QTest::newRow("a module's voices, both replies at once")
        << QByteArray("216 OK OUTPUT MODULE SET\r\n249-Russian\tru\tnone\r\n249-Russian+Annie\tru\tAnnie\r\n"
                      "249-Lone\r\n249 OK VOICE LIST SENT\r\n")
        << false << QStringList{"Russian|ru|none", "Russian+Annie|ru|Annie", "Lone||"};
    QTest::newRow("events of speech before the answers")
        << QByteArray("703-12\r\n703-4\r\n703 CANCELED\r\n216 OK OUTPUT MODULE SET\r\n700-12\r\n700-4\r\n"
                      "700-7\r\n700 INDEX MARK\r\n249-Russian\tru\tnone\r\n249 OK VOICE LIST SENT\r\n")
        << false << QStringList{"Russian|ru|none"};
    QTest::newRow("no such module") << QByteArray("302 ERR INVALID PARAMETER\r\n") << false << QStringList();
    QTest::newRow("the daemon says nothing") << QByteArray() << false << QStringList();
    QTest::newRow("the daemon goes mid-reply")
        << QByteArray("216 OK OUTPUT MODULE SET\r\n249-Russian\tru\tnone\r\n") << true << QStringList();
}

// Both commands go out as the protocol has them; a listing that is not whole gives none, and
// a daemon that never answers holds it no longer than the time given.
void TestDispatcherReply::listing()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, closes);
    QFETCH(QStringList, voices);
    int ends[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    QCOMPARE(::write(ends[1], answer.constData(), size_t(answer.size())), ssize_t(answer.size()));
    if (closes)
        ::shutdown(ends[1], SHUT_WR);
    DispatcherListing listing(ends[0], 300);
    QElapsedTimer clock;
    clock.start();
    const std::optional<QList<ListedVoice>> listed = listing.Voices(QStringLiteral("espeak-ng"));
    QVERIFY(clock.elapsed() < 3000);
    QStringList got;
    for (const ListedVoice& voice : listed.value_or(QList<ListedVoice>()))
        got << voice.name + u'|' + voice.language + u'|' + voice.variant;
    QCOMPARE(got, voices);
    QCOMPARE(listed.has_value(), !voices.isEmpty());

    char sent[256] = {};
    const ssize_t n = ::recv(ends[1], sent, sizeof sent - 1, MSG_DONTWAIT);
    const QByteArray expected =
        answer.contains("216 OK")
            ? QByteArray("SET SELF OUTPUT_MODULE espeak-ng\r\nLIST SYNTHESIS_VOICES\r\n")
            : QByteArray("SET SELF OUTPUT_MODULE espeak-ng\r\n");
    QCOMPARE(QByteArray(sent, int(qMax<ssize_t>(0, n))), expected);
    ::close(ends[0]);
    ::close(ends[1]);
}

QTEST_GUILESS_MAIN(TestDispatcherReply)
#include "tst_dispatcherreply.moc"
