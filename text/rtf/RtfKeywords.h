#pragma once

#include <string_view>

// The control words the reader acts on. Every other word is passed over.
enum class RtfKeyword
{
    Unknown,
    // document
    Rtf,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    U,
    // destinations
    FontTable,
    ColorTable,
    FieldResult,
    SkippedDestination,
    // font and colour tables
    Font,
    FontCharset,
    CodePage,
    Red,
    Green,
    Blue,
    // character formatting
    Plain,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineDotted,
    UnderlineDash,
    UnderlineDashDot,
    UnderlineDashDotDot,
    UnderlineWave,
    UnderlineNone,
    Strike,
    StrikeDouble,
    Color,
    Highlight,
    Background,
    Super,
    Sub,
    NoSuperSub,
    Hidden,
    // paragraphs
    Pard,
    Par,
    Line,
    Tab,
    Cell,
    Row,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    // named characters
    EmDash,
    EnDash,
    EmSpace,
    EnSpace,
    QmSpace,
    Bullet,
    LQuote,
    RQuote,
    LDblQuote,
    RDblQuote,
    Zwj,
    Zwnj,
    LtrMark,
    RtlMark,
    FootnoteMark
};

RtfKeyword LookupRtfKeyword(std::string_view name);

// The character a named-character keyword stands for, or 0.
char16_t RtfKeywordCharacter(RtfKeyword keyword);
