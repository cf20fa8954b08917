#include "soundfile/PartConversions.h"

#include "files/VemoError.h"
#include "soundfile/MP3export.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

struct PartConversions::Task
{
    Job job;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    qint32 status = 0;
    QString error;
    std::atomic<qint64> bytesDone{0};
    std::atomic<qint64> bytesTotal{1};

    void Run()
    {
        qint32 result = -1;
        QString message;
        try {
            // One encoder thread a part: the parts themselves keep the cores busy.
            const auto progress = [this](qint64 d, qint64 t) {
                bytesDone = d;
                bytesTotal = t;
            };
            result = ConvertWavToMp3(job.wavName, job.mp3Name, job.config, job.tags, progress, 1);
        } catch (const VemoError& e) {
            message = e.Message();
        } catch (const std::exception& e) {
            message = QString::fromLocal8Bit(e.what());
        }
        std::lock_guard lock(mutex);
        status = result;
        error = message;
        done = true;
        ended.notify_all();
    }
};

PartConversions::PartConversions()
{
    m_pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
}

PartConversions::~PartConversions()
{
    m_pool.waitForDone();
}

void PartConversions::Start(Job job)
{
    auto task = std::make_shared<Task>();
    task->job = std::move(job);
    m_tasks.push_back(task);
    m_pool.start([task] { task->Run(); });
}

bool PartConversions::NextIsReady() const
{
    if (m_tasks.empty())
        return false;
    std::lock_guard lock(m_tasks.front()->mutex);
    return m_tasks.front()->done;
}

PartConversions::Result PartConversions::TakeNext(
    const std::function<void(const QString& mp3Name, qint64 done, qint64 total)>& whileWaiting)
{
    const std::shared_ptr<Task> task = m_tasks.front();
    m_tasks.pop_front();
    std::unique_lock lock(task->mutex);
    while (!task->done) {
        task->ended.wait_for(lock, std::chrono::milliseconds(50));
        if (!task->done && whileWaiting) {
            lock.unlock();
            whileWaiting(task->job.mp3Name, task->bytesDone, task->bytesTotal);
            lock.lock();
        }
    }
    return {task->job, task->status, task->error};
}
