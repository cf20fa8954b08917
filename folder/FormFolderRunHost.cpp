#include "folder/FormFolderRunHost.h"

#include "documents/TextDocumentIO.h"
#include "main/FileRunSession.h"
#include "main/RichTextBox.h"

#include <QApplication>
#include <QTextDocument>
#include <QThread>
#include <memory>

namespace {

constexpr int BeepGapMs = 250;

} // namespace

// The box deletes a document of its own when another one takes its place: the box's
// first document is therefore handed to the box itself, to outlive the run.
FormFolderRunHost::FormFolderRunHost(FileRunSession& session)
    : m_session(session), m_original(session.TextBox().document())
{
    if (m_original->parent() != &m_session.TextBox())
        m_original->setParent(&m_session.TextBox());
}

FormFolderRunHost::~FormFolderRunHost()
{
    RichTextBox& box = m_session.TextBox();
    QTextDocument* shown = box.document();
    if (!m_original || shown == m_original)
        return;
    box.setDocument(m_original);
    ReleaseUnlessOriginal(shown);
}

// Every document read for the run is released once it is no longer shown.
void FormFolderRunHost::ReleaseUnlessOriginal(QTextDocument* document) const
{
    if (document != m_original && document->parent() == &m_session.TextBox())
        document->deleteLater();
}

void FormFolderRunHost::ShowTextFile(const QString& textFile, int, int)
{
    m_session.ShowFileInCaption(textFile);
}

// The file is read into a new document that replaces the box's one only when reading
// succeeded, so that a failed read leaves the text shown as it was.
QString FormFolderRunHost::LoadText(const QString& textFile)
{
    RichTextBox& box = m_session.TextBox();
    auto loaded = std::make_unique<QTextDocument>();
    loaded->setDefaultFont(box.document()->defaultFont());
    // Not the box's length limit, which guards typing: a run speaks a book of any length.
    LoadedFormat format;
    LoadDocument(textFile, box.PlainTextMode(), *loaded, NoCharacterLimit, &format);
    m_bookTitle = format.title;
    QTextDocument* previous = box.document();
    loaded->setParent(&box);
    box.setDocument(loaded.release());
    ReleaseUnlessOriginal(previous);
    return m_session.ProgramText();
}

void FormFolderRunHost::Log(const QString& line)
{
    m_session.AppendLog(line);
}

// Beeps in a row would sound as one: a short gap parts them.
void FormFolderRunHost::Beep(int times)
{
    for (int i = 0; i < times; ++i) {
        if (i > 0)
            QThread::msleep(BeepGapMs);
        QApplication::beep();
    }
}
