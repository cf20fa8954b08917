#pragma once

#include "text/rtf/RtfKeywords.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The fonts of \fonttbl: name and code page per font number. The document's code page is
// followed by reference, since it may be stated after the table has been read.
class RtfFontTable
{
public:
    // Reading the table: control words, literal bytes and the end of an entry's group.
    explicit RtfFontTable(const int& documentCodePage) : m_documentCodePage(documentCodePage) {}
    void OnKeyword(RtfKeyword keyword, int param);
    void OnText(std::string_view bytes);
    void OnUnicode(char16_t unit);
    void OnGroupEnd();

    bool Contains(int font) const { return m_fonts.contains(font); }
    QString Name(int font) const;
    // The code page of text in this font, or documentCodePage for an unknown font.
    int CodePage(int font, int documentCodePage) const;

private:
    struct Entry
    {
        QByteArray pendingBytes; // of the name, not decoded yet
        QString name;
        int charset = -1;
        int codePage = 0;
        bool closed = false; // its name ended with ';'
    };
    Entry* Current();
    void DecodePending(Entry& entry) const;
    void CloseEntry();

    const int& m_documentCodePage;
    QHash<int, Entry> m_fonts;
    int m_current = -1;
};
