#include "main/ReadingRun.h"

#include "main/PictureDictionary.h"
#include "main/ReadingView.h"
#include "speech/SpeechVoice.h"

#include <QTimer>

ReadingRun::ReadingRun(SpeechVoice& voiceRu, SpeechVoice& voiceEng, ReadingView& view, QObject* parent)
    : QObject(parent), TimerNextFragment(new QTimer(this)), m_voiceRu(voiceRu), m_voiceEng(voiceEng),
      m_view(view)
{
    TimerNextFragment->setObjectName(QStringLiteral("TimerNextFragment"));
    TimerNextFragment->setInterval(100);
}

SpeechVoice& ReadingRun::VoiceOf(const QString& lang)
{
    return lang == u"E" ? m_voiceEng : m_voiceRu;
}

SpeechVoice& ReadingRun::CurrentVoice()
{
    return VoiceOf(HasCurrentFragment() ? Fragments.FragmentLangs.at(FragmentIndex) : QString());
}

bool ReadingRun::HasCurrentFragment() const
{
    return FragmentIndex >= 0 && FragmentIndex < Fragments.count() &&
           FragmentIndex < Fragments.FragmentLangs.size() && FragmentIndex < Fragments.FragmentOffsets.size();
}

int ReadingRun::FragmentStart() const
{
    return Fragments.FragmentOffsets.at(FragmentIndex).toInt();
}

void ReadingRun::SpeakCurrent()
{
    CurrentVoice().Speak(Fragments.FragmentTexts.at(FragmentIndex), SpeakFlags);
}

void ReadingRun::StartReading(const QString& region)
{
    m_view.ClearLog();
    StreamEnded = false;
    SpeakFlags = 1;
    DigitLang = m_view.DigitChoice();
    if (Speaking) {
        StopReading();
        Speaking = false;
        Fragments.clear();
        FragmentIndex = 0;
    }
    FragmentIndex = 0;
    if (m_view.XmlMode()) {
        SpeakFlags = SpeakAsyncXml;
        SplitXmlText(region, Fragments);
    } else {
        SpeakFlags = SpeakAsyncPlain;
        SplitPlainText(region, FragmentLimit, DigitLang, Fragments);
    }
    if (Fragments.count() == 0) {
        // Nothing to say from the caret on: the run ends before it begins.
        m_view.AppendLog(QStringLiteral("End!"));
        m_view.SetTextEditable(true);
        return;
    }
    SpeakCurrent();
    Speaking = true;
    m_view.AppendLog(Fragments.FragmentLangs.at(FragmentIndex));
    m_view.AppendLog(Fragments.FragmentTexts.at(FragmentIndex));
}

void ReadingRun::NextFragment()
{
    StreamEnded = false;
    if (FragmentIndex >= Fragments.count() - 1 || !Speaking) {
        FragmentIndex = 0;
        Speaking = false;
        m_view.AppendLog(QStringLiteral("End!"));
        return;
    }
    ++FragmentIndex;
    SpeakCurrent();
    m_view.AppendLog(Fragments.FragmentLangs.at(FragmentIndex));
    m_view.AppendLog(Fragments.FragmentTexts.at(FragmentIndex));
}

void ReadingRun::StopReading()
{
    if (!Speaking)
        return;
    Speaking = false;
    CurrentVoice().Speak(QString(), SpeakPurge);
    StreamEnded = false;
    // No end of stream comes after a purge: the sentence shown in bold goes back now, and
    // both meters fall silent.
    m_view.RemoveEmphasis(SentenceStart, SentenceLength);
    m_view.ShowAudioLevel(QStringLiteral("R"), 0);
    m_view.ShowAudioLevel(QStringLiteral("E"), 0);
}

void ReadingRun::PauseReading()
{
    Paused = true;
    CurrentVoice().Pause();
}

void ReadingRun::ResumeReading()
{
    CurrentVoice().Resume();
    Paused = false;
}

void ReadingRun::BreakOff()
{
    if (!Speaking)
        return;
    if (Paused)
        ResumeReading();
    StopReading();
    Fragments.clear();
    FragmentIndex = 0;
}

void ReadingRun::TimerNextFragmentTimer()
{
    TimerNextFragment->stop();
    if (Speaking && StreamEnded)
        NextFragment();
    if (Speaking)
        TimerNextFragment->start();
    else
        m_view.SetTextEditable(true);
}

void ReadingRun::EndStream()
{
    StreamEnded = true;
    // The next fragment follows at once rather than up to a tick later: the voice reports
    // its end while its closing pause still plays, so the join keeps the pause's length.
    if (Speaking && !Paused && TimerNextFragment->isActive())
        QTimer::singleShot(0, this, [this] {
            if (StreamEnded && TimerNextFragment->isActive())
                TimerNextFragmentTimer();
        });
    m_view.SelectRange(0, 0);
    m_view.SetRangeStyle(SentenceStart, SentenceLength, false);
    // The voice is quiet now; its meter would otherwise keep the last sound's level.
    if (HasCurrentFragment())
        m_view.ShowAudioLevel(Fragments.FragmentLangs.at(FragmentIndex), 0);
}

void ReadingRun::Word(const QString& lang, int characterPosition, int length)
{
    if (!Speaking || !HasCurrentFragment())
        return;
    m_view.SelectRange(ReadingBase + FragmentStart() + characterPosition, length);
    if (lang == u"E" && m_view.PicturesWanted())
        m_view.ShowDictionaryPicture(
            PictureDictionary::WordAt(Fragments.FragmentTexts.at(FragmentIndex), characterPosition, length));
}

void ReadingRun::Sentence(int characterPosition, int length)
{
    if (!Speaking || !HasCurrentFragment())
        return;
    const int p = ReadingBase + FragmentStart() + characterPosition;
    m_view.SetRangeStyle(SentenceStart, SentenceLength, false);
    m_view.SetRangeStyle(p, length, true);
    SentenceStart = p;
    SentenceLength = length;
}

void ReadingRun::AudioLevel(const QString& lang, int level)
{
    m_view.ShowAudioLevel(lang, level);
}
