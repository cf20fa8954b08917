#pragma once

#include <QByteArray>

class BookWriter;

// True when the bytes are an FB2 book: XML whose root element is FictionBook.
bool LooksLikeFb2(const QByteArray& bytes);

// Reads an FB2 book (UTF-8 or the encoding its XML declaration names) into out: the main
// body's titles as headings (by section depth), paragraphs, verses, epigraphs and table
// cells as paragraphs, strong and emphasis as bold and italic. Images, the embedded
// binaries and the notes (the bodies named "notes" or "comments" and the links to them)
// are left out; the title comes from book-title. Throws VemoError naming the file.
void ReadFb2(const QByteArray& bytes, BookWriter& out);
