#include "main/ReadingRun.h"

#include "main/PictureDictionary.h"
#include "main/ReadingView.h"
#include "speech/SpeechVoice.h"

#include <QScopeGuard>
#include <QThreadPool>
#include <QTimer>
#include <limits>

namespace {

// Characters cut before the first fragment is spoken, and per turn of the event loop after
// it, each taken from the text box first: about 1 ms and 10 ms (a text of short fragments in
// two languages takes longer), short enough for the sound played on the same thread.
constexpr qsizetype FirstStretch = 65536;
constexpr qsizetype LaterStretch = 500000;
// The cut goes on this long after the first fragment was given to its voice: the voice makes
// its first sound on another thread while this one is free to play it. A fragment takes
// seconds to speak, and the next one is cut at once when it is due.
constexpr int FirstSoundMs = 200;
// Fragment lists longer than this are freed away from the window's thread.
constexpr qsizetype ListsFreedLater = 10000;

} // namespace

ReadingRun::ReadingRun(SpeechVoice& voiceRu, SpeechVoice& voiceEng, ReadingView& view, Guard guard,
                       QObject* parent)
    : QObject(parent), m_voiceRu(voiceRu), m_voiceEng(voiceEng), m_view(view), m_guard(std::move(guard)),
      m_timer(new QTimer(this)), m_cutTimer(new QTimer(this))
{
    m_cutTimer->setSingleShot(true);
    connect(m_cutTimer, &QTimer::timeout, this, [this] { m_guard([this] { CutMore(); }); });
    m_timer->setObjectName(QStringLiteral("TimerNextFragment"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] { m_guard([this] { Tick(); }); });
    // The first tick makes the text box editable.
    m_timer->start();
}

bool ReadingRun::IsTicking() const
{
    return m_timer->isActive();
}

SpeechVoice& ReadingRun::VoiceOf(const QString& lang)
{
    return lang == u"E" ? m_voiceEng : m_voiceRu;
}

SpeechVoice& ReadingRun::CurrentVoice()
{
    return VoiceOf(HasCurrentFragment() ? m_fragments.FragmentLangs.at(m_fragmentIndex) : QString());
}

bool ReadingRun::HasCurrentFragment() const
{
    return m_fragmentIndex >= 0 && m_fragmentIndex < m_fragments.Count() &&
           m_fragmentIndex < m_fragments.FragmentLangs.size() &&
           m_fragmentIndex < m_fragments.FragmentOffsets.size();
}

int ReadingRun::FragmentStart() const
{
    return m_fragments.FragmentOffsets.at(m_fragmentIndex).toInt();
}

void ReadingRun::SpeakCurrent()
{
    CurrentVoice().Speak(m_fragments.FragmentTexts.at(m_fragmentIndex), m_speakFlags);
}

int ReadingRun::ReadingBase() const
{
    return m_source ? Base() : 0;
}

int ReadingRun::Base() const
{
    if (m_readingBase < 0)
        m_readingBase = m_source->Base();
    return m_readingBase;
}

void ReadingRun::StartReading(const QString& region, int base)
{
    StartReading(std::make_unique<StringReadingSource>(region, base));
}

void ReadingRun::StartReading(std::unique_ptr<ReadingSource> source)
{
    m_timer->stop();
    // The tick after the start goes on with the run, or makes the text box editable again
    // when the run ended at once or failed to start.
    const auto tickAfter = qScopeGuard([this] { m_timer->start(); });
    m_view.ClearLog();
    m_streamEnded = false;
    m_speakFlags = 1;
    m_digitLang = m_view.DigitChoice();
    // The text of an earlier run is no longer wanted.
    AbandonCut();
    m_source.reset();
    if (m_speaking) {
        StopReading();
        m_speaking = false;
        m_fragments.Clear();
    }
    m_fragmentIndex = 0;
    // What a previous run showed in bold is no longer shown; its place may lie before this
    // region.
    m_sentenceStart = 0;
    m_sentenceLength = 0;
    m_source = std::move(source);
    m_readingBase = -1;
    if (m_view.XmlMode()) {
        m_speakFlags = SpeakAsyncXml;
        QString region;
        while (m_source->Read(std::numeric_limits<int>::max(), region)) {
        }
        SplitXmlText(region, m_fragments);
    } else {
        m_speakFlags = SpeakAsyncPlain;
        DropFragments();
        m_cut = std::make_unique<PlainTextSplitter>(*m_source, FragmentLimit, m_digitLang, m_fragments);
        // The first fragment is complete once a second one has begun or the text is done.
        while (m_cut && m_fragments.Count() < 2)
            CutMore();
    }
    if (m_fragments.Count() == 0) {
        // Nothing to say from the caret on: the run ends before it begins.
        m_view.AppendLog(QStringLiteral("End!"));
        ReleaseText();
        m_view.SetTextEditable(true);
        return;
    }
    SpeakCurrent();
    m_speaking = true;
    if (m_cut)
        m_cutTimer->start(FirstSoundMs);
    m_view.AppendLog(m_fragments.FragmentLangs.at(m_fragmentIndex));
    m_view.AppendLog(m_fragments.FragmentTexts.at(m_fragmentIndex));
}

void ReadingRun::CutMore()
{
    if (!m_cut)
        return;
    if (!m_cut->Advance(m_fragments.Count() == 0 ? FirstStretch : LaterStretch)) {
        m_cutTimer->start(0);
        return;
    }
    AbandonCut();
    WriteFragmentDump(m_fragments.FragmentTexts);
}

