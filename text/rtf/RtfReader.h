#pragma once

#include "text/rtf/RtfColorTable.h"
#include "text/rtf/RtfDocumentBuilder.h"
#include "text/rtf/RtfFontTable.h"
#include "text/rtf/RtfGroupState.h"
#include "text/rtf/RtfTokenizer.h"

#include <QTextCharFormat>
#include <vector>

class QTextDocument;

// Reads RTF into a document, replacing its content. The data must start with "{\rtf"; after
// that reading never fails: whatever can be read is shown.
class RtfReader
{
public:
    RtfReader(const QByteArray& data, QTextDocument& document);
    void Read();

private:
    void OnToken(const RtfToken& token);
    void OnGroupOpen();
    void OnGroupClose();
    void OnControlWord(const RtfToken& token);
    void OnSymbol(char symbol);
    void OnTableWord(RtfKeyword keyword, int param);
    void OnDocumentWord(RtfKeyword keyword, const RtfToken& token);
    bool OnCharacterWord(RtfKeyword keyword, const RtfToken& token);
    bool OnParagraphWord(RtfKeyword keyword);
    void OnText(std::string_view bytes);
    void OnUnicode(int value);
    static QString UnicodeText(int value);
    bool SkipFallback();
    void ResolveStar(const RtfToken& token);

    void FlushBytes();
    void AppendText(QStringView text);
    void AppendUnit(char16_t unit, QString& out);
    const QTextCharFormat& CurrentFormat();
    QTextBlockFormat CurrentBlockFormat() const;
    RtfGroupState& Top() { return m_stack.back(); }

    RtfTokenizer m_tokenizer;
    RtfDocumentBuilder m_builder;
    std::vector<RtfGroupState> m_stack;
    int m_overflowDepth = 0; // groups beyond the depth limit, read as part of the deepest one
    bool m_done = false;
    int m_documentCodePage;
    RtfFontTable m_fonts;
    RtfColorTable m_colors;
    int m_defaultFont = 0;
    int m_footnotes = 0;
    int m_skipCount = 0; // fallback characters still to be passed over after a \uN
    QByteArray m_pendingBytes;
    char16_t m_highSurrogate = 0;
    bool m_formatDirty = true;
    QTextCharFormat m_format;
    QTextBlockFormat m_lastBlockFormat;
};
