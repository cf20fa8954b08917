#pragma once

class BookWriter;
class ZipArchive;

// True when the archive is an OpenDocument text (its "mimetype" entry, or content.xml
// without the parts of other formats).
bool IsOdt(const ZipArchive& archive);

// Reads the text body of content.xml in order: text:h as headings (by outline level),
// paragraphs whose style has an outline level or is the Title style as headings too, other
// paragraphs, list items and table cells as paragraphs; bold and italic from the text and
// paragraph styles of styles.xml and content.xml (with their parents). Notes, frames
// (images, text boxes), annotations, tracked deletions and tables of contents are left
// out. The title comes from meta.xml. Throws VemoError naming the file.
void ReadOdt(ZipArchive& archive, BookWriter& out);
