#pragma once

#include <QByteArray>
#include <QString>

class BookWriter;

// True when the bytes, after blanks, a byte order mark, an XML declaration and comments,
// begin with an HTML document type or an <html> element.
bool LooksLikeHtml(const QByteArray& bytes);

// Reads HTML or XHTML (a web page, a chapter of an EPUB) into out, forgiving as a browser
// is: unclosed and stray tags, undeclared entities and bad nesting are read as far as they
// make sense, never refused. Headings h1–h6 become headings, block elements paragraphs,
// b/strong bold and i/em italic; the head (but for its title, which becomes out's title
// when it has none yet), scripts, styles, images, embedded objects and footnotes are left
// out. The text's encoding is found as for a plain text file.
void ReadHtml(const QByteArray& bytes, BookWriter& out);

// The text with HTML character references (&amp;, &#1073;, &#x44F;) replaced by their
// characters; an unknown or broken reference stays as it is written.
QString DecodeHtmlEntities(const QString& text);
