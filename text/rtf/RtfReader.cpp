#include "text/rtf/RtfReader.h"

#include "text/rtf/RtfCodePages.h"

#include <QTextDocument>
#include <optional>

namespace {

// Deeper nesting is legal but never meaningful; the limit keeps memory bounded.
constexpr size_t kMaxGroupDepth = 1000;
constexpr char16_t kReplacement = 0xFFFD;

bool ToggleOn(const RtfToken& token)
{
    return !token.hasParam || token.param != 0;
}

std::optional<QTextCharFormat::UnderlineStyle> UnderlineStyleOf(RtfKeyword keyword)
{
    switch (keyword) {
    case RtfKeyword::Underline:
        return QTextCharFormat::SingleUnderline;
    case RtfKeyword::UnderlineDotted:
        return QTextCharFormat::DotLine;
    case RtfKeyword::UnderlineDash:
        return QTextCharFormat::DashUnderline;
    case RtfKeyword::UnderlineDashDot:
        return QTextCharFormat::DashDotLine;
    case RtfKeyword::UnderlineDashDotDot:
        return QTextCharFormat::DashDotDotLine;
    case RtfKeyword::UnderlineWave:
        return QTextCharFormat::WaveUnderline;
    case RtfKeyword::UnderlineNone:
        return QTextCharFormat::NoUnderline;
    default:
        return std::nullopt;
    }
}

std::optional<QTextCharFormat::VerticalAlignment> VerticalAlignmentOf(RtfKeyword keyword)
{
    switch (keyword) {
    case RtfKeyword::Super:
        return QTextCharFormat::AlignSuperScript;
    case RtfKeyword::Sub:
        return QTextCharFormat::AlignSubScript;
    case RtfKeyword::NoSuperSub:
        return QTextCharFormat::AlignNormal;
    default:
        return std::nullopt;
    }
}

} // namespace

RtfReader::RtfReader(const QByteArray& data, QTextDocument& document)
    : m_tokenizer(data), m_builder(document), m_documentCodePage(kRtfDefaultCodePage),
      m_fonts(m_documentCodePage)
{
    m_stack.reserve(64);
}

void RtfReader::Read()
{
    while (!m_done) {
        const RtfToken token = m_tokenizer.Next();
        if (token.kind == RtfToken::Kind::End)
            break;
        OnToken(token);
    }
    if (!m_stack.empty())
        FlushBytes();
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        m_builder.AppendText(QStringView(&kReplacement, 1), m_format);
    }
    m_builder.Finish(m_stack.empty() ? m_lastBlockFormat : CurrentBlockFormat());
}

void RtfReader::OnToken(const RtfToken& token)
{
    using Kind = RtfToken::Kind;
    if (m_stack.empty() && token.kind != Kind::GroupOpen)
        return; // only white space comes before the first group
    if (token.kind == Kind::GroupOpen)
        return OnGroupOpen();
    if (token.kind == Kind::GroupClose)
        return OnGroupClose();
    ResolveStar(token);
    if (Top().destination == RtfDestination::Skipped)
        return;
    switch (token.kind) {
    case Kind::ControlWord:
        return OnControlWord(token);
    case Kind::Symbol:
        return OnSymbol(token.symbol);
    case Kind::HexByte:
        return OnText(std::string_view(reinterpret_cast<const char*>(&token.value), 1));
    case Kind::Text:
        return OnText(token.bytes);
    case Kind::Binary:
        SkipFallback(); // binary data is never text, but it may be the fallback of a \uN
        return;
    default:
        return;
    }
}

// A group that starts with \* is passed over unless its first word is one the reader knows
// as a destination; a field's result is shown even when it is starred.
void RtfReader::ResolveStar(const RtfToken& token)
{
    RtfGroupState& top = Top();
    if (!top.starred || (token.kind == RtfToken::Kind::Symbol && token.symbol == '*'))
        return;
    top.starred = false;
    if (token.kind != RtfToken::Kind::ControlWord) {
        top.destination = RtfDestination::Skipped;
        return;
    }
    const RtfKeyword keyword = LookupRtfKeyword(token.name);
    if (keyword != RtfKeyword::FieldResult && keyword != RtfKeyword::FontTable &&
        keyword != RtfKeyword::ColorTable)
        top.destination = RtfDestination::Skipped;
}

void RtfReader::OnGroupOpen()
{
    FlushBytes();
    m_skipCount = 0;
    if (m_stack.size() >= kMaxGroupDepth) {
        ++m_overflowDepth;
        return;
    }
    RtfGroupState state = m_stack.empty() ? RtfGroupState{} : Top();
    state.starred = false;
    m_stack.push_back(state);
}

