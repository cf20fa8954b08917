#include "soundfile/FormToFileHost.h"

#include "main/FileRunSession.h"

#include <QCoreApplication>
#include <QDir>
#include <utility>

FormToFileHost::FormToFileHost(FileRunSession& session) : m_session(session) {}

SpeechVoice& FormToFileHost::VoiceRu()
{
    return m_session.VoiceRu();
}

SpeechVoice& FormToFileHost::VoiceEng()
{
    return m_session.VoiceEng();
}

SpFileStream& FormToFileHost::FileStream()
{
    return m_session.FileStream();
}

FragmentLists& FormToFileHost::Fragments()
{
    return m_session.Fragments();
}

void FormToFileHost::SetFragmentIndex(int index)
{
    m_session.SetFragmentIndex(index);
}

bool FormToFileHost::StopToFileRequested() const
{
    return m_session.StopToFileRequested();
}

void FormToFileHost::LetMessagesThrough()
{
    QCoreApplication::processEvents();
}

// The pane shows the tag, the fragment's text below it and an empty line.
void FormToFileHost::ShowFragment(const QString& logEntry)
{
    m_fragment = QString(logEntry).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ShowIfDue(false);
}

// A conversion may take a while without a fragment after it: its caption is shown at once.
void FormToFileHost::ShowProgress(const QString& captionSuffix)
{
    m_caption = m_session.Caption() + captionSuffix;
    ShowIfDue(!captionSuffix.startsWith(QStringLiteral(" фрагмент")));
}

void FormToFileHost::ShowRunEnded()
{
    ShowIfDue(true);
}

// The widgets are changed, not repainted: they are painted when the run next lets messages
// through, which it does after every fragment.
void FormToFileHost::ShowIfDue(bool now)
{
    if (!now && m_shown.isValid() && m_shown.elapsed() < ShowIntervalMs)
        return;
    m_shown.start();
    if (m_fragment)
        m_session.ShowLog(*std::exchange(m_fragment, std::nullopt));
    if (m_caption)
        m_session.ShowCaption(*std::exchange(m_caption, std::nullopt));
}

// The WAV file stays as it is and the run goes on once the box is closed.
void FormToFileHost::ShowConversionError(const QString& message, const QString& wavFileName)
{
    m_session.ShowError(message + u' ' + QDir::toNativeSeparators(wavFileName));
}
