#include "text/rtf/RtfFontTable.h"

#include "text/rtf/RtfCodePages.h"

RtfFontTable::Entry* RtfFontTable::Current()
{
    auto it = m_fonts.find(m_current);
    return it == m_fonts.end() || it->closed ? nullptr : &*it;
}

void RtfFontTable::OnKeyword(RtfKeyword keyword, int param)
{
    if (keyword == RtfKeyword::Font) {
        CloseEntry();
        m_current = param;
        m_fonts[param] = Entry{};
        return;
    }
    Entry* entry = Current();
    if (!entry)
        return;
    if (keyword == RtfKeyword::FontCharset)
        entry->charset = param;
    else if (keyword == RtfKeyword::CodePage && IsSupportedCodePage(param))
        entry->codePage = param;
}

void RtfFontTable::OnText(std::string_view bytes)
{
    Entry* entry = Current();
    if (!entry)
        return;
    const size_t end = bytes.find(';');
    entry->pendingBytes.append(bytes.data(), qsizetype(std::min(end, bytes.size())));
    if (end != std::string_view::npos)
        CloseEntry();
}

void RtfFontTable::OnUnicode(char16_t unit)
{
    if (Entry* entry = Current()) {
        DecodePending(*entry);
        entry->name.append(QChar(unit));
    }
}

void RtfFontTable::OnGroupEnd()
{
    CloseEntry();
}

void RtfFontTable::DecodePending(Entry& entry) const
{
    if (entry.codePage <= 0)
        entry.codePage = CodePageForCharset(entry.charset, m_documentCodePage);
    entry.name.append(DecodeCodePage(entry.pendingBytes, entry.codePage));
    entry.pendingBytes.clear();
}

void RtfFontTable::CloseEntry()
{
    if (Entry* entry = Current()) {
        DecodePending(*entry);
        entry->name = entry->name.trimmed();
        entry->closed = true;
    }
}

QString RtfFontTable::Name(int font) const
{
    return m_fonts.value(font).name;
}

int RtfFontTable::CodePage(int font, int documentCodePage) const
{
    const auto it = m_fonts.constFind(font);
    if (it == m_fonts.constEnd())
        return documentCodePage;
    if (it->codePage > 0)
        return it->codePage;
    return CodePageForCharset(it->charset, documentCodePage);
}
