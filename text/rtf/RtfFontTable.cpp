#include "text/rtf/RtfFontTable.h"

#include "text/rtf/RtfCodePages.h"

void RtfFontTable::OnKeyword(RtfKeyword keyword, int param)
{
    if (keyword == RtfKeyword::Font) {
        m_current = param;
        m_fonts[param] = Entry{};
        return;
    }
    auto it = m_fonts.find(m_current);
    if (it == m_fonts.end())
        return;
    if (keyword == RtfKeyword::FontCharset)
        it->charset = param;
    else if (keyword == RtfKeyword::CodePage)
        it->codePage = param;
}

void RtfFontTable::OnText(std::string_view bytes)
{
    auto it = m_fonts.find(m_current);
    if (it == m_fonts.end() || it->closed)
        return;
    const size_t end = bytes.find(';');
    it->rawName.append(bytes.data(), qsizetype(std::min(end, bytes.size())));
    if (end != std::string_view::npos)
        CloseEntry();
}

void RtfFontTable::OnGroupEnd()
{
    CloseEntry();
}

void RtfFontTable::CloseEntry()
{
    auto it = m_fonts.find(m_current);
    if (it != m_fonts.end())
        it->closed = true;
}

void RtfFontTable::Finish(int documentCodePage)
{
    for (Entry& entry : m_fonts) {
        if (entry.decoded)
            continue;
        const int codePage = entry.codePage > 0 && IsSupportedCodePage(entry.codePage)
                                 ? entry.codePage
                                 : CodePageForCharset(entry.charset, documentCodePage);
        entry.codePage = codePage;
        entry.name = DecodeCodePage(entry.rawName, codePage).trimmed();
        entry.rawName.clear();
        entry.decoded = true;
    }
}

QString RtfFontTable::Name(int font) const
{
    return m_fonts.value(font).name;
}

int RtfFontTable::CodePage(int font, int documentCodePage) const
{
    const auto it = m_fonts.constFind(font);
    return it == m_fonts.constEnd() || it->codePage <= 0 ? documentCodePage : it->codePage;
}
