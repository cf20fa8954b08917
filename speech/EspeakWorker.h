#pragma once

#include "speech/EspeakJob.h"
#include "speech/EspeakVoiceList.h"

#include <QObject>

// Lives on the engine thread and makes every call into espeak-ng there: espeak-ng is one
// engine per process and must never be entered from two threads.
class EspeakWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts espeak-ng (once per process) and reads its voices.
    void initialise();
    // False when espeak-ng could not start; why, in failure().
    bool isReady() const { return m_ready; }
    const QString& failure() const { return m_failure; }
    const EspeakVoiceList& voices() const { return m_voices; }

    void speak(const EspeakJob& job);

private:
    EspeakVoiceList m_voices;
    QString m_currentVoice;
    QString m_failure;
    bool m_ready = false;
};
