#include "editing/spell/Cp1252Letters.h"

#include <array>

namespace tolvane {
namespace {

// Code page 1252 characters 80h-9Fh as Unicode code points; 0 where the code page has none.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool InRange(uint8_t c, uint8_t low, uint8_t high) {
    return c >= low && c <= high;
}

std::optional<uint8_t> FromCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<uint8_t>(cp);
    }
    if (cp >= 0x80 && cp <= 0x9F && kHighControls[cp - 0x80] == 0) { // the five unassigned bytes
        return static_cast<uint8_t>(cp);
    }
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

uint8_t ToCapital(uint8_t c) {
    if (InRange(c, 'a', 'z')) {
        return static_cast<uint8_t>(c - 0x20);
    }
    switch (c) {
    case 0x9A: // š
        return 0x8A;
    case 0x9C: // œ
        return 0x8C;
    case 0xFF: // ÿ
        return 0x9F;
    case 0xF0: // ð has no capital here
    case 0xF7: // ÷
        return c;
    default:
        return InRange(c, 0xE0, 0xFE) ? static_cast<uint8_t>(c - 0x20) : c;
    }
}

uint8_t ToSmall(uint8_t c) {
    if (InRange(c, 'A', 'Z')) {
        return static_cast<uint8_t>(c + 0x20);
    }
    switch (c) {
    case 0x8A: // Š
        return 0x9A;
    case 0x8C: // Œ
        return 0x9C;
    case 0x9F: // Ÿ
        return 0xFF;
    case 0xD0: // Ð
    case 0xD7: // ×
        return c;
    default:
        return InRange(c, 0xC0, 0xDE) ? static_cast<uint8_t>(c + 0x20) : c;
    }
}

std::string ToCapitals(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(ToCapital(static_cast<uint8_t>(c)));
    }
    return out;
}

std::string ToSmalls(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(ToSmall(static_cast<uint8_t>(c)));
    }
    return out;
}

bool IsSmallLetter(uint8_t c) {
    return InRange(c, 'a', 'z') || c == 0x9A || c == 0x9C || (c >= 0xE0 && c != 0xF0 && c != 0xF7);
}

bool IsCapitalLetter(uint8_t c) {
    return InRange(c, 'A', 'Z') || c == 0x8A || c == 0x8C || c == 0x9F || InRange(c, 0xC0, 0xD6) ||
           InRange(c, 0xD8, 0xDF) || c == 0xF0;
}

namespace {

// Apostrophe, A-Z, a-z, Š, Œ, š, œ, Ÿ, À-Ö, Ø-ß and ø-ÿ: the part both word-character sets share.
bool IsCommonWordChar(uint8_t c) {
    return c == '\'' || InRange(c, 'A', 'Z') || InRange(c, 'a', 'z') || c == 0x8A || c == 0x8C || c == 0x9A ||
           c == 0x9C || c == 0x9F || InRange(c, 0xC0, 0xD6) || InRange(c, 0xD8, 0xDF) || c >= 0xF8;
}

} // namespace

bool IsUserWordChar(uint8_t c) {
    return IsCommonWordChar(c) || InRange(c, 0xE0, 0xF0);
}

bool IsSuggestionWordChar(uint8_t c) {
    return IsCommonWordChar(c) || InRange(c, 0xE0, 0xF6);
}

uint8_t LetterCode(uint8_t c) {
    if (c == 0xF0) { // ð keeps a code of its own
        return 62;
    }
    const uint8_t u = ToCapital(c);
    if (InRange(u, 'A', 'Z')) {
        return static_cast<uint8_t>(u - 'A');
    }
    if (InRange(u, 0xC0, 0xD6)) {
        return static_cast<uint8_t>(31 + (u - 0xC0));
    }
    if (InRange(u, 0xD8, 0xDF)) {
        return static_cast<uint8_t>(54 + (u - 0xD8));
    }
    switch (u) {
    case '\'':
        return 26;
    case '-':
        return 27;
    case 0x8A: // Š
        return 28;
    case 0x8C: // Œ
        return 29;
    case 0x9F: // Ÿ
        return 30;
    case '`':
        return 63;
    default:
        return 0;
    }
}

uint8_t LetterOfCode(uint8_t code) {
    code &= 0x3F;
    if (code < 26) {
        return static_cast<uint8_t>('A' + code);
    }
    if (InRange(code, 31, 53)) {
        return static_cast<uint8_t>(0xC0 + (code - 31));
    }
    if (InRange(code, 54, 61)) {
        return static_cast<uint8_t>(0xD8 + (code - 54));
    }
    switch (code) {
    case 26:
        return '\'';
    case 27:
        return '-';
    case 28:
        return 0x8A;
    case 29:
        return 0x8C;
    case 30:
        return 0x9F;
    case 62:
        return 0xF0;
    default: // 63
        return '`';
    }
}

bool IsStorableWord(std::string_view capitals) {
    for (const char ch : capitals) {
        const auto c = static_cast<uint8_t>(ch);
        if (LetterOfCode(LetterCode(c)) != c) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        size_t extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + extra >= utf8.size()) {
            return std::nullopt;
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        i += extra + 1;
        const auto byte = FromCodePoint(cp);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() * 2);
    for (const char ch : cp1252) {
        const auto c = static_cast<uint8_t>(ch);
        char32_t cp = c;
        if (InRange(c, 0x80, 0x9F)) {
            cp = kHighControls[c - 0x80];
            if (cp == 0) { // undefined in the code page: keep the C1 control
                cp = c;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

} // namespace tolvane
