#include "speech/DispatcherService.h"

#include "speech/DispatcherListing.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QThread>
#include <QTimerEvent>
#include <algorithm>
#include <climits>
#include <csignal>
#include <mutex>
#include <poll.h>
#include <speech-dispatcher/libspeechd.h>

namespace {

const QString IdPrefix = QStringLiteral("speech-dispatcher/");
const QString EnginePrefix = QStringLiteral("speech-dispatcher: ");
// How long the end of the process waits for a daemon call that hangs.
constexpr int ShutdownWaitMs = 2000;
// A module that is still stopping the speech of a client that has gone answers the listing
// with an error for a moment: it is asked again.
constexpr int ListAttempts = 5;
constexpr int ListRetryMs = 300;
// A module is started by the first listing and may take seconds on a busy machine; a daemon
// that answers nothing in this time is taken to have no voices.
constexpr int ListTimeoutMs = 30000;
// How often the connections that have texts with the daemon are checked for a daemon gone.
constexpr int WatchIntervalMs = 250;
// How often a process that found no daemon looks for one started since (a connect attempt).
constexpr int LookForDaemonMs = 3000;

// The variants of the languages Vemo reads are offered; every variant of every language
// would put thousands of entries into each list (espeak-ng's module offers 13,000).
bool TakesVariants(const QString& language)
{
    return language == u"ru" || language == u"en" || language.startsWith(QLatin1String("en-"));
}

QList<VoiceToken> ModuleVoices(DispatcherListing& listing, const QString& module)
{
    QList<VoiceToken> tokens;
    std::optional<QList<ListedVoice>> voices = listing.Voices(module);
    for (int attempt = 1; !voices && attempt < ListAttempts; ++attempt) {
        QThread::msleep(ListRetryMs);
        voices = listing.Voices(module);
    }
    if (!voices)
        return tokens;
    const QString engine = EnginePrefix + module;
    for (const ListedVoice& voice : *voices) {
        const QString language = voice.language.toLower();
        const bool isVariant = !voice.variant.isEmpty() && voice.variant != u"none";
        if (voice.name.isEmpty() || (isVariant && !TakesVariants(language)))
            continue;
        VoiceToken token{IdPrefix + module + u'/' + voice.name,
                         VoiceDescription(voice.name, language, engine), language, engine, isVariant};
        token.aloudOnly = true;
        tokens.append(token);
    }
    return tokens;
}

// Connects without starting a daemon; nullptr when none answers.
SPDConnection* Connect(SPDConnectionMode mode)
{
    // A daemon that dies leaves its socket closed: a command written to it then fails with
    // EPIPE instead of ending the program with SIGPIPE.
    static const bool pipeSignalIgnored = [] { return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
    Q_UNUSED(pipeSignalIgnored);
    char* error = nullptr;
    SPDConnectionAddress* address = spd_get_default_address(&error);
    free(error);
    error = nullptr;
    if (!address)
        return nullptr;
    SPDConnection* connection = spd_open2("vemo", "reader", nullptr, mode, address, 0, &error);
    SPDConnectionAddress__free(address);
    free(error);
    return connection;
}

} // namespace

// The worker's way to its service, which may go while the worker waits for a daemon.
struct DispatcherLink
{
    std::mutex mutex;
    DispatcherService* service = nullptr;
};

// Lives on the service's thread and makes every libspeechd call there. libspeechd calls its
// callbacks on a thread of each connection, without user data: they find the one worker of
// the process through CurrentWorker and hand the event to its thread, where the message it
// belongs to is known (the worker records a message's id before it takes the next event).
class DispatcherWorker : public QObject
{
public:
    explicit DispatcherWorker(std::shared_ptr<DispatcherLink> link) : m_link(std::move(link)) {}
    ~DispatcherWorker() override;

    void List();
    void Open(int channel, std::shared_ptr<std::atomic<int>> outstanding);
    void Close(int channel);
    void Speak(int channel, int stream, const QString& ssml, const VoiceToken& voice, int rate, int volume);
    void Cancel(int channel);
    void CloseAll();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Channel
    {
        SPDConnection* connection = nullptr;
        std::shared_ptr<std::atomic<int>> outstanding;
        QString description; // of the voice last given a text
        QString module;
        QString voice;
        int rate = INT_MIN;
        int volume = INT_MIN;
    };
    struct Message
    {
        int channel = 0;
        int stream = 0;
    };

