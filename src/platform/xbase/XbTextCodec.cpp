#include "platform/xbase/XbTextCodec.h"

namespace tolvane {

namespace {

// Windows-1252 0x80-0x9F; 0 where the code page has no character.
constexpr char32_t kAnsiHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsAnsi(uint8_t codePage) {
    return codePage == 0x03 || codePage == 0x00;
}

// Next code point of UTF-8 text; 0xFFFD for an invalid sequence (one byte consumed).
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const auto b = static_cast<uint8_t>(s[i]);
    if (b < 0x80) {
        ++i;
        return b;
    }
    const size_t n = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
    if (n == 0 || i + n >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = b & (0x3F >> n);
    for (size_t k = 1; k <= n; ++k) {
        const auto cont = static_cast<uint8_t>(s[i + k]);
        if ((cont & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (cont & 0x3F);
    }
    i += n + 1;
    return c;
}

} // namespace

void XbAppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string XbToUtf8(std::string_view stored, uint8_t codePage) {
    std::string out;
    out.reserve(stored.size());
    for (const char ch : stored) {
        const auto b = static_cast<uint8_t>(ch);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0 && IsAnsi(codePage)) {
            c = kAnsiHigh[b - 0x80] != 0 ? kAnsiHigh[b - 0x80] : 0xFFFD;
        }
        XbAppendUtf8(out, c);
    }
    return out;
}

std::string XbFromUtf8(std::string_view utf8, uint8_t codePage) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const char32_t c = NextCodePoint(utf8, i);
        if (c < 0x80 || (c >= 0xA0 && c < 0x100) || (c >= 0x80 && c < 0xA0 && !IsAnsi(codePage))) {
            out += static_cast<char>(c);
            continue;
        }
        char mapped = '?';
        if (IsAnsi(codePage)) {
            for (int k = 0; k < 32; ++k) {
                if (kAnsiHigh[k] == c) {
                    mapped = static_cast<char>(0x80 + k);
                }
            }
        }
        out += mapped;
    }
    return out;
}

} // namespace tolvane