void RtfReader::OnGroupClose()
{
    FlushBytes();
    m_skipCount = 0;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (m_stack.size() == 1) {
        // The document ends with its group. A brace that would close it before the last one
        // in the file is a writer's mistake and is passed over, so the text after it is kept.
        if (m_tokenizer.GroupCloseFollows())
            return;
        m_lastBlockFormat = CurrentBlockFormat(); // that of the paragraph the document ends in
        m_stack.pop_back();
        m_done = true;
        return;
    }
    const RtfDestination closed = Top().destination;
    m_stack.pop_back();
    if (closed == RtfDestination::FontTable)
        m_fonts.OnGroupEnd();
    m_formatDirty = true;
}

void RtfReader::OnControlWord(const RtfToken& token)
{
    const RtfKeyword keyword = LookupRtfKeyword(token.name);
    RtfGroupState& top = Top();
    if (keyword == RtfKeyword::U)
        return OnUnicode(token.param);
    if (SkipFallback())
        return;
    if (top.destination == RtfDestination::FontTable || top.destination == RtfDestination::ColorTable)
        return OnTableWord(keyword, token.param);
    FlushBytes();
    if (OnCharacterWord(keyword, token)) {
        m_formatDirty = true;
        return;
    }
    if (!OnParagraphWord(keyword))
        OnDocumentWord(keyword, token);
}

void RtfReader::OnTableWord(RtfKeyword keyword, int param)
{
    if (Top().destination == RtfDestination::FontTable)
        m_fonts.OnKeyword(keyword, param);
    else
        m_colors.OnKeyword(keyword, param);
}

void RtfReader::OnDocumentWord(RtfKeyword keyword, const RtfToken& token)
{
    RtfGroupState& top = Top();
    switch (keyword) {
    case RtfKeyword::Mac:
        m_documentCodePage = 10000;
        break;
    case RtfKeyword::Pc:
        m_documentCodePage = 437;
        break;
    case RtfKeyword::Pca:
        m_documentCodePage = 850;
        break;
    case RtfKeyword::AnsiCpg:
        if (token.param > 0 && IsSupportedCodePage(token.param))
            m_documentCodePage = token.param;
        break;
    case RtfKeyword::Deff:
        m_defaultFont = token.param;
        break;
    case RtfKeyword::Uc:
        top.unicodeSkip = std::max(token.param, 0);
        break;
    case RtfKeyword::FontTable:
        top.destination = RtfDestination::FontTable;
        break;
    case RtfKeyword::ColorTable:
        top.destination = RtfDestination::ColorTable;
        break;
    case RtfKeyword::SkippedDestination:
        top.destination = RtfDestination::Skipped;
        break;
    default:
        break;
    }
}

bool RtfReader::OnCharacterWord(RtfKeyword keyword, const RtfToken& token)
{
    RtfCharProps& chars = Top().chars;
    const bool on = ToggleOn(token);
    if (const auto style = UnderlineStyleOf(keyword)) {
        chars.underline = on ? *style : QTextCharFormat::NoUnderline;
        return true;
    }
    if (const auto vertical = VerticalAlignmentOf(keyword)) {
        chars.vertical = on ? *vertical : QTextCharFormat::AlignNormal;
        return true;
    }
    using K = RtfKeyword;
    switch (keyword) {
    case K::Plain:
        chars = RtfCharProps{};
        return true;
    case K::Font:
        chars.font = token.param;
        return true;
    case K::FontSize:
        chars.halfPoints = token.param > 0 ? std::min(token.param, 3276) : 24;
        return true;
    case K::Bold:
        chars.bold = on;
        return true;
    case K::Italic:
        chars.italic = on;
        return true;
    case K::Strike:
    case K::StrikeDouble:
        chars.strike = on;
        return true;
    case K::Color:
        chars.color = token.param;
        return true;
    case K::Highlight:
        chars.background = token.param > 0 ? token.param : -1;
        return true;
    case K::Background:
        chars.background = token.param;
        return true;
    case K::Hidden:
        chars.hidden = on;
        return true;
    default:
        return false;
    }
}

bool RtfReader::OnParagraphWord(RtfKeyword keyword)
{
    RtfGroupState& top = Top();
    switch (keyword) {
    case RtfKeyword::Pard:
        top.alignment = Qt::AlignLeft;
        return true;
    case RtfKeyword::AlignLeft:
        top.alignment = Qt::AlignLeft;
        return true;
    case RtfKeyword::AlignCenter:
        top.alignment = Qt::AlignHCenter;
        return true;
    case RtfKeyword::AlignRight:
        top.alignment = Qt::AlignRight;
        return true;
    case RtfKeyword::AlignJustify:
        top.alignment = Qt::AlignJustify;
        return true;
    case RtfKeyword::Par:
    case RtfKeyword::Row:
        if (!top.chars.hidden)
            m_builder.EndParagraph(CurrentBlockFormat());
        return true;
    case RtfKeyword::FootnoteMark:
        AppendText(QString::number(++m_footnotes));
        return true;
    default:
        break;
    }
    if (const char16_t c = RtfKeywordCharacter(keyword)) {
        AppendText(QStringView(&c, 1));
        return true;
    }
    return false;
}

