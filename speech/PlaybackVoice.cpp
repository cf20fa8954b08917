#include "speech/PlaybackVoice.h"

#include "files/VemoError.h"
#include "speech/SpeechPlayback.h"
#include "speech/SpeechQueue.h"
#include "speech/SpokenText.h"

#include <QDeadlineTimer>

namespace {

// The event interest bits of the voices' events.
constexpr int InterestEndStream = 4;
constexpr int InterestWord = 32;
constexpr int InterestSentence = 128;
constexpr int InterestAudioLevel = 512;

} // namespace

PlaybackVoice::PlaybackVoice(bool soundDevice, QObject* parent)
    : SpeechVoice(parent),
      m_playback(new SpeechPlayback(
          soundDevice ? SpeechPlayback::Output::SoundDevice : SpeechPlayback::Output::SilentClock, this))
{
    connect(m_playback, &SpeechPlayback::EventDue, this, &PlaybackVoice::Deliver);
    connect(m_playback, &SpeechPlayback::DeviceMessage, this, &SpeechVoice::DeviceMessage);
}

PlaybackVoice::~PlaybackVoice() = default;

void PlaybackVoice::SetEventInterests(int interests)
{
    m_interests = interests;
}

void PlaybackVoice::SetRate(int rate)
{
    m_rate = qBound(-10, rate, 10);
}

void PlaybackVoice::SetVolume(int volume)
{
    m_volume = qBound(0, volume, 100);
}

void PlaybackVoice::Speak(const QString& text, int flags)
{
    if (flags & SVSFPurgeBeforeSpeak) {
        m_playback->Purge();
        if (text.isEmpty())
            return;
    }
    // What went wrong in an earlier Speak is reported to the next call.
    const QString failure = m_playback->Queue()->TakeFailure();
    if (!failure.isEmpty())
        throw VemoError(failure);
    const SpokenText spoken = SpokenText::FromSpeak(text, flags);
    SpeakStream(spoken, ++m_streamNumber, m_playback->BeginSpeak());
}

void PlaybackVoice::StopSpeaking()
{
    m_playback->Purge();
    m_playback->Queue()->WaitUntilNoStream(2000);
}

void PlaybackVoice::Pause()
{
    m_playback->Pause();
}

void PlaybackVoice::Resume()
{
    m_playback->Resume();
}

bool PlaybackVoice::WaitUntilDone(int msTimeout)
{
    const QDeadlineTimer deadline(msTimeout < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msTimeout));
    for (;;) {
        m_playback->Pump();
        const QString failure = m_playback->Queue()->TakeFailure();
        if (!failure.isEmpty())
            throw VemoError(failure);
        if (m_playback->IsDone())
            return true;
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        m_playback->Queue()->WaitForChange(left < 0 ? 5 : int(qMin<qint64>(left, 5)));
    }
}

void PlaybackVoice::SetAudioOutputStream(SpFileStream* stream)
{
    m_outputStream = stream;
}

// The file stream keeps the format set on it whatever the voice speaks, so there is no
// format change to allow or forbid.
void PlaybackVoice::SetAllowAudioOutputFormatChangesOnNextSet(bool) {}

void PlaybackVoice::Deliver(const SpeechEvent& event)
{
    if (!Wants(event))
        return;
    switch (event.kind) {
    case SpeechEvent::Kind::Word:
        emit Word(event.streamNumber, event.streamPosition, event.position, event.length);
        break;
    case SpeechEvent::Kind::Sentence:
        emit Sentence(event.streamNumber, event.streamPosition, event.position, event.length);
        break;
    case SpeechEvent::Kind::AudioLevel:
        emit AudioLevel(event.streamNumber, event.streamPosition, event.level);
        break;
    case SpeechEvent::Kind::EndStream:
        emit EndStream(event.streamNumber, event.streamPosition);
        break;
    }
}

bool PlaybackVoice::Wants(const SpeechEvent& event) const
{
    switch (event.kind) {
    case SpeechEvent::Kind::Word:
        return m_interests & InterestWord;
    case SpeechEvent::Kind::Sentence:
        return m_interests & InterestSentence;
    case SpeechEvent::Kind::AudioLevel:
        return m_interests & InterestAudioLevel;
    case SpeechEvent::Kind::EndStream:
        return m_interests & InterestEndStream;
    }
    return false;
}
