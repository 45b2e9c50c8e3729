// Splits RTF bytes into groups, control words, control symbols, \'hh bytes, \bin data and
// plain text bytes. Never fails: every byte sequence gives some token stream.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolvane::rtf {

enum class TokenKind {
    End,
    GroupStart,    // {
    GroupEnd,      // }
    ControlWord,   // \name with an optional signed parameter
    ControlSymbol, // \ followed by one non-letter (Symbol)
    HexByte,       // \'hh (Byte)
    Binary,        // \binN: Data holds the N raw bytes that follow
    Text,          // one byte of text (Byte); CR and LF are dropped
};

struct Token {
    TokenKind Kind = TokenKind::End;
    std::string_view Name; // control word, without the backslash
    bool HasParam = false;
    int Param = 0;
    char Symbol = 0;
    uint8_t Byte = 0;
    std::string_view Data;
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view input) : in_(input) {}
    Token Next();

private:
    std::string_view in_;
    size_t pos_ = 0;
};

} // namespace tolvane::rtf
