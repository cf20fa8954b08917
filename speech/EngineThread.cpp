#include "speech/EngineThread.h"

#include "speech/EngineWorker.h"

#include <mutex>

std::shared_ptr<EngineThread> EngineThread::Instance()
{
    static std::mutex mutex;
    static std::weak_ptr<EngineThread> current;
    std::lock_guard lock(mutex);
    std::shared_ptr<EngineThread> engine = current.lock();
    if (!engine) {
        engine.reset(new EngineThread);
        current = engine;
    }
    return engine;
}

EngineThread::EngineThread() : m_worker(new EngineWorker)
{
    m_thread.setObjectName(QStringLiteral("speech engines"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    // Only the start waits: the engines read their voices once, before anyone can speak.
    QMetaObject::invokeMethod(m_worker, &EngineWorker::Initialise, Qt::BlockingQueuedConnection);
}

EngineThread::~EngineThread()
{
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

const EspeakVoiceList& EngineThread::EspeakVoices() const
{
    return m_worker->EspeakVoices();
}

const QList<VoiceToken>& EngineThread::Voices() const
{
    return m_worker->Voices();
}

QString EngineThread::Failure() const
{
    return m_worker->Failure();
}

void EngineThread::Speak(SpeechJob job)
{
    EngineWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, job = std::move(job)] { worker->Speak(job); }, Qt::QueuedConnection);
}
