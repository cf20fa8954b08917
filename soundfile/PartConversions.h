#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/Mp3Tags.h"

#include <QString>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <memory>

// Converts the finished WAV parts of a divided file to MP3 on worker threads while the
// next part is spoken, as many at once as the machine has cores. The results come back on
// the calling thread in the order the parts were started, so that what follows a
// conversion (the WAV deleted, the file announced) happens in part order, as in a run that
// converts each part before it speaks the next. Every conversion ends before the object.
class PartConversions
{
public:
    struct Job
    {
        QString wavName;       // converted from
        QString mp3Name;       // converted into
        QString soundFileName; // the WAV file's final name, for what follows the conversion
        QString mp3FileName;   // the MP3 file's final name
        EncoderConfig config;
        Mp3Tags tags;
    };
    struct Result
    {
        Job job;
        qint32 status = 0; // ConvertWavToMp3's result
        QString error;     // the message of an error the conversion threw
    };

    PartConversions();
    ~PartConversions();
    PartConversions(const PartConversions&) = delete;
    PartConversions& operator=(const PartConversions&) = delete;

    void Start(Job job);
    bool HasPending() const { return !m_tasks.empty(); }
    // True when the earliest conversion started has ended.
    bool NextIsReady() const;
    // The earliest conversion's result, waiting for it; whileWaiting runs every 50 ms
    // with the MP3 name and the bytes done of the bytes to do.
    Result
    TakeNext(const std::function<void(const QString& mp3Name, qint64 done, qint64 total)>& whileWaiting);

private:
    struct Task;

    QThreadPool m_pool;
    std::deque<std::shared_ptr<Task>> m_tasks;
};
