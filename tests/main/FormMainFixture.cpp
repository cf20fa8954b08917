#include "FormMainFixture.h"

#include "main/ErrorGuard.h"
#include "main/RichTextBox.h"
#include "main/SentenceEmphasis.h"

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
    return NamedChild<RichTextBox>(form, "MText")->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void RecordReading(TFormMain& form, QStringList& selected, QStringList& bold)
{
    const MainControls ui(form);
    for (SpeechVoice* voice : {ui.SpVoiceRu, ui.SpVoiceEng}) {
        const QString lang = voice == ui.SpVoiceEng ? QStringLiteral("E:") : QStringLiteral("R:");
        RichTextBox* text = ui.MText;
        QObject::connect(voice, &SpeechVoice::Word, &form,
                         [&form, &selected, &bold, lang, text](int, qint64, int, int) {
                             if (!form.Reading().IsSpeaking())
                                 return;
                             selected << lang + text->textCursor().selectedText();
                             bold << BoldRanges(form).join(u'|');
                         });
    }
}

QStringList BoldRanges(const TFormMain& form)
{
    // What the window shows in bold: the sentence emphasis over the document's own formats.
    QStringList ranges;
    QString current;
    const QTextDocument& document = *NamedChild<RichTextBox>(form, "MText")->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (int i = 0; i < text.size(); ++i) {
            if (SentenceEmphasis::IsEmphasised(document, block.position() + i)) {
                current += text.at(i);
            } else if (!current.isEmpty()) {
                ranges << current;
                current.clear();
            }
        }
        if (!current.isEmpty() && block.next().isValid() &&
            SentenceEmphasis::IsEmphasised(document, block.next().position()))
            current += QStringLiteral("\r\n");
        else if (!current.isEmpty()) {
            ranges << current;
            current.clear();
        }
    }
    return ranges;
}
