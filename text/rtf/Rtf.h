#pragma once

#include <QByteArray>

class QTextDocument;

// True when the data starts, after white space (and a UTF-8 byte order mark), with "{\rtf".
bool IsRtf(const QByteArray& data);

// Replaces the document's content with the RTF text. Throws VemoError "not valid RTF" when
// !IsRtf(data), so that the caller can read the data as plain text instead; any data that
// passes IsRtf is read as far as it can be.
void ReadRtf(const QByteArray& data, QTextDocument& document);

// The document as RTF: Windows-1251 text, other characters as Unicode escapes.
QByteArray WriteRtf(const QTextDocument& document);
