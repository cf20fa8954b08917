#pragma once

#include "speech/EspeakJob.h"

#include <QThread>
#include <memory>

class EspeakVoiceList;
class EspeakWorker;

// The one engine thread that every espeak-ng voice of the process shares. Jobs run one
// after another in the order they were handed in; each sets its own voice, rate and
// volume first. Held by the voices: the thread ends when the last voice goes.
class EspeakEngine
{
public:
    static std::shared_ptr<EspeakEngine> instance();
    ~EspeakEngine();
    EspeakEngine(const EspeakEngine&) = delete;
    EspeakEngine& operator=(const EspeakEngine&) = delete;

    const EspeakVoiceList& voices() const;
    // Why espeak-ng cannot speak, or empty when it can.
    QString failure() const;
    // Returns at once; the job runs on the engine thread.
    void speak(EspeakJob job);

private:
    EspeakEngine();

    QThread m_thread;
    EspeakWorker* m_worker;
};
