#pragma once

#include "text/rtf/RtfKeywords.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The fonts of \fonttbl: name and code page per font number.
class RtfFontTable
{
public:
    // Reading the table: control words, literal bytes and the end of an entry's group.
    void OnKeyword(RtfKeyword keyword, int param);
    void OnText(std::string_view bytes);
    void OnGroupEnd();

    // Entries are complete once the table's group has closed.
    void Finish(int documentCodePage);

    bool Contains(int font) const { return m_fonts.contains(font); }
    QString Name(int font) const;
    // The code page of text in this font, or documentCodePage for an unknown font.
    int CodePage(int font, int documentCodePage) const;

private:
    struct Entry
    {
        QByteArray rawName;
        QString name;
        int charset = -1;
        int codePage = 0;
        bool closed = false; // its name ended with ';'
        bool decoded = false;
    };
    void CloseEntry();

    QHash<int, Entry> m_fonts;
    int m_current = -1;
};
