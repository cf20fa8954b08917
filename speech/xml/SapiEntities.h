#pragma once

#include <QString>

// Decodes the character reference that starts with the '&' at markup[at]: &lt; &gt; &amp;
// &quot; &apos;, &#NNN; and &#xHH;. On success appends the character (one or two UTF-16
// units) to out and returns the index after the ';'; otherwise returns at and leaves out.
qsizetype DecodeSapiEntity(const QString& markup, qsizetype at, QString& out);

// Decodes every reference in a text; anything not a valid reference stays as written.
QString DecodeSapiEntities(const QString& text);
