#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// speech-dispatcher's lists of modules and voices, asked and read on the connection's socket
// directly. libspeechd's reader scans the whole reply received so far for its end after every
// line it adds, so the 13,000 voices of the espeak-ng module cost seconds of processor time
// (a minute under the sanitizers); read here, they take a fraction of a second.

// One reply of the daemon's protocol: lines "NNN-data" and a last line "NNN text".
struct DispatcherReply
{
    int code = 0;
    QList<QByteArray> lines; // the data lines, without code and dash
    bool Ok() const { return code >= 200 && code < 300; }
};

// Collects the bytes of one reply as they come; a reply that breaks the protocol or grows
// past a bound ends as failed rather than taking memory without end.
class DispatcherReplyReader
{
public:
    enum class State
    {
        Reading,
        Done,
        Failed
    };

    State Feed(const char* data, qsizetype size);
    const DispatcherReply& Reply() const { return m_reply; }
    // Of the bytes of the last Feed, how many belong to this reply (those after its end, the
    // start of the next one, are not taken).
    qsizetype Taken() const { return m_taken; }

private:
    State TakeLine(QByteArray line);

    QByteArray m_partial;
    qsizetype m_total = 0;
    qsizetype m_taken = 0;
    DispatcherReply m_reply;
    State m_state = State::Reading;
};

struct ListedVoice
{
    QString name;
    QString language;
    QString variant;
};

// A connected socket of the daemon (a libspeechd connection's, no reply pending on it).
class DispatcherListing
{
public:
    DispatcherListing(int socket, int msTimeout) : m_socket(socket), m_msTimeout(msTimeout) {}

    // Empty when the daemon does not answer in time or answers with an error.
    std::optional<QStringList> Modules();
    std::optional<QList<ListedVoice>> Voices(const QString& module);

private:
    std::optional<DispatcherReply> Command(const QByteArray& command);
    std::optional<DispatcherReply> NextReply(const QDeadlineTimer& deadline);

    int m_socket;
    int m_msTimeout;
    QByteArray m_ahead; // bytes received after the end of the last reply
};
