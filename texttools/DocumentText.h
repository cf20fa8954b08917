#pragma once

#include <QString>

// A QTextDocument separates paragraphs with U+2029 (and lines within one with U+2028), while
// the rest of the program writes a line break as CR LF. These two conversions are done only
// where text passes between a document and the GUI-free code.

// Raw document text (QTextDocument::toRawText) with every paragraph, line and frame
// separator written as CR LF. Other characters, no-break spaces included, are kept.
QString DocumentTextToCrLf(const QString& rawText);

// Text with CR LF, lone CR or lone LF line breaks, each written as one paragraph separator,
// ready for setPlainText.
QString CrLfToDocumentText(const QString& text);
