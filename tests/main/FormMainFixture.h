#pragma once

#include "main/FormMain.h"
#include "tests/main/MainControls.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A main window on a chosen engine with its settings and current directory in a fresh
// temporary folder, and every error it shows collected instead of a message box.
class FormMainFixture
{
public:
    FormMainFixture();
    ~FormMainFixture();

    QString Folder() const { return m_dir.path(); }
    QString OpsPath() const { return m_dir.path() + QStringLiteral("/ops.txt"); }
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    QString ReadFile(const QString& name) const;

    TFormMain& Open(SpeechEngineKind engine = SpeechEngineKind::Test);
    void Close() { m_form.reset(); }
    TFormMain& Form() { return *m_form; }

    QStringList Errors;

private:
    QTemporaryDir m_dir;
    QString m_oldCurrent;
    std::unique_ptr<TFormMain> m_form;
};

// The text ranges of MText set in bold, with paragraph breaks written as CR LF.
QStringList BoldRanges(const TFormMain& form);
// Records, for every Word event while the window reads, "R:" or "E:" (the voice) and the word
// the text box then shows selected, and the ranges then in bold (joined by '|'), so that a
// test sees which sentence stood in bold with each word.
void RecordReading(TFormMain& form, QStringList& selected, QStringList& bold);
// MText's text with paragraph breaks written as CR LF.
QString ProgramText(const TFormMain& form);
