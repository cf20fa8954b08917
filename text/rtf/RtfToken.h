#pragma once

#include <string_view>

// One lexical unit of an RTF byte stream. Views point into the tokenizer's input and stay
// valid as long as that input does.
struct RtfToken
{
    enum class Kind
    {
        End,         // no more input
        GroupOpen,   // {
        GroupClose,  // }
        ControlWord, // \letters[-digits] ; name holds the letters (at most 32)
        Symbol,      // \ followed by one non-letter; symbol holds that byte
        HexByte,     // \'hh ; value holds the byte
        Text,        // a run of literal bytes (CR, LF and NUL already dropped)
        Binary       // the data of \binN
    };

    Kind kind = Kind::End;
    std::string_view name;   // ControlWord
    bool hasParam = false;   // ControlWord
    int param = 0;           // ControlWord: saturated to the int range
    char symbol = 0;         // Symbol
    unsigned char value = 0; // HexByte
    std::string_view bytes;  // Text, Binary
};
