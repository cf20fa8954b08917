#pragma once

#include "speech/SpeechVoice.h"

class SpeechPlayback;
class SpokenText;
struct SpeechEvent;

// What every engine's voice shares: rate, volume, event interests and output stream as
// the caller set them, and a playback queue that releases the events on the GUI thread.
// An engine implements speakStream, which synthesises one Speak into the queue (or into
// the file stream, then queueing the events for release at once).
class PlaybackVoice : public SpeechVoice
{
    Q_OBJECT

public:
    ~PlaybackVoice() override;

    void SetEventInterests(int interests) override;
    int Rate() const override { return m_rate; }
    void SetRate(int rate) override;
    int Volume() const override { return m_volume; }
    void SetVolume(int volume) override;

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    bool WaitUntilDone(int msTimeout) override;

    SpFileStream* AudioOutputStream() const override { return m_outputStream; }
    void SetAudioOutputStream(SpFileStream* stream) override;
    void SetAllowAudioOutputFormatChangesOnNextSet(bool allow) override;

protected:
    // soundDevice: play through the sound device when one exists; otherwise always on the
    // silent clock.
    PlaybackVoice(bool soundDevice, QObject* parent);

    SpeechPlayback& Playback() const { return *m_playback; }
    // Purges and waits (briefly) until the engine has left this voice's speech; an engine
    // calls it before it lets go of its thread.
    void StopSpeaking();
    // Synthesises one Speak of the given generation of the queue; returns at once.
    virtual void SpeakStream(const SpokenText& spoken, int streamNumber, int generation) = 0;

private:
    void Deliver(const SpeechEvent& event);
    bool Wants(const SpeechEvent& event) const;

    SpeechPlayback* m_playback;
    SpFileStream* m_outputStream = nullptr;
    int m_rate = 0;
    int m_volume = 100;
    int m_interests = AllEventInterests;
    int m_streamNumber = 0;
};
