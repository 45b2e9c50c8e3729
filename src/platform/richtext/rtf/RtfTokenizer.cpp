#include "platform/richtext/rtf/RtfTokenizer.h"

#include <algorithm>
#include <climits>

namespace tolvane::rtf {

namespace {

// Control words are at most 32 letters; longer runs of letters are consumed but cut.
constexpr size_t kMaxWord = 32;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

Token RtfTokenizer::Next() {
    Token t;
    while (pos_ < in_.size()) {
        const char c = in_[pos_++];
        if (c == '\r' || c == '\n') {
            continue;
        }
        if (c == '{') {
            t.Kind = TokenKind::GroupStart;
            return t;
        }
        if (c == '}') {
            t.Kind = TokenKind::GroupEnd;
            return t;
        }
        if (c != '\\') {
            t.Kind = TokenKind::Text;
            t.Byte = static_cast<uint8_t>(c);
            return t;
        }
        if (pos_ >= in_.size()) {
            return t; // a lone backslash at the end
        }
        const char n = in_[pos_];
        if (!IsLetter(n)) {
            ++pos_;
            if (n == '\'') {
                // \'hh; a broken escape yields what hex digits there are.
                int value = 0;
                for (int i = 0; i < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0; ++i) {
                    value = value * 16 + HexValue(in_[pos_++]);
                }
                t.Kind = TokenKind::HexByte;
                t.Byte = static_cast<uint8_t>(value);
                return t;
            }
            t.Kind = TokenKind::ControlSymbol;
            t.Symbol = n;
            return t;
        }
        const size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) {
            ++pos_;
        }
        t.Kind = TokenKind::ControlWord;
        t.Name = in_.substr(start, std::min(pos_ - start, kMaxWord));
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        if (pos_ < in_.size() && IsDigit(in_[pos_])) {
            long long value = 0;
            while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                value = std::min<long long>(value * 10 + (in_[pos_++] - '0'), INT_MAX);
            }
            t.HasParam = true;
            t.Param = static_cast<int>(negative ? -value : value);
        }
        if (pos_ < in_.size() && in_[pos_] == ' ') {
            ++pos_; // the delimiting space belongs to the control word
        }
        if (t.Name == "bin") {
            const size_t count = t.HasParam && t.Param > 0 ? static_cast<size_t>(t.Param) : 0;
            t.Kind = TokenKind::Binary;
            t.Data = in_.substr(pos_, std::min(count, in_.size() - pos_));
            pos_ += t.Data.size();
        }
        return t;
    }
    return t;
}

} // namespace tolvane::rtf
