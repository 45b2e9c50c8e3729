#include "editing/spell/SoundKey.h"

#include <algorithm>
#include <initializer_list>

namespace tolvane {
namespace {

bool InRange(uint8_t c, uint8_t low, uint8_t high) {
    return c >= low && c <= high;
}

bool OneOf(uint8_t c, std::initializer_list<uint8_t> set) {
    return std::find(set.begin(), set.end(), c) != set.end();
}

constexpr size_t kMaxKeyText = 30;

} // namespace

uint8_t SoundClass(uint8_t c) {
    if (OneOf(c, {'B', 'F', 'P', 'V', 0xDE, 0xDF, '6', '8'})) { // Þ ß
        return 1;
    }
    if (OneOf(c, {'C', 'G', 'J', 'K', 'Q', 'S', 'X', 'Z', 0x8A, 0x8C, 0xC7, '3', '4', '5', '9'})) { // Š Œ Ç
        return 2;
    }
    if (OneOf(c, {'D', 'T', 0xD0})) { // Ð
        return 3;
    }
    if (c == 'L' || c == '2') {
        return 4;
    }
    if (OneOf(c, {'M', 'N', 0xD1})) { // Ñ
        return 5;
    }
    if (c == 'R') {
        return 6;
    }
    if (OneOf(c, {'\'', '-', '`'})) {
        return 7;
    }
    if (c == '0' || InRange(c, 0xD2, 0xD6) || c == 0xD8) { // Ò-Ö Ø
        return 'O';
    }
    if (c == '1' || c == '7' || InRange(c, 0xCC, 0xCF)) { // Ì-Ï
        return 'I';
    }
    if (InRange(c, 0xC0, 0xC6)) { // À-Æ
        return 'A';
    }
    if (InRange(c, 0xC8, 0xCB)) { // È-Ë
        return 'E';
    }
    if (InRange(c, 0xD9, 0xDC)) { // Ù-Ü
        return 'U';
    }
    return c;
}

bool IsSoundKeyVowel(uint8_t c) {
    // A E H I O U W Y Ÿ À-Æ È-Ï Ò-Ö Ø Ù-Ý ð
    return OneOf(c, {'A', 'E', 'H', 'I', 'O', 'U', 'W', 'Y', 0x9F, 0xD8, 0xF0}) || InRange(c, 0xC0, 0xC6) ||
           InRange(c, 0xC8, 0xCF) || InRange(c, 0xD2, 0xD6) || InRange(c, 0xD9, 0xDD);
}

SoundKey MakeSoundKey(std::string_view capitals, const SoundKey& reference) {
    std::string w(capitals.substr(0, kMaxKeyText));
    if (!w.empty()) {
        // Drop the vowels after the first character, then replace the rest by their classes.
        std::string rest;
        for (size_t i = 1; i < w.size(); ++i) {
            const auto c = static_cast<uint8_t>(w[i]);
            if (!IsSoundKeyVowel(c)) {
                rest += static_cast<char>(SoundClass(c));
            }
        }
        w.resize(1);
        // Keep only the first of all repetitions.
        for (const char c : rest) {
            if (w.find(c, 1) == std::string::npos) {
                w += c;
            }
        }
    }
    SoundKey key = reference;
    for (size_t i = 0; i < key.size() && i < w.size(); ++i) {
        key[i] = static_cast<uint8_t>(w[i]);
    }
    return key;
}

SoundKey MakeSoundKey(std::string_view capitals) {
    return MakeSoundKey(capitals, SoundKey{});
}

PathSoundKey PathSoundKey::Extended(uint8_t capital) const {
    PathSoundKey next = *this;
    if (!started_) {
        next.first_ = capital;
        next.started_ = true;
        return next;
    }
    if (count_ == classes_.size() || IsSoundKeyVowel(capital)) {
        return next;
    }
    const uint8_t cls = SoundClass(capital);
    if (std::find(classes_.begin(), classes_.begin() + count_, cls) == classes_.begin() + count_) {
        next.classes_[next.count_++] = cls;
    }
    return next;
}

bool PathSoundKey::Matches(const SoundKey& reference) const {
    return first_ == reference[0] &&
           std::equal(classes_.begin(), classes_.begin() + count_, reference.begin() + 1);
}

std::string FirstLetterAlternatives(uint8_t c) {
    using L = std::initializer_list<uint8_t>;
    const auto text = [](L letters) { return std::string(letters.begin(), letters.end()); };
    if (c == 'A' || InRange(c, 0xC0, 0xC6)) {
        return text({'E', 'D', 'A', 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6});
    }
    if (c == 'B' || c == 0xDF) {
        return text({'P', 'V', 'N', 'B', 0xDF});
    }
    if (c == 'C' || c == 0x8C || c == 0xC7) {
        return text({'S', 'X', 'V', 'C', 0xC7, 0x8C});
    }
    if (c == 'D' || c == 0xD0) {
        return text({'F', 'D', 0xD0});
    }
    if (c == 'E' || InRange(c, 0xC8, 0xCB)) {
        return text({'I', 'W', 'R', 'E', 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF});
    }
    if (c == 'I' || InRange(c, 0xCC, 0xCF)) {
        return text({'E', 'O', 'U', 'I', 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF});
    }
    if (c == 'N' || c == 0xD1) {
        return text({'M', 'B', 'N', 0xD1});
    }
    if (c == 'O' || InRange(c, 0xD2, 0xD6)) {
        return text({'P', 'I', 'O', 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xCC, 0xCD, 0xCE, 0xCF});
    }
    if (c == 'P' || c == 0xDE) {
        return text({'B', 'O', 'P', 0xDE});
    }
    if (c == 'U' || InRange(c, 0xD9, 0xDC)) {
        return text({'Y', 'I', 'U', 0xD9, 0xDA, 0xDB, 0xDC});
    }
    if (c == 'Y' || c == 0x9F || c == 0xDD) {
        return text({'T', 'U', 'Y', 0x9F, 0xDD});
    }
    switch (c) {
    case 'F':
        return "DGF";
    case 'G':
        return "JG";
    case 'H':
        return "JGH";
    case 'J':
        return "GJ";
    case 'K':
        return "CLJK";
    case 'L':
        return "KL";
    case 'M':
        return text({'N', 'M', 0xD1});
    case 'Q':
        return "WQ";
    case 'R':
        return "ETR";
    case 'S':
        return text({'A', 'C', 'D', 'S', 0x8A, 0x8C});
    case 'T':
        return "YRT";
    case 'V':
        return text({'B', 'C', 'V', 0xC7, 0x8C});
    case 'W':
        return "QEW";
    case 'X':
        return "CZX";
    case 'Z':
        return "XZ";
    default:
        return std::string(1, static_cast<char>(c));
    }
}

} // namespace tolvane
