#pragma once

class BookWriter;
class ZipArchive;

// True when the archive is an EPUB book (its "mimetype" entry or its container file says so).
bool IsEpub(const ZipArchive& archive);

// Reads an EPUB book: the package file that META-INF/container.xml names gives the title
// (dc:title) and the reading order (the spine); each linear spine document is read as
// HTML, one after the other. Throws VemoError naming the file.
void ReadEpub(ZipArchive& archive, BookWriter& out);