    static void OnEvent(size_t message, size_t client, SPDNotificationType type);
    static void OnMark(size_t message, size_t client, SPDNotificationType type, char* mark);
    static void Post(size_t message, SPDNotificationType type, const QString& mark);
    void Take(size_t message, SPDNotificationType type, const QString& mark);
    bool ConnectChannel(Channel& channel);
    bool ApplySettings(Channel& channel, const VoiceToken& voice, int rate, int volume);
    void Finish(int channel, int stream, DispatcherEventKind kind, const QString& failure = {});
    bool ConnectionLost(int channel);
    void WatchConnections();

    // Calls f with the service unless it has gone (left behind by a daemon call that hung).
    template <typename F> void WithService(F f)
    {
        std::lock_guard lock(m_link->mutex);
        if (m_link->service)
            f(*m_link->service);
    }

    std::shared_ptr<DispatcherLink> m_link;
    QHash<int, Channel> m_channels;
    QHash<size_t, Message> m_messages;
    int m_watchTimer = 0; // runs while the daemon has texts of ours
    int m_lookTimer = 0;  // runs while no daemon has answered

    static std::mutex CurrentMutex;
    static DispatcherWorker* CurrentWorker;
};

std::mutex DispatcherWorker::CurrentMutex;
DispatcherWorker* DispatcherWorker::CurrentWorker = nullptr;

DispatcherWorker::~DispatcherWorker()
{
    CloseAll();
}

void DispatcherWorker::List()
{
    QList<VoiceToken> voices;
    if (SPDConnection* connection = Connect(SPD_MODE_SINGLE)) {
        DispatcherListing listing(connection->socket, ListTimeoutMs);
        for (const QString& module : listing.Modules().value_or(QStringList()))
            voices += ModuleVoices(listing, module);
        spd_close(connection);
    } else if (!m_lookTimer) {
        m_lookTimer = startTimer(LookForDaemonMs);
    }
    WithService([&voices](DispatcherService& service) { service.TakeVoices(voices); });
}

void DispatcherWorker::Open(int channel, std::shared_ptr<std::atomic<int>> outstanding)
{
    Channel opened;
    opened.outstanding = std::move(outstanding);
    m_channels.insert(channel, opened);
}

void DispatcherWorker::Close(int channel)
{
    Cancel(channel);
    Channel closed = m_channels.take(channel);
    if (closed.connection)
        spd_close(closed.connection);
}

void DispatcherWorker::CloseAll()
{
    for (const int channel : m_channels.keys())
        Close(channel);
    std::lock_guard lock(CurrentMutex);
    if (CurrentWorker == this)
        CurrentWorker = nullptr;
}

bool DispatcherWorker::ConnectChannel(Channel& channel)
{
    if (channel.connection)
        return true;
    channel.connection = Connect(SPD_MODE_THREADED);
    if (!channel.connection)
        return false;
    {
        std::lock_guard lock(CurrentMutex);
        CurrentWorker = this;
    }
    channel.connection->callback_end = OnEvent;
    channel.connection->callback_cancel = OnEvent;
    channel.connection->callback_im = OnMark;
    spd_set_notification_on(channel.connection, SPD_END);
    spd_set_notification_on(channel.connection, SPD_CANCEL);
    spd_set_notification_on(channel.connection, SPD_INDEX_MARKS);
    spd_set_data_mode(channel.connection, SPD_DATA_SSML);
    return true;
}

// Each setting is sent only when it changes: every one is a round trip to the daemon.
bool DispatcherWorker::ApplySettings(Channel& channel, const VoiceToken& voice, int rate, int volume)
{
    const QString module = DispatcherService::ModuleOf(voice);
    const QString name = DispatcherService::NameOf(voice);
    if (module != channel.module) {
        if (spd_set_output_module(channel.connection, module.toUtf8().constData()) != 0)
            return false;
        channel.module = module;
        channel.voice.clear();
    }
    if (name != channel.voice) {
        if (spd_set_synthesis_voice(channel.connection, name.toUtf8().constData()) != 0)
            return false;
        channel.voice = name;
    }
    if (rate != channel.rate) {
        if (spd_set_voice_rate(channel.connection, rate) != 0)
            return false;
        channel.rate = rate;
    }
    if (volume != channel.volume) {
        if (spd_set_volume(channel.connection, volume) != 0)
            return false;
        channel.volume = volume;
    }
    return true;
}

void DispatcherWorker::Speak(int channel, int stream, const QString& ssml, const VoiceToken& voice, int rate,
                             int volume)
{
    if (!m_channels.contains(channel))
        return;
    ConnectionLost(channel);
    const auto found = m_channels.find(channel);
    found->description = voice.description;
    if (!ConnectChannel(*found)) {
        Finish(channel, stream, DispatcherEventKind::Cancelled,
               QStringLiteral("speech-dispatcher не отвечает: голос «%1» не может читать.")
                   .arg(voice.description));
        return;
    }
    if (!ApplySettings(*found, voice, rate, volume)) {
        Finish(channel, stream, DispatcherEventKind::Cancelled,
               QStringLiteral("speech-dispatcher не принял голос «%1» (модуль %2).")
                   .arg(voice.description, DispatcherService::ModuleOf(voice)));
        return;
    }
    const int message = spd_say(found->connection, SPD_TEXT, ssml.toUtf8().constData());
    if (message < 0) {
        Finish(channel, stream, DispatcherEventKind::Cancelled,
               QStringLiteral("speech-dispatcher не принял текст для голоса «%1».").arg(voice.description));
        return;
    }
    m_messages.insert(size_t(message), {channel, stream});
    if (!m_watchTimer)
        m_watchTimer = startTimer(WatchIntervalMs);
}

// Every message of the channel ends here; the daemon's cancel events for them find none.
void DispatcherWorker::Cancel(int channel)
{
    ConnectionLost(channel);
    const auto found = m_channels.constFind(channel);
    if (found == m_channels.cend())
        return;
    if (found->connection)
        spd_cancel(found->connection);
    for (auto it = m_messages.begin(); it != m_messages.end();) {
        if (it->channel == channel) {
            found->outstanding->fetch_sub(1);
            it = m_messages.erase(it);
        } else {
            ++it;
        }
    }
}

void DispatcherWorker::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_watchTimer) {
        WatchConnections();
    } else if (event->timerId() == m_lookTimer) {
        // A daemon started after this process: its voices join the lists.
        if (SPDConnection* connection = Connect(SPD_MODE_SINGLE)) {
            spd_close(connection);
            killTimer(std::exchange(m_lookTimer, 0));
            List();
        }
    } else {
        QObject::timerEvent(event);
    }
}

