#pragma once

#include "speech/SpeechJob.h"

#include <QThread>
#include <memory>

class EspeakVoiceList;
class EngineWorker;

// The one engine thread that every voice of the engines in the program (espeak-ng, Flite,
// Festival) shares. Jobs run one after another in the order they were handed in; each sets
// its own voice, rate and volume first. Held by the voices: the thread ends when the last
// voice goes.
class EngineThread
{
public:
    static std::shared_ptr<EngineThread> Instance();
    ~EngineThread();
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    const EspeakVoiceList& EspeakVoices() const;
    // Every voice of every engine, espeak-ng's first.
    const QList<VoiceToken>& Voices() const;
    // Why espeak-ng cannot speak, or empty when it can.
    QString Failure() const;
    // Returns at once; the job runs on the engine thread.
    void Speak(SpeechJob job);

private:
    EngineThread();

    QThread m_thread;
    EngineWorker* m_worker;
};
