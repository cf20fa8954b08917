#pragma once

#include "speech/SpeechVoice.h"

#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <atomic>
#include <memory>

class DispatcherWorker;
class QThread;
struct DispatcherLink;

// What a speech-dispatcher voice hears back about one of its Speaks.
enum class DispatcherEventKind
{
    Mark,      // the index mark named mark has been reached in the audio
    End,       // the text has been spoken to its end
    Cancelled, // the text was cancelled or could not be spoken (failure says why)
};

// The connection to the system's speech service, speech-dispatcher, shared by every voice of
// the process: one thread of its own makes every call into libspeechd, so that a daemon that
// is slow or stuck never holds the GUI thread. The daemon is never started by us (autospawn
// is off): when none runs, its voices are simply absent. The address comes from
// SPEECHD_ADDRESS, else the user's default socket.
class DispatcherService : public QObject
{
    Q_OBJECT

public:
    static std::shared_ptr<DispatcherService> Instance();
    ~DispatcherService() override;
    DispatcherService(const DispatcherService&) = delete;
    DispatcherService& operator=(const DispatcherService&) = delete;

    // Starts the listing of every voice of every output module (once); waits at most
    // msTimeout for it. True when the listing has ended.
    bool WaitForVoices(int msTimeout);
    // The voices listed; empty while the listing runs and when no daemon answered.
    QList<VoiceToken> Voices() const;
    // The listed voice of that id; a null token when there is none.
    VoiceToken Find(const QString& id) const;

    // A channel is one connection to the daemon, opened when it first speaks; each voice
    // has its own, so that pausing or cancelling one leaves the other alone. outstanding
    // counts the channel's Speaks that have not ended: the caller adds one before speak,
    // the service takes it away at the end, the cancel or the failure of each.
    int OpenChannel(std::shared_ptr<std::atomic<int>> outstanding);
    void CloseChannel(int channel);
    // All return at once; the call runs on the service's thread.
    void Speak(int channel, int stream, const QString& ssml, const VoiceToken& voice, int rate, int volume);
    // Ends every text of the channel; their events stop.
    void Cancel(int channel);

    // The module and the module's own name of a voice listed here.
    static QString ModuleOf(const VoiceToken& voice);
    // True for the id of a voice of speech-dispatcher (its daemon running or not).
    static bool IsServiceVoiceId(const QString& id);
    static QString NameOf(const VoiceToken& voice);

signals:
    // Emitted once, when the listing has ended.
    void VoicesListed();
    // Queued to the voices' thread; kind is a DispatcherEventKind, failure says why a Speak
    // could not be spoken.
    void ChannelEvent(int channel, int stream, int kind, const QString& mark, const QString& failure);

private:
    friend class DispatcherWorker;
    DispatcherService();
    void TakeVoices(const QList<VoiceToken>& voices);

    std::shared_ptr<DispatcherLink> m_link;
    QThread* m_thread;
    DispatcherWorker* m_worker;
    mutable QMutex m_mutex;
    QWaitCondition m_listed;
    QList<VoiceToken> m_voices;
    bool m_listingStarted = false;
    bool m_listingEnded = false;
    int m_nextChannel = 0;
};
