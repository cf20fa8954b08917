#pragma once

#include <QByteArray>
#include <QString>

// The code page of text in a file that names none: Windows-1251, for the Russian texts read here.
constexpr int kRtfDefaultCodePage = 1251;

// The Windows code page of a font character set (\fcharset), or documentCodePage for the
// sets that mean "whatever the document uses" (and for unknown ones).
int CodePageForCharset(int charset, int documentCodePage);

// True when bytes in this code page can be decoded here.
bool IsSupportedCodePage(int codePage);

// Decodes bytes of a Windows code page; unsupported code pages are read as Windows-1251 and
// bytes that the code page does not define become U+FFFD.
QString DecodeCodePage(const QByteArray& bytes, int codePage);

// The Windows-1251 byte for a character, or 0 when the code page has none.
unsigned char EncodeCp1251(char16_t c);
