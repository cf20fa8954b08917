#pragma once

#include "speech/EspeakVoiceList.h"
#include "speech/SpeechJob.h"
#include "speech/UtteranceEngine.h"

#include <QObject>
#include <memory>
#include <vector>

// Lives on the engine thread and makes every call into the engines there: espeak-ng and
// Festival are one engine per process and must never be entered from two threads, and one
// thread for all keeps every voice's Speaks in order when its voice changes engine.
class EngineWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~EngineWorker() override;

    // Starts espeak-ng (once per process) and the other engines, and reads their voices.
    void Initialise();
    // False when espeak-ng could not start; why, in failure().
    bool IsReady() const { return m_ready; }
    const QString& Failure() const { return m_failure; }
    const EspeakVoiceList& EspeakVoices() const { return m_voices; }
    // Every voice of every engine: espeak-ng's first, in their order.
    const QList<VoiceToken>& Voices() const { return m_allVoices; }

    void Speak(const SpeechJob& job);

private:
    void SpeakEspeak(const SpeechJob& job);

    EspeakVoiceList m_voices;
    std::vector<std::unique_ptr<UtteranceEngine>> m_engines;
    QList<VoiceToken> m_allVoices;
    QString m_currentVoice;
    QString m_failure;
    bool m_ready = false;
};
