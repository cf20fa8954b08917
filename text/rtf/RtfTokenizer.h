#pragma once

#include "text/rtf/RtfToken.h"

#include <QByteArray>
#include <optional>

// Cuts RTF bytes into tokens. It never fails: malformed escapes are read as far as they
// make sense, parameters saturate instead of overflowing and \bin never reads past the end.
class RtfTokenizer
{
public:
    explicit RtfTokenizer(const QByteArray& data);

    RtfToken Next();
    bool AtEnd() const { return m_pos >= m_size; }
    // True when a closing brace that is not escaped follows the current position.
    bool GroupCloseFollows() const;

private:
    std::optional<RtfToken> ReadEscape();
    RtfToken ReadControlWord();
    std::optional<RtfToken> ReadHexByte();
    RtfToken ReadText();
    RtfToken ReadBinary(int length);
    static int ReadSaturated(const char* digits, qsizetype count, bool negative);

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_lastClose = -1; // position of the last unescaped closing brace
};
