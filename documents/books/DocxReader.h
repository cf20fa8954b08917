#pragma once

class BookWriter;
class ZipArchive;

// True when the archive is a word-processing document in Office Open XML (word/document.xml).
bool IsDocx(const ZipArchive& archive);

// Reads the document's body in order: paragraphs, those of a heading or title style (by
// the style's outline level or name) as headings, runs with bold or italic set (directly
// or by their character style) as such, tabs and line breaks as such; table cells as their
// paragraphs. Deleted text of tracked changes, field codes, drawings and the footnotes are
// left out. The title comes from docProps/core.xml. Throws VemoError naming the file.
void ReadDocx(ZipArchive& archive, BookWriter& out);
