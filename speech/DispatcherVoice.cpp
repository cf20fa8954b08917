#include "speech/DispatcherVoice.h"

#include "files/VemoError.h"
#include "speech/DispatcherService.h"
#include "speech/DispatcherSsml.h"
#include "speech/SpokenText.h"
#include "speech/WordEventFilter.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

// The event interest bits of the voices' events.
constexpr int InterestEndStream = 4;
constexpr int InterestWord = 32;
constexpr int InterestSentence = 128;

} // namespace

// One Speak on its way: its spoken characters and the filter that turns a word's mark into
// its events (the filter keeps a reference to the characters, so both live here).
struct DispatcherVoice::MarkedStream
{
    explicit MarkedStream(SpokenText text)
        : spoken(std::move(text)), filter(spoken), wordStarts(filter.WordStarts())
    {}

    const SpokenText spoken;
    WordEventFilter filter;
    const QList<int> wordStarts;
    qsizetype nextWord = 0; // of wordStarts: the first not reported yet
    bool sent = false;      // with the daemon now (not held by a pause)
};

DispatcherVoice::DispatcherVoice(QObject* parent)
    : SpeechVoice(parent), m_service(DispatcherService::Instance()),
      m_channel(m_service->OpenChannel(m_outstanding))
{
    connect(m_service.get(), &DispatcherService::ChannelEvent, this, &DispatcherVoice::Take);
    connect(m_service.get(), &DispatcherService::VoicesListed, this, &SpeechVoice::VoicesChanged);
}

DispatcherVoice::~DispatcherVoice()
{
    m_service->CloseChannel(m_channel);
}

QList<VoiceToken> DispatcherVoice::GetVoices() const
{
    return m_service->Voices();
}

bool DispatcherVoice::WaitForVoices(int msTimeout)
{
    return m_service->WaitForVoices(msTimeout);
}

void DispatcherVoice::SetVoice(const VoiceToken& token)
{
    const VoiceToken listed = m_service->Find(token.id);
    if (listed.IsNull())
        throw VemoError(QStringLiteral("Голос «%1» не найден: speech-dispatcher его не предлагает.")
                            .arg(token.description.isEmpty() ? token.id : token.description));
    m_voice = listed;
}

void DispatcherVoice::Speak(const QString& text, int flags)
{
    if (flags & SVSFPurgeBeforeSpeak) {
        Purge();
        if (text.isEmpty())
            return;
    }
    if (!m_failure.isEmpty())
        throw VemoError(std::exchange(m_failure, QString()));
    if (m_voice.IsNull())
        throw VemoError(QStringLiteral("No speech-dispatcher voice is chosen."));
    if (m_outputStream)
        throw VemoError(QStringLiteral("Голос «%1» читает только вслух: в файл он говорить не может.")
                            .arg(m_voice.description));
    auto marked = std::make_unique<MarkedStream>(SpokenText::FromSpeak(text, flags));
    const int stream = ++m_streamNumber;
    m_outstanding->fetch_add(1);
    MarkedStream& added = *m_streams.emplace(stream, std::move(marked)).first->second;
    if (!m_paused) // a paused voice takes new text and holds it until it resumes
        Send(stream, added);
}

// The text from the first word not yet reported (all of it at first): marks keep the
// indexes of the whole text.
void DispatcherVoice::Send(int stream, MarkedStream& marked)
{
    const QList<int>& starts = marked.wordStarts;
    const int from = marked.nextWord < starts.size() ? starts.at(marked.nextWord)
                     : marked.nextWord > 0           ? int(marked.spoken.Text().size())
                                                     : 0;
    marked.sent = true;
    m_service->Speak(m_channel, stream, MarkedSsml(marked.spoken, starts, from), m_voice, m_rate * 10,
                     m_volume * 2 - 100);
}

// The daemon's cancel ends the texts it has; those held by a pause end here.
void DispatcherVoice::Purge()
{
    for (const auto& [stream, marked] : m_streams) {
        if (!marked->sent)
            m_outstanding->fetch_sub(1);
    }
    m_purgedThrough = m_streamNumber;
    m_streams.clear();
    m_service->Cancel(m_channel);
}

// The texts with the daemon are taken back (their events stop) and held, each at the first
// word not yet heard: the word being spoken is heard again from its start.
void DispatcherVoice::Pause()
{
    if (m_paused)
        return;
    m_paused = true;
    for (auto& [stream, marked] : m_streams) {
        if (!marked->sent)
            continue;
        marked->sent = false;
        marked->nextWord = qMax<qsizetype>(0, marked->nextWord - 1);
        m_outstanding->fetch_add(1); // the daemon's cancel takes one away; the held text is not done
    }
    m_service->Cancel(m_channel);
}

void DispatcherVoice::Resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    for (auto& [stream, marked] : m_streams)
        Send(stream, *marked);
}

bool DispatcherVoice::WaitUntilDone(int msTimeout)
{
    const QDeadlineTimer deadline(msTimeout < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msTimeout));
    while (m_outstanding->load() > 0) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    if (!m_failure.isEmpty())
        throw VemoError(std::exchange(m_failure, QString()));
    return true;
}

void DispatcherVoice::Take(int channel, int stream, int kind, const QString& mark, const QString& failure)
{
    if (channel != m_channel || stream <= m_purgedThrough)
        return;
    const auto found = m_streams.find(stream);
    if (found == m_streams.end())
        return;
    MarkedStream& marked = *found->second;
    if (!marked.sent)
        return; // an event of the text before the pause took it back
    switch (DispatcherEventKind(kind)) {
    case DispatcherEventKind::Mark: {
        bool ok = false;
        const int index = mark.toInt(&ok);
        if (ok && index >= 0 && index < marked.spoken.Text().size()) // else one of the daemon's own
            MarkReached(marked, stream, index);
        return;
    }
    case DispatcherEventKind::Cancelled:
        if (!failure.isEmpty()) {
            m_failure = failure;
            emit DeviceMessage(failure);
        }
        break;
    case DispatcherEventKind::End:
        MarkReached(marked, stream, int(marked.spoken.Text().size()));
        break;
    }
    m_streams.erase(found);
    // A text that could not be spoken ends as well, so that a reading run goes on (and meets
    // the failure at its next Speak).
    if (m_interests & InterestEndStream)
        emit EndStream(stream, 0);
}

// The words up to the one whose mark came are reported in order: a mark the module passed
// over (espeak-ng drops one at a sentence's start) still has its word highlighted.
void DispatcherVoice::MarkReached(MarkedStream& marked, int stream, int index)
{
    while (marked.nextWord < marked.wordStarts.size() && marked.wordStarts.at(marked.nextWord) <= index) {
        for (const SpeechEvent& event : marked.filter.EventsForWord(marked.wordStarts.at(marked.nextWord))) {
            if (event.kind == SpeechEvent::Kind::Sentence && (m_interests & InterestSentence))
                emit Sentence(stream, 0, event.position, event.length);
            else if (event.kind == SpeechEvent::Kind::Word && (m_interests & InterestWord))
                emit Word(stream, 0, event.position, event.length);
        }
        ++marked.nextWord;
    }
}