// A daemon that stops or dies sends no end for the texts it had: each of them ends here with
// the reason, so that a reading run goes on (and meets the failure at its next Speak).
void DispatcherWorker::WatchConnections()
{
    for (const int channel : m_channels.keys())
        ConnectionLost(channel);
    if (m_messages.isEmpty() && m_watchTimer) {
        killTimer(m_watchTimer);
        m_watchTimer = 0;
    }
}

// True when the channel's connection was closed by the daemon: the connection is dropped (the
// next text connects anew, to a daemon started since) and the channel's texts end as failed.
bool DispatcherWorker::ConnectionLost(int channel)
{
    const auto found = m_channels.find(channel);
    if (found == m_channels.end() || !found->connection)
        return false;
    pollfd watched{found->connection->socket, POLLIN | POLLRDHUP, 0};
    if (poll(&watched, 1, 0) <= 0 || !(watched.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)))
        return false;
    spd_close(found->connection);
    found->connection = nullptr;
    found->module.clear();
    found->voice.clear();
    found->rate = INT_MIN;
    found->volume = INT_MIN;
    const QString failure =
        QStringLiteral("speech-dispatcher остановился: голос «%1» не дочитал текст.").arg(found->description);
    QList<int> streams;
    for (auto it = m_messages.begin(); it != m_messages.end();) {
        if (it->channel == channel) {
            streams << it->stream;
            it = m_messages.erase(it);
        } else {
            ++it;
        }
    }
    std::sort(streams.begin(), streams.end());
    for (const int stream : streams)
        Finish(channel, stream, DispatcherEventKind::Cancelled, failure);
    return true;
}

void DispatcherWorker::OnEvent(size_t message, size_t, SPDNotificationType type)
{
    Post(message, type, QString());
}

void DispatcherWorker::OnMark(size_t message, size_t, SPDNotificationType type, char* mark)
{
    Post(message, type, QString::fromUtf8(mark));
}

void DispatcherWorker::Post(size_t message, SPDNotificationType type, const QString& mark)
{
    std::lock_guard lock(CurrentMutex);
    DispatcherWorker* worker = CurrentWorker;
    if (worker)
        QMetaObject::invokeMethod(
            worker, [worker, message, type, mark] { worker->Take(message, type, mark); },
            Qt::QueuedConnection);
}