void RtfReader::OnSymbol(char symbol)
{
    if (symbol == '*') {
        Top().starred = true;
        return;
    }
    if (SkipFallback())
        return;
    char16_t c = 0;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        c = char16_t(symbol);
        break;
    case '~':
        c = 0x00A0;
        break;
    case '-':
        c = 0x00AD;
        break;
    case '_':
        c = 0x2011;
        break;
    default:
        return;
    }
    FlushBytes();
    AppendText(QStringView(&c, 1));
}

void RtfReader::OnText(std::string_view bytes)
{
    while (!bytes.empty() && m_skipCount > 0) {
        bytes.remove_prefix(1);
        --m_skipCount;
    }
    switch (Top().destination) {
    case RtfDestination::Text:
        m_pendingBytes.append(bytes.data(), qsizetype(bytes.size()));
        break;
    case RtfDestination::FontTable:
        m_fonts.OnText(bytes);
        break;
    case RtfDestination::ColorTable:
        m_colors.OnText(bytes);
        break;
    case RtfDestination::Skipped:
        break;
    }
}

// \uN: N is a signed 16-bit value, so negative numbers stand for the upper half; a few
// writers give code points beyond the BMP directly.
void RtfReader::OnUnicode(int value)
{
    FlushBytes();
    const QString text = UnicodeText(value);
    if (Top().destination == RtfDestination::FontTable) {
        for (const QChar c : text)
            m_fonts.OnUnicode(c.unicode());
    } else if (Top().destination == RtfDestination::Text) {
        AppendText(text);
    }
    m_skipCount = Top().unicodeSkip;
}

QString RtfReader::UnicodeText(int value)
{
    if (value < 0 && value >= -32768)
        value += 65536;
    if (value >= 0 && value <= 0xFFFF)
        return QString(QChar(char16_t(value)));
    const char32_t codePoint = value > 0xFFFF && value <= 0x10FFFF ? char32_t(value) : kReplacement;
    return QString::fromUcs4(&codePoint, 1);
}

bool RtfReader::SkipFallback()
{
    if (m_skipCount <= 0)
        return false;
    --m_skipCount;
    return true;
}

void RtfReader::FlushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    const int font = Top().chars.font >= 0 ? Top().chars.font : m_defaultFont;
    const QString text = DecodeCodePage(m_pendingBytes, m_fonts.CodePage(font, m_documentCodePage));
    m_pendingBytes.clear();
    AppendText(text);
}

void RtfReader::AppendText(QStringView text)
{
    if (Top().chars.hidden)
        return;
    QString clean;
    clean.reserve(text.size() + 1);
    for (const QChar c : text)
        AppendUnit(c.unicode(), clean);
    m_builder.AppendText(clean, CurrentFormat());
}

// Adds one UTF-16 unit, pairing surrogates and dropping control characters other than
// TAB and the line separator; a surrogate without its partner becomes U+FFFD.
void RtfReader::AppendUnit(char16_t unit, QString& out)
{
    const bool high = QChar::isHighSurrogate(unit);
    const bool low = QChar::isLowSurrogate(unit);
    if (m_highSurrogate && low) {
        out.append(QChar(m_highSurrogate));
        out.append(QChar(unit));
        m_highSurrogate = 0;
        return;
    }
    if (m_highSurrogate)
        out.append(QChar(kReplacement));
    m_highSurrogate = high ? unit : 0;
    if (high)
        return;
    if (low)
        out.append(QChar(kReplacement));
    else if (unit >= 0x20 || unit == u'\t')
        out.append(QChar(unit));
}

const QTextCharFormat& RtfReader::CurrentFormat()
{
    if (!m_formatDirty)
        return m_format;
    const RtfCharProps& chars = Top().chars;
    QTextCharFormat format;
    const QString family = m_fonts.Name(chars.font >= 0 ? chars.font : m_defaultFont);
    if (!family.isEmpty())
        format.setFontFamilies({family});
    format.setFontPointSize(chars.halfPoints / 2.0);
    if (chars.bold)
        format.setFontWeight(QFont::Bold);
    if (chars.italic)
        format.setFontItalic(true);
    if (chars.underline != QTextCharFormat::NoUnderline)
        format.setUnderlineStyle(chars.underline);
    if (chars.strike)
        format.setFontStrikeOut(true);
    if (const QColor color = m_colors.At(chars.color); color.isValid())
        format.setForeground(color);
    if (const QColor color = m_colors.At(chars.background); color.isValid())
        format.setBackground(color);
    if (chars.vertical != QTextCharFormat::AlignNormal)
        format.setVerticalAlignment(chars.vertical);
    m_format = format;
    m_formatDirty = false;
    return m_format;
}

QTextBlockFormat RtfReader::CurrentBlockFormat() const
{
    QTextBlockFormat format;
    if (m_stack.back().alignment != Qt::AlignLeft)
        format.setAlignment(m_stack.back().alignment);
    return format;
}
