#pragma once

class QTextDocument;

// Shows a range of a document in bold without changing the document: the emphasis lives in
// the layout of the blocks it covers, as an extra format over their own, so that every
// character keeps its formatting, nothing enters the undo history and the document is not
// marked modified. A block's lines are laid out again where they stand; only when the bold
// text breaks into other lines does the document lay the block out (and the blocks after it).
namespace SentenceEmphasis {

// Sets (or takes away) the emphasis of the document positions from..to.
void Set(QTextDocument& document, int from, int to, bool bold);
// True when position lies in an emphasised range.
bool IsEmphasised(const QTextDocument& document, int position);

} // namespace SentenceEmphasis
