#include "FormMainFixture.h"

#include "main/ErrorGuard.h"
#include "main/RichTextBox.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBlock>

FormMainFixture::FormMainFixture() : m_oldCurrent(QDir::currentPath())
{
    qputenv("VEMO_SETTINGS_DIR", m_dir.path().toUtf8());
    QDir::setCurrent(m_dir.path());
    SetErrorDisplay([this](QWidget*, const QString& message) { Errors << message; });
}

FormMainFixture::~FormMainFixture()
{
    m_form.reset();
    SetErrorDisplay({});
    QDir::setCurrent(m_oldCurrent);
    qunsetenv("VEMO_SETTINGS_DIR");
}

void FormMainFixture::WriteFile(const QString& name, const QByteArray& bytes) const
{
    QFile file(m_dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QString FormMainFixture::ReadFile(const QString& name) const
{
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TFormMain& FormMainFixture::Open(SpeechEngineKind engine)
{
    m_form = std::make_unique<TFormMain>(engine);
    m_form->show();
    return *m_form;
}

QString ProgramText(const TFormMain& form)
{
    return form.MText->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

QStringList BoldRanges(const TFormMain& form)
{
    QStringList ranges;
    QString current;
    for (QTextBlock block = form.MText->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().fontWeight() > QFont::Normal) {
                current += fragment.text();
            } else if (!current.isEmpty()) {
                ranges << current;
                current.clear();
            }
        }
        if (!current.isEmpty() && block.next().isValid() && block.next().length() > 1 &&
            block.next().begin().fragment().charFormat().fontWeight() > QFont::Normal)
            current += QStringLiteral("\r\n");
    }
    if (!current.isEmpty())
        ranges << current;
    return ranges;
}
