#pragma once

#include "text/rtf/RtfCharProps.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QStringList>
#include <unordered_map>

class QTextBlock;
class QTextDocument;

// Writes a document as RTF in the Windows-1251 code page: a font and a colour table built from
// the document, then its paragraphs, with control words only where the formatting changes.
class RtfWriter
{
public:
    explicit RtfWriter(const QTextDocument& document);
    QByteArray Write();

private:
    RtfCharProps PropsOf(const QTextCharFormat& format);
    int FontIndex(const QString& family);
    int ColorIndex(const QColor& color);
    void WriteHeader();
    void WriteBlock(const QTextBlock& block);
    void WriteAlignment(Qt::Alignment alignment);
    void WriteChanges(const RtfCharProps& to);
    void WriteWord(const char* word);
    void WriteWord(const char* word, int param);
    void WriteText(QStringView text, QByteArray& out);
    void WriteChar(char16_t c, QByteArray& out);

    const QTextDocument& m_document;
    QStringList m_fonts;
    std::unordered_map<QString, int> m_fontIndex;
    QList<QColor> m_colors; // entry 0 is the automatic colour
    std::unordered_map<QRgb, int> m_colorIndex;
    QByteArray m_body;
    QByteArray m_out;
    RtfCharProps m_current;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_afterWord = true; // the next literal may need a delimiting space
};
