#include "text/rtf/RtfKeywords.h"

#include <unordered_map>

namespace {

using Table = std::unordered_map<std::string_view, RtfKeyword>;

void AddDocumentWords(Table& t)
{
    using K = RtfKeyword;
    t.insert({{"rtf", K::Rtf},
              {"ansi", K::Ansi},
              {"mac", K::Mac},
              {"pc", K::Pc},
              {"pca", K::Pca},
              {"ansicpg", K::AnsiCpg},
              {"deff", K::Deff},
              {"uc", K::Uc},
              {"u", K::U},
              {"fonttbl", K::FontTable},
              {"colortbl", K::ColorTable},
              {"fldrslt", K::FieldResult},
              {"f", K::Font},
              {"fcharset", K::FontCharset},
              {"cpg", K::CodePage},
              {"red", K::Red},
              {"green", K::Green},
              {"blue", K::Blue}});
}

// Groups whose content is never shown as text.
constexpr std::string_view kSkippedDestinations[] = {"stylesheet",
                                                     "info",
                                                     "pict",
                                                     "header",
                                                     "headerl",
                                                     "headerr",
                                                     "headerf",
                                                     "footer",
                                                     "footerl",
                                                     "footerr",
                                                     "footerf",
                                                     "footnote",
                                                     "object",
                                                     "listtext",
                                                     "pntext",
                                                     "nonshppict",
                                                     "themedata",
                                                     "colorschememapping",
                                                     "datastore",
                                                     "latentstyles",
                                                     "listtable",
                                                     "listoverridetable",
                                                     "rsidtbl",
                                                     "generator",
                                                     "xmlnstbl",
                                                     "mmathPr",
                                                     "fldinst",
                                                     "filetbl",
                                                     "revtbl",
                                                     "template",
                                                     "userprops",
                                                     "docvar",
                                                     "xe",
                                                     "tc",
                                                     "txe",
                                                     "rxe",
                                                     "shpinst",
                                                     "shptxt",
                                                     "sp",
                                                     "annotation",
                                                     "atnid",
                                                     "atnauthor",
                                                     "atrfstart",
                                                     "atrfend",
                                                     "bkmkstart",
                                                     "bkmkend",
                                                     "comment",
                                                     "doccomm",
                                                     "falt",
                                                     "panose",
                                                     "pn",
                                                     "pntxta",
                                                     "pntxtb",
                                                     "protusertbl",
                                                     "private",
                                                     "objdata",
                                                     "result",
                                                     "ud",
                                                     "wgrffmtfilter",
                                                     "fchars",
                                                     "lchars",
                                                     "pgdsctbl",
                                                     "listpicture",
                                                     "passwordhash",
                                                     "ftnsep",
                                                     "ftnsepc",
                                                     "ftncn",
                                                     "aftnsep",
                                                     "aftnsepc",
                                                     "aftncn",
                                                     "do",
                                                     "pgptbl",
                                                     "tcn",
                                                     "mhtmltag",
                                                     "htmltag",
                                                     "shp"};

void AddCharacterWords(Table& t)
{
    using K = RtfKeyword;
    t.insert({{"plain", K::Plain},
              {"fs", K::FontSize},
              {"b", K::Bold},
              {"i", K::Italic},
              {"ul", K::Underline},
              {"uld", K::UnderlineDotted},
              {"uldash", K::UnderlineDash},
              {"uldashd", K::UnderlineDashDot},
              {"uldashdd", K::UnderlineDashDotDot},
              {"ulwave", K::UnderlineWave},
              {"ulnone", K::UnderlineNone},
              {"strike", K::Strike},
              {"striked", K::StrikeDouble},
              {"cf", K::Color},
              {"highlight", K::Highlight},
              {"cb", K::Background},
              {"chcbpat", K::Background},
              {"super", K::Super},
              {"sub", K::Sub},
              {"nosupersub", K::NoSuperSub},
              {"v", K::Hidden}});
    // Other underline kinds are shown as a plain underline.
    for (std::string_view name : {"uldb", "ulw", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                                  "ulldash", "ulthldash", "ulhwave", "ululdbwave"})
        t.insert({name, K::Underline});
}

void AddParagraphWords(Table& t)
{
    using K = RtfKeyword;
    t.insert({{"pard", K::Pard},
              {"par", K::Par},
              {"sect", K::Par},
              {"page", K::Par},
              {"line", K::Line},
              {"lbr", K::Line},
              {"tab", K::Tab},
              {"cell", K::Cell},
              {"nestcell", K::Cell},
              {"row", K::Row},
              {"nestrow", K::Row},
              {"ql", K::AlignLeft},
              {"qc", K::AlignCenter},
              {"qr", K::AlignRight},
              {"qj", K::AlignJustify},
              {"emdash", K::EmDash},
              {"endash", K::EnDash},
              {"emspace", K::EmSpace},
              {"enspace", K::EnSpace},
              {"qmspace", K::QmSpace},
              {"bullet", K::Bullet},
              {"lquote", K::LQuote},
              {"rquote", K::RQuote},
              {"ldblquote", K::LDblQuote},
              {"rdblquote", K::RDblQuote},
              {"zwj", K::Zwj},
              {"zwnj", K::Zwnj},
              {"ltrmark", K::LtrMark},
              {"rtlmark", K::RtlMark},
              {"chftn", K::FootnoteMark}});
}

const Table& Keywords()
{
    static const Table table = [] {
        Table t;
        AddDocumentWords(t);
        for (std::string_view name : kSkippedDestinations)
            t.insert({name, RtfKeyword::SkippedDestination});
        AddCharacterWords(t);
        AddParagraphWords(t);
        return t;
    }();
    return table;
}

} // namespace

RtfKeyword LookupRtfKeyword(std::string_view name)
{
    const Table& table = Keywords();
    const auto it = table.find(name);
    return it == table.end() ? RtfKeyword::Unknown : it->second;
}

char16_t RtfKeywordCharacter(RtfKeyword keyword)
{
    switch (keyword) {
    case RtfKeyword::EmDash:
        return u'\u2014';
    case RtfKeyword::EnDash:
        return u'\u2013';
    case RtfKeyword::EmSpace:
        return u'\u2003';
    case RtfKeyword::EnSpace:
        return u'\u2002';
    case RtfKeyword::QmSpace:
        return u'\u2005';
    case RtfKeyword::Bullet:
        return u'\u2022';
    case RtfKeyword::LQuote:
        return u'\u2018';
    case RtfKeyword::RQuote:
        return u'\u2019';
    case RtfKeyword::LDblQuote:
        return u'\u201C';
    case RtfKeyword::RDblQuote:
        return u'\u201D';
    case RtfKeyword::Zwj:
        return u'\u200D';
    case RtfKeyword::Zwnj:
        return u'\u200C';
    case RtfKeyword::LtrMark:
        return u'\u200E';
    case RtfKeyword::RtlMark:
        return u'\u200F';
    case RtfKeyword::Tab:
    case RtfKeyword::Cell:
        return u'\t';
    case RtfKeyword::Line:
        return u'\u2028';
    default:
        return 0;
    }
}
