#include "speech/DispatcherListing.h"

#include <QDeadlineTimer>
#include <cctype>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Far above the espeak-ng module's 13,000 voices (about 600 KB).
constexpr qsizetype MaxReplyBytes = 32 * 1024 * 1024;
constexpr qsizetype MaxLineBytes = 64 * 1024;

bool IsCode(const QByteArray& line)
{
    return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2]));
}

} // namespace

DispatcherReplyReader::State DispatcherReplyReader::Feed(const char* data, qsizetype size)
{
    m_taken = 0;
    if (m_state != State::Reading)
        return m_state;
    m_total += size;
    if (m_total > MaxReplyBytes)
        return m_state = State::Failed;
    qsizetype from = 0;
    for (qsizetype i = 0; i < size && m_state == State::Reading; ++i) {
        if (data[i] != '\n')
            continue;
        m_partial.append(data + from, i - from);
        from = i + 1;
        QByteArray line = std::exchange(m_partial, QByteArray());
        if (line.endsWith('\r'))
            line.chop(1);
        m_state = TakeLine(std::move(line));
    }
    m_taken = from;
    if (m_state == State::Reading) {
        m_partial.append(data + from, size - from);
        m_taken = size;
        if (m_partial.size() > MaxLineBytes)
            m_state = State::Failed;
    }
    return m_state;
}

DispatcherReplyReader::State DispatcherReplyReader::TakeLine(QByteArray line)
{
    if (!IsCode(line) || (line.size() > 3 && line[3] != '-' && line[3] != ' '))
        return State::Failed;
    const int code = line.left(3).toInt();
    if (!m_reply.lines.isEmpty() && code != m_reply.code)
        return State::Failed;
    m_reply.code = code;
    if (line.size() > 3 && line[3] == '-') {
        m_reply.lines.append(line.mid(4));
        return State::Reading;
    }
    return State::Done;
}

std::optional<DispatcherReply> DispatcherListing::Command(const QByteArray& command)
{
    const QDeadlineTimer deadline(m_msTimeout);
    const QByteArray line = command + "\r\n";
    for (qsizetype sent = 0; sent < line.size();) {
        const ssize_t n = ::send(m_socket, line.constData() + sent, size_t(line.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        sent += n;
    }
    // The daemon may put the events of a client's speech (codes 7xx) before the answer.
    std::optional<DispatcherReply> reply;
    do
        reply = NextReply(deadline);
    while (reply && reply->code >= 700 && reply->code < 800);
    return reply;
}

std::optional<DispatcherReply> DispatcherListing::NextReply(const QDeadlineTimer& deadline)
{
    DispatcherReplyReader reader;
    QByteArray received = std::exchange(m_ahead, QByteArray());
    char buffer[64 * 1024];
    for (;;) {
        if (!received.isEmpty()) {
            const QByteArray fed = std::exchange(received, QByteArray());
            switch (reader.Feed(fed.constData(), fed.size())) {
            case DispatcherReplyReader::State::Reading:
                break;
            case DispatcherReplyReader::State::Done:
                m_ahead = fed.mid(reader.Taken());
                return reader.Reply();
            case DispatcherReplyReader::State::Failed:
                return std::nullopt;
            }
        }
        pollfd ready{m_socket, POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return std::nullopt; // no answer in time
        const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt; // the daemon closed the connection
        received = QByteArray(buffer, n);
    }
}

std::optional<QStringList> DispatcherListing::Modules()
{
    const std::optional<DispatcherReply> reply = Command("LIST OUTPUT_MODULES");
    if (!reply || !reply->Ok())
        return std::nullopt;
    QStringList modules;
    for (const QByteArray& line : reply->lines)
        modules << QString::fromUtf8(line);
    return modules;
}

std::optional<QList<ListedVoice>> DispatcherListing::Voices(const QString& module)
{
    const std::optional<DispatcherReply> chosen = Command("SET SELF OUTPUT_MODULE " + module.toUtf8());
    if (!chosen || !chosen->Ok())
        return std::nullopt;
    const std::optional<DispatcherReply> reply = Command("LIST SYNTHESIS_VOICES");
    if (!reply || !reply->Ok())
        return std::nullopt;
    QList<ListedVoice> voices;
    voices.reserve(reply->lines.size());
    for (const QByteArray& line : reply->lines) {
        const QList<QByteArray> fields = line.split('\t');
        ListedVoice voice;
        voice.name = QString::fromUtf8(fields.value(0));
        voice.language = QString::fromUtf8(fields.value(1));
        voice.variant = QString::fromUtf8(fields.value(2));
        voices.append(voice);
    }
    return voices;
}
