#pragma once

#include <QList>
#include <QObject>
#include <QString>

class SpFileStream;

// A voice the engine can speak with: what the voice lists show and what Voice is set to.
struct VoiceToken
{
    QString id;           // the engine's own name for the voice, unique
    QString description;  // the text of a voice-list entry: name, language and engine
    QString language;     // language code, such as "ru" or "en-us"
    QString engine = {};  // the engine that speaks it, such as "espeak-ng"
    bool variant = false; // an espeak-ng voice spoken with one of its variants ("ru+f2")
    // A voice of the speech service (speech-dispatcher): it reads aloud, never into a file.
    bool aloudOnly = false;

    bool IsNull() const { return id.isEmpty(); }
    friend bool operator==(const VoiceToken& a, const VoiceToken& b) { return a.id == b.id; }
};

// A voice-list entry's text: "Russian (ru) [espeak-ng]".
inline QString VoiceDescription(const QString& name, const QString& language, const QString& engine)
{
    return QStringLiteral("%1 (%2) [%3]").arg(name, language, engine);
}

// Speak flags, as the windows pass them.
enum SpeechVoiceSpeakFlags : int
{
    SVSFlagsAsync = 1,
    SVSFPurgeBeforeSpeak = 2,
    SVSFIsXML = 8,
    SVSFIsNotXML = 16,
};
constexpr int SpeakAsyncPlain = SVSFlagsAsync | SVSFIsNotXML; // 17
constexpr int SpeakAsyncXml = SVSFlagsAsync | SVSFIsXML;      // 9
constexpr int SpeakPurge = SVSFPurgeBeforeSpeak;              // 2
constexpr int AllEventInterests = 33790;

// One voice: speaks asynchronously to the sound device or to a file stream and reports
// its events on the thread that owns it (the GUI thread), in order. Failing calls throw
// VemoError with a message for the user.
class SpeechVoice : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SpeechVoice() override = default;

    // The voices listed so far: the engines' own at once, a speech service's when it has
    // answered (see WaitForVoices).
    virtual QList<VoiceToken> GetVoices() const = 0;
    // Asks the speech service for its voices (the first call) and waits at most msTimeout
    // for its answer, which may take seconds; voicesChanged says when it came. True when no
    // answer is outstanding.
    virtual bool WaitForVoices(int msTimeout)
    {
        (void)msTimeout;
        return true;
    }
    virtual VoiceToken Voice() const = 0;
    virtual void SetVoice(const VoiceToken& token) = 0;
    virtual void SetEventInterests(int interests) = 0;

    virtual int Rate() const = 0; // -10..10
    virtual void SetRate(int rate) = 0;
    virtual int Volume() const = 0; // 0..100
    virtual void SetVolume(int volume) = 0;

    // flags: 17 plain text, 9 marked-up text, 2 (with an empty text) purge.
    virtual void Speak(const QString& text, int flags) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // True when the voice has nothing left to speak; waits at most msTimeout for that.
    virtual bool WaitUntilDone(int msTimeout) = 0;

    // nullptr means the sound device.
    virtual SpFileStream* AudioOutputStream() const = 0;
    virtual void SetAudioOutputStream(SpFileStream* stream) = 0;
    virtual void SetAllowAudioOutputFormatChangesOnNextSet(bool allow) = 0;

signals:
    void EndStream(int streamNumber, qint64 streamPosition);
    void Word(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void Sentence(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void AudioLevel(int streamNumber, qint64 streamPosition, int audioLevel);
    // GetVoices lists more (or fewer) voices than before.
    void VoicesChanged();
    // Said once, for the log, when speech runs on a silent clock for want of a sound device.
    void DeviceMessage(const QString& text);
};