void ReadingRun::DropFragments()
{
    // The lists of a long text hold a string per fragment, a million of them: freeing them on
    // this thread would hold up the next reading's first sound by tens of milliseconds. The
    // strings are shared with nothing that another thread could touch at the same time (their
    // counts are atomic), and the pool is waited for when the program ends.
    if (m_fragments.Count() > ListsFreedLater) {
        auto old = std::make_shared<FragmentLists>(std::move(m_fragments));
        QThreadPool::globalInstance()->start([old = std::move(old)]() mutable { old.reset(); });
    }
    m_fragments.Clear();
}

void ReadingRun::ReleaseText()
{
    // The text box becomes editable: the cut that goes on for the dump, and the region's
    // start, must not depend on its text from now on.
    if (m_cut)
        m_cut->TakeWholeText();
    if (m_source)
        Base();
}

void ReadingRun::AbandonCut()
{
    m_cutTimer->stop();
    m_cut.reset();
}

void ReadingRun::NextFragment()
{
    m_streamEnded = false;
    // The next fragment may not be cut yet.
    while (m_cut && m_fragmentIndex >= m_fragments.Count() - 1)
        CutMore();
    if (m_fragmentIndex >= m_fragments.Count() - 1 || !m_speaking) {
        m_fragmentIndex = 0;
        m_speaking = false;
        m_view.AppendLog(QStringLiteral("End!"));
        return;
    }
    ++m_fragmentIndex;
    SpeakCurrent();
    m_view.AppendLog(m_fragments.FragmentLangs.at(m_fragmentIndex));
    m_view.AppendLog(m_fragments.FragmentTexts.at(m_fragmentIndex));
}

void ReadingRun::StopReading()
{
    if (!m_speaking)
        return;
    m_timer->stop();
    m_speaking = false;
    CurrentVoice().Speak(QString(), SpeakPurge);
    ReleaseText();
    m_streamEnded = false;
    // No end of stream comes after a purge: the sentence shown in bold goes back now, and
    // both meters fall silent.
    m_view.RemoveEmphasis(m_sentenceStart, m_sentenceLength);
    m_view.ShowAudioLevel(QStringLiteral("R"), 0);
    m_view.ShowAudioLevel(QStringLiteral("E"), 0);
}

void ReadingRun::PauseReading()
{
    if (!m_speaking || m_paused)
        return;
    m_timer->stop();
    m_paused = true;
    CurrentVoice().Pause();
}

void ReadingRun::ResumeReading()
{
    if (!m_paused)
        return;
    CurrentVoice().Resume();
    m_paused = false;
    m_timer->start();
}

void ReadingRun::BreakOff()
{
    AbandonCut();
    m_streamEnded = false;
    if (!m_speaking)
        return;
    ResumeReading();
    StopReading();
    DropFragments();
    m_fragmentIndex = 0;
}

void ReadingRun::Hold()
{
    // The runs into files fill the fragment lists with their own.
    AbandonCut();
    m_timer->stop();
    m_speaking = false;
    m_held = true;
}

void ReadingRun::Release()
{
    m_speaking = false;
    m_paused = false;
    m_held = false;
}

void ReadingRun::Tick()
{
    m_timer->stop();
    if (m_speaking && m_streamEnded) {
        try {
            NextFragment();
        } catch (...) {
            // A voice that cannot speak ends the run; the error is shown by the guard.
            m_speaking = false;
            ReleaseText();
            m_view.SetTextEditable(true);
            throw;
        }
    }
    if (m_speaking) {
        m_timer->start();
        return;
    }
    ReleaseText();
    m_view.SetTextEditable(true);
}

void ReadingRun::EndStream()
{
    m_streamEnded = true;
    // A run into files ends a stream after every fragment while nothing is being read: the
    // text box keeps its selection and styles (resetting them redrew it every fragment).
    if (m_held)
        return;
    // The next fragment follows at once rather than up to a tick later: the voice reports
    // its end while its closing pause still plays, so the join keeps the pause's length.
    if (m_speaking && !m_paused && m_timer->isActive())
        QTimer::singleShot(0, this, [this] {
            if (m_streamEnded && m_timer->isActive())
                m_guard([this] { Tick(); });
        });
    m_view.SelectRange(0, 0);
    m_view.SetRangeStyle(m_sentenceStart, m_sentenceLength, false);
    // The voice is quiet now; its meter would otherwise keep the last sound's level.
    if (HasCurrentFragment())
        m_view.ShowAudioLevel(m_fragments.FragmentLangs.at(m_fragmentIndex), 0);
}

void ReadingRun::Word(const QString& lang, int characterPosition, int length)
{
    if (!m_speaking || !HasCurrentFragment())
        return;
    m_view.SelectRange(Base() + FragmentStart() + characterPosition, length);
    if (lang == u"E" && m_view.PicturesWanted())
        m_view.ShowDictionaryPicture(PictureDictionary::WordAt(m_fragments.FragmentTexts.at(m_fragmentIndex),
                                                               characterPosition, length));
}

void ReadingRun::Sentence(int characterPosition, int length)
{
    if (!m_speaking || !HasCurrentFragment())
        return;
    const int p = Base() + FragmentStart() + characterPosition;
    m_view.SetRangeStyle(m_sentenceStart, m_sentenceLength, false);
    m_view.SetRangeStyle(p, length, true);
    m_sentenceStart = p;
    m_sentenceLength = length;
}

void ReadingRun::AudioLevel(const QString& lang, int level)
{
    m_view.ShowAudioLevel(lang, level);
}