void DispatcherWorker::Take(size_t message, SPDNotificationType type, const QString& mark)
{
    const auto found = m_messages.constFind(message);
    if (found == m_messages.cend())
        return;
    const Message known = *found;
    switch (type) {
    case SPD_EVENT_INDEX_MARK:
        WithService([&](DispatcherService& service) {
            emit service.ChannelEvent(known.channel, known.stream, int(DispatcherEventKind::Mark), mark,
                                      QString());
        });
        break;
    case SPD_EVENT_END:
        m_messages.remove(message);
        Finish(known.channel, known.stream, DispatcherEventKind::End);
        break;
    case SPD_EVENT_CANCEL:
        m_messages.remove(message);
        Finish(known.channel, known.stream, DispatcherEventKind::Cancelled);
        break;
    default:
        break;
    }
}

void DispatcherWorker::Finish(int channel, int stream, DispatcherEventKind kind, const QString& failure)
{
    const auto found = m_channels.constFind(channel);
    if (found != m_channels.cend())
        found->outstanding->fetch_sub(1);
    WithService([&](DispatcherService& service) {
        emit service.ChannelEvent(channel, stream, int(kind), QString(), failure);
    });
}

std::shared_ptr<DispatcherService> DispatcherService::Instance()
{
    static std::mutex mutex;
    static std::weak_ptr<DispatcherService> current;
    std::lock_guard lock(mutex);
    std::shared_ptr<DispatcherService> service = current.lock();
    if (!service) {
        service.reset(new DispatcherService);
        current = service;
    }
    return service;
}

DispatcherService::DispatcherService()
    : m_link(std::make_shared<DispatcherLink>()), m_thread(new QThread),
      m_worker(new DispatcherWorker(m_link))
{
    m_link->service = this;
    m_thread->setObjectName(QStringLiteral("speech-dispatcher"));
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

// The connections close on the service's thread, which then ends. A daemon call that never
// returns (a stuck daemon) must not hold the window's close: the thread and its worker are
// then left behind, cut off from the service, and end with the process.
DispatcherService::~DispatcherService()
{
    {
        std::lock_guard lock(m_link->mutex);
        m_link->service = nullptr;
    }
    DispatcherWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            delete worker;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (m_thread->wait(ShutdownWaitMs))
        delete m_thread;
}

bool DispatcherService::WaitForVoices(int msTimeout)
{
    QMutexLocker lock(&m_mutex);
    if (!m_listingStarted) {
        m_listingStarted = true;
        DispatcherWorker* worker = m_worker;
        QMetaObject::invokeMethod(
            worker, [worker] { worker->List(); }, Qt::QueuedConnection);
    }
    const QDeadlineTimer deadline(msTimeout);
    while (!m_listingEnded && !deadline.hasExpired())
        m_listed.wait(&m_mutex, deadline);
    return m_listingEnded;
}

void DispatcherService::TakeVoices(const QList<VoiceToken>& voices)
{
    {
        QMutexLocker lock(&m_mutex);
        m_voices = voices;
        m_listingEnded = true;
        m_listed.wakeAll();
    }
    emit VoicesListed();
}

QList<VoiceToken> DispatcherService::Voices() const
{
    QMutexLocker lock(&m_mutex);
    return m_voices;
}

VoiceToken DispatcherService::Find(const QString& id) const
{
    QMutexLocker lock(&m_mutex);
    for (const VoiceToken& voice : m_voices) {
        if (voice.id == id)
            return voice;
    }
    return {};
}

int DispatcherService::OpenChannel(std::shared_ptr<std::atomic<int>> outstanding)
{
    int channel = 0;
    {
        QMutexLocker lock(&m_mutex);
        channel = ++m_nextChannel;
    }
    DispatcherWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, channel, outstanding] { worker->Open(channel, outstanding); }, Qt::QueuedConnection);
    return channel;
}

void DispatcherService::CloseChannel(int channel)
{
    DispatcherWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, channel] { worker->Close(channel); }, Qt::QueuedConnection);
}

void DispatcherService::Speak(int channel, int stream, const QString& ssml, const VoiceToken& voice, int rate,
                              int volume)
{
    DispatcherWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=] { worker->Speak(channel, stream, ssml, voice, rate, volume); }, Qt::QueuedConnection);
}

void DispatcherService::Cancel(int channel)
{
    DispatcherWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, channel] { worker->Cancel(channel); }, Qt::QueuedConnection);
}

bool DispatcherService::IsServiceVoiceId(const QString& id)
{
    return id.startsWith(IdPrefix);
}

QString DispatcherService::ModuleOf(const VoiceToken& voice)
{
    return voice.engine.startsWith(EnginePrefix) ? voice.engine.mid(EnginePrefix.size()) : QString();
}

QString DispatcherService::NameOf(const VoiceToken& voice)
{
    const QString prefix = IdPrefix + ModuleOf(voice) + u'/';
    return voice.id.startsWith(prefix) ? voice.id.mid(prefix.size()) : QString();
}
