#include "text/rtf/RtfWriter.h"

#include "text/rtf/RtfCodePages.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

const char* UnderlineWord(QTextCharFormat::UnderlineStyle style)
{
    switch (style) {
    case QTextCharFormat::NoUnderline:
        return "ulnone";
    case QTextCharFormat::DotLine:
        return "uld";
    case QTextCharFormat::DashUnderline:
        return "uldash";
    case QTextCharFormat::DashDotLine:
        return "uldashd";
    case QTextCharFormat::DashDotDotLine:
        return "uldashdd";
    case QTextCharFormat::WaveUnderline:
        return "ulwave";
    default:
        return "ul";
    }
}

const char* VerticalWord(QTextCharFormat::VerticalAlignment alignment)
{
    switch (alignment) {
    case QTextCharFormat::AlignSuperScript:
        return "super";
    case QTextCharFormat::AlignSubScript:
        return "sub";
    default:
        return "nosupersub";
    }
}

bool HasBrush(const QTextCharFormat& format, int property)
{
    return format.hasProperty(property) && format.brushProperty(property).style() != Qt::NoBrush;
}

} // namespace

RtfWriter::RtfWriter(const QTextDocument& document) : m_document(document)
{
    FontIndex(document.defaultFont().family());
    m_colors.append(QColor());
    m_current.font = 0;
    m_current.background = 0;
}

QByteArray RtfWriter::Write()
{
    // The body is written first, so that the tables hold every font and colour it uses.
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
        WriteBlock(block);
    WriteHeader();
    m_out.append(m_body);
    m_out.append("}\r\n");
    return m_out;
}

void RtfWriter::WriteHeader()
{
    m_out.append("{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl");
    for (qsizetype i = 0; i < m_fonts.size(); ++i) {
        m_out.append("{\\f" + QByteArray::number(i) + "\\fnil\\fcharset204 ");
        m_afterWord = false;
        WriteText(QString(m_fonts.at(i)).remove(u';'), m_out);
        m_out.append(";}");
    }
    m_out.append("}\r\n{\\colortbl;");
    for (qsizetype i = 1; i < m_colors.size(); ++i) {
        const QColor& c = m_colors.at(i);
        m_out.append("\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) +
                     "\\blue" + QByteArray::number(c.blue()) + ";");
    }
    m_out.append("}\r\n\\pard\\plain");
}

RtfCharProps RtfWriter::PropsOf(const QTextCharFormat& format)
{
    const QFont font = format.font().resolve(m_document.defaultFont());
    RtfCharProps props;
    props.font = FontIndex(font.family());
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    props.halfPoints = std::max(1, qRound(points * 2));
    props.bold = font.bold();
    props.italic = font.italic();
    props.underline = format.underlineStyle();
    if (props.underline == QTextCharFormat::NoUnderline && font.underline())
        props.underline = QTextCharFormat::SingleUnderline;
    props.strike = font.strikeOut();
    props.color =
        HasBrush(format, QTextFormat::ForegroundBrush) ? ColorIndex(format.foreground().color()) : 0;
    props.background =
        HasBrush(format, QTextFormat::BackgroundBrush) ? ColorIndex(format.background().color()) : 0;
    const auto vertical = format.verticalAlignment();
    if (vertical == QTextCharFormat::AlignSuperScript || vertical == QTextCharFormat::AlignSubScript)
        props.vertical = vertical;
    return props;
}

int RtfWriter::FontIndex(const QString& family)
{
    const auto [it, added] = m_fontIndex.try_emplace(family, int(m_fonts.size()));
    if (added)
        m_fonts.append(family);
    return it->second;
}

int RtfWriter::ColorIndex(const QColor& color)
{
    const QRgb rgb = color.rgb();
    const auto [it, added] = m_colorIndex.try_emplace(rgb, int(m_colors.size()));
    if (added)
        m_colors.append(QColor(rgb));
    return it->second;
}

void RtfWriter::WriteBlock(const QTextBlock& block)
{
    WriteAlignment(block.blockFormat().alignment());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        WriteChanges(PropsOf(fragment.charFormat()));
        WriteText(fragment.text(), m_body);
    }
    WriteWord("par");
    m_body.append("\r\n");
    m_afterWord = false;
}

void RtfWriter::WriteAlignment(Qt::Alignment alignment)
{
    alignment &= Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
    if (!alignment)
        alignment = Qt::AlignLeft;
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    WriteWord(alignment == Qt::AlignHCenter   ? "qc"
              : alignment == Qt::AlignRight   ? "qr"
              : alignment == Qt::AlignJustify ? "qj"
                                              : "ql");
}

void RtfWriter::WriteChanges(const RtfCharProps& to)
{
    RtfCharProps& from = m_current;
    if (from.font != to.font)
        WriteWord("f", to.font);
    if (from.halfPoints != to.halfPoints)
        WriteWord("fs", to.halfPoints);
    if (from.bold != to.bold)
        WriteWord(to.bold ? "b" : "b0");
    if (from.italic != to.italic)
        WriteWord(to.italic ? "i" : "i0");
    if (from.underline != to.underline)
        WriteWord(UnderlineWord(to.underline));
    if (from.strike != to.strike)
        WriteWord(to.strike ? "strike" : "strike0");
    if (from.color != to.color)
        WriteWord("cf", to.color);
    // \chcbpat keeps any colour; \highlight would be cut down to the 16 marker colours.
    if (from.background != to.background)
        WriteWord("chcbpat", to.background);
    if (from.vertical != to.vertical)
        WriteWord(VerticalWord(to.vertical));
    from = to;
}

void RtfWriter::WriteWord(const char* word)
{
    m_body.append('\\');
    m_body.append(word);
    m_afterWord = true;
}

void RtfWriter::WriteWord(const char* word, int param)
{
    WriteWord(word);
    m_body.append(QByteArray::number(param));
}

void RtfWriter::WriteText(QStringView text, QByteArray& out)
{
    for (const QChar c : text)
        WriteChar(c.unicode(), out);
}

void RtfWriter::WriteChar(char16_t c, QByteArray& out)
{
    if (c == u'\t' || c == 0x2028 || c == u'\n' || c == 0x2029) {
        out.append(c == u'\t' ? "\\tab" : "\\line");
        m_afterWord = true;
        return;
    }
    if (c < 0x20 || c == QChar::ObjectReplacementCharacter)
        return; // other control characters, and places of pictures that are not written, are left out
    if (c == u'\\' || c == u'{' || c == u'}') {
        out.append('\\');
        out.append(char(c));
    } else if (c < 0x80) {
        const bool delimiter = c == u' ' || c == u'-' || (c >= u'0' && c <= u'9') || QChar::isLetter(c);
        if (m_afterWord && delimiter)
            out.append(' ');
        out.append(char(c));
    } else if (const unsigned char byte = EncodeCp1251(c)) {
        static const char hex[] = "0123456789abcdef";
        out.append("\\'");
        out.append(hex[byte >> 4]);
        out.append(hex[byte & 15]);
    } else {
        out.append("\\u" + QByteArray::number(c > 0x7FFF ? int(c) - 0x10000 : int(c)) + '?');
    }
    m_afterWord = false;
}
