#include "text/rtf/RtfTokenizer.h"

#include <algorithm>
#include <climits>

namespace {

constexpr qsizetype kMaxControlWordLength = 32;

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Bytes that never belong to literal text: the three specials, and line ends and NUL,
// which RTF readers drop.
bool EndsText(char c)
{
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0';
}

} // namespace

RtfTokenizer::RtfTokenizer(const QByteArray& data) : m_data(data.constData()), m_size(data.size())
{
    for (qsizetype i = m_size - 1; i >= 0 && m_lastClose < 0; --i) {
        if (m_data[i] != '}')
            continue;
        qsizetype backslashes = 0;
        while (i - backslashes > 0 && m_data[i - backslashes - 1] == '\\')
            ++backslashes;
        if (backslashes % 2 == 0)
            m_lastClose = i;
    }
}

bool RtfTokenizer::GroupCloseFollows() const
{
    return m_lastClose >= m_pos;
}

RtfToken RtfTokenizer::Next()
{
    while (m_pos < m_size) {
        const char c = m_data[m_pos];
        if (c == '\r' || c == '\n' || c == '\0') {
            ++m_pos;
            continue;
        }
        RtfToken token;
        if (c == '{' || c == '}') {
            ++m_pos;
            token.kind = c == '{' ? RtfToken::Kind::GroupOpen : RtfToken::Kind::GroupClose;
            return token;
        }
        if (c != '\\')
            return ReadText();
        if (auto escape = ReadEscape())
            return *escape;
    }
    return RtfToken{};
}

std::optional<RtfToken> RtfTokenizer::ReadEscape()
{
    ++m_pos; // the backslash
    if (m_pos >= m_size)
        return std::nullopt;
    const char c = m_data[m_pos];
    if (IsLetter(c))
        return ReadControlWord();
    if (c == '\'')
        return ReadHexByte();
    ++m_pos;
    RtfToken token;
    if (c == '\r' || c == '\n') {
        // A backslash before a line end stands for \par.
        token.kind = RtfToken::Kind::ControlWord;
        token.name = "par";
        return token;
    }
    token.kind = RtfToken::Kind::Symbol;
    token.symbol = c;
    return token;
}

RtfToken RtfTokenizer::ReadControlWord()
{
    RtfToken token;
    token.kind = RtfToken::Kind::ControlWord;
    const qsizetype start = m_pos;
    while (m_pos < m_size && IsLetter(m_data[m_pos]))
        ++m_pos;
    // An over-long word is cut to 33 letters, which matches no known word.
    token.name = std::string_view(m_data + start, size_t(std::min(m_pos - start, kMaxControlWordLength + 1)));
    const bool negative = m_pos + 1 < m_size && m_data[m_pos] == '-' && IsDigit(m_data[m_pos + 1]);
    if (negative || (m_pos < m_size && IsDigit(m_data[m_pos]))) {
        if (negative)
            ++m_pos;
        const qsizetype digits = m_pos;
        while (m_pos < m_size && IsDigit(m_data[m_pos]))
            ++m_pos;
        token.hasParam = true;
        token.param = ReadSaturated(m_data + digits, m_pos - digits, negative);
    }
    if (m_pos < m_size && m_data[m_pos] == ' ')
        ++m_pos; // the delimiting space belongs to the word
    if (token.name == "bin" && token.hasParam)
        return ReadBinary(token.param);
    return token;
}

int RtfTokenizer::ReadSaturated(const char* digits, qsizetype count, bool negative)
{
    long long value = 0;
    const long long limit = negative ? -(long long)INT_MIN : INT_MAX;
    for (qsizetype i = 0; i < count; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value >= limit) {
            value = limit;
            break;
        }
    }
    return int(negative ? -value : value);
}

std::optional<RtfToken> RtfTokenizer::ReadHexByte()
{
    ++m_pos; // the quote
    if (m_pos + 1 < m_size) {
        const int high = HexValue(m_data[m_pos]);
        const int low = HexValue(m_data[m_pos + 1]);
        if (high >= 0 && low >= 0) {
            m_pos += 2;
            RtfToken token;
            token.kind = RtfToken::Kind::HexByte;
            token.value = static_cast<unsigned char>(high * 16 + low);
            return token;
        }
    }
    // Not two hex digits: the escape is dropped and what follows is read as usual.
    return std::nullopt;
}

RtfToken RtfTokenizer::ReadText()
{
    const qsizetype start = m_pos;
    while (m_pos < m_size && !EndsText(m_data[m_pos]))
        ++m_pos;
    RtfToken token;
    token.kind = RtfToken::Kind::Text;
    token.bytes = std::string_view(m_data + start, size_t(m_pos - start));
    return token;
}

RtfToken RtfTokenizer::ReadBinary(int length)
{
    const qsizetype count = std::clamp<qsizetype>(length, 0, m_size - m_pos);
    RtfToken token;
    token.kind = RtfToken::Kind::Binary;
    token.bytes = std::string_view(m_data + m_pos, size_t(count));
    m_pos += count;
    return token;
}
