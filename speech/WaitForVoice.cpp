#include "speech/WaitForVoice.h"

#include "speech/SpeechVoice.h"

#include <QCoreApplication>

void WaitForVoice(SpeechVoice& voice, const std::function<bool()>& stopRequested)
{
    while (!voice.WaitUntilDone(100)) {
        QCoreApplication::processEvents();
        if (stopRequested && stopRequested())
            voice.Speak(QString(), SpeakPurge);
    }
}
