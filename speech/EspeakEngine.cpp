#include "speech/EspeakEngine.h"

#include "speech/EspeakWorker.h"

#include <mutex>

std::shared_ptr<EspeakEngine> EspeakEngine::instance()
{
    static std::mutex mutex;
    static std::weak_ptr<EspeakEngine> current;
    std::lock_guard lock(mutex);
    std::shared_ptr<EspeakEngine> engine = current.lock();
    if (!engine) {
        engine.reset(new EspeakEngine);
        current = engine;
    }
    return engine;
}

EspeakEngine::EspeakEngine() : m_worker(new EspeakWorker)
{
    m_thread.setObjectName(QStringLiteral("espeak-ng"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    // Only the start waits: espeak-ng reads its voices once, before anyone can speak.
    QMetaObject::invokeMethod(m_worker, &EspeakWorker::initialise, Qt::BlockingQueuedConnection);
}

EspeakEngine::~EspeakEngine()
{
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

const EspeakVoiceList& EspeakEngine::voices() const
{
    return m_worker->voices();
}

QString EspeakEngine::failure() const
{
    return m_worker->failure();
}

void EspeakEngine::speak(EspeakJob job)
{
    EspeakWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, job = std::move(job)] { worker->speak(job); }, Qt::QueuedConnection);
}
