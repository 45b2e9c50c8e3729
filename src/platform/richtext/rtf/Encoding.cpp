#include "platform/richtext/rtf/Encoding.h"

#include <array>

namespace tolvane::rtf {

namespace {

// Bytes 80h to 9Fh; the rest of the code page equals ISO 8859-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t Cp1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kHigh[byte - 0x80];
    }
    return byte;
}

std::optional<uint8_t> UnicodeToCp1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<uint8_t>(unit);
    }
    for (size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == unit) {
            return static_cast<uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

bool IsTextUnit(char16_t unit) {
    if (unit < 0x20) {
        return unit == u'\t';
    }
    return unit != 0x7F && unit != 0x2029 && unit != 0xFFFC && unit != 0xFDD0 && unit != 0xFDD1;
}

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<uint8_t>(bytes[i]);
        int extra;
        char32_t cp;
        char32_t minimum;
        if (b0 < 0x80) {
            extra = 0, cp = b0, minimum = 0;
        } else if ((b0 & 0xE0) == 0xC0) {
            extra = 1, cp = b0 & 0x1Fu, minimum = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2, cp = b0 & 0x0Fu, minimum = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            extra = 3, cp = b0 & 0x07u, minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<size_t>(extra) >= bytes.size()) {
            return std::nullopt;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<uint8_t>(bytes[i + static_cast<size_t>(k)]);
            if ((b & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (b & 0x3Fu);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

} // namespace tolvane::rtf
