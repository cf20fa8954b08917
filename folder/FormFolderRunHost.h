#pragma once

#include "folder/FolderRunHost.h"

#include <QPointer>

class QTextDocument;
class FileRunSession;

// The main window as the folder run's host, through the run's session: each text file is read into the text
// box as Open reads it (by the box's plain-text mode) and named in the caption, without becoming the window's
// current file; log lines go to the log pane; the batch's outcome is beeped. When the host goes, the text box
// gets back the document it held before, formatting and all.
class FormFolderRunHost : public FolderRunHost
{
public:
    explicit FormFolderRunHost(FileRunSession& session);
    ~FormFolderRunHost() override;
    FormFolderRunHost(const FormFolderRunHost&) = delete;
    FormFolderRunHost& operator=(const FormFolderRunHost&) = delete;

    void ShowTextFile(const QString& textFile, int number, int count) override;
    QString LoadText(const QString& textFile) override;
    QString BookTitle() const override { return m_bookTitle; }
    void Log(const QString& line) override;
    void Beep(int times) override;

private:
    void ReleaseUnlessOriginal(QTextDocument* document) const;

    FileRunSession& m_session;
    QPointer<QTextDocument> m_original;
    QString m_bookTitle;
};
