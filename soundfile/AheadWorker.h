#pragma once

#include "speech/SpeechVoice.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QProcess;

// The fragments of one voice that a process of their own speaks ahead of their turn (the
// engine is one per process, so a second process puts the machine's second core to work):
// the voice as the run's voice is set, and the fragments, each with its index in the run.
struct AheadRequest
{
    VoiceToken voice;
    int rate = 0;
    int volume = 100;
    int speakFlags = SpeakAsyncPlain;
    QString heldFile; // the WAV file the worker speaks into, at the engine's own rate
    QList<qint64> indexes;
    QStringList texts;
};

// One fragment the worker has spoken: where its audio lies in the held file's data, and the
// words its voice reported (bytes of its Speak's audio before each, position, length).
struct AheadFragment
{
    struct Word
    {
        qint64 streamPosition = 0;
        qint32 position = 0;
        qint32 length = 0;
    };
    qint64 index = -1;
    qint64 start = 0;
    qint64 end = 0;
    QList<Word> words;
};

// The worker seen from the run: one process for the whole run, which speaks the requests it
// is sent one after another and reports each fragment as soon as its audio is in the held
// file. The process is ended with the object.
class AheadProcess
{
public:
    explicit AheadProcess(const QString& program);
    ~AheadProcess();
    AheadProcess(const AheadProcess&) = delete;
    AheadProcess& operator=(const AheadProcess&) = delete;

    // The worker speaks this request once it has spoken those sent before.
    void Send(const AheadRequest& request);
    // No request follows: the worker ends after the last one.
    void EndRequests();
    // Waits until the worker has reported fragment `index`, calling keepWaiting between
    // slices (false: stop waiting). Null when it will not come: the worker failed or ended
    // without it (Failure() then says why), or the wait was given up.
    const AheadFragment* WaitFor(qint64 index, const std::function<bool()>& keepWaiting);
    // The reports of fragments before `index` are no longer needed.
    void Forget(qint64 index);
    QString Failure() const;

private:
    const AheadFragment* Find(qint64 index) const;
    void ReadReports();
    void TellFailure(qint64 index);

    std::unique_ptr<QProcess> m_process;
    std::vector<AheadFragment> m_done; // in the order spoken, which is text order
    QString m_failure;
};

// The worker program, `vemo --speak-ahead`: reads AheadRequests on standard input until it
// ends, speaks the fragments of each one after another into its held file (made anew for
// each request) and reports each on standard output. Returns the exit status; a failure is
// told on standard error.
int RunSpeakAheadWorker();

// The program started as the worker; empty (the default, as in the tests) keeps the ahead
// voice in the run's own process.
void SetSpeakAheadProgram(const QString& program);
QString SpeakAheadProgram();
