// Character handling of the spell checker. Words are code page 1252 bytes; these are the
// letter classes and the 64 letter codes the dictionary trees store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr unsigned kLetterCodeCount = 64;

// Capital of a character: a-z, š, œ, ÿ and à-þ (except ÷ and ð); everything else unchanged.
uint8_t ToCapital(uint8_t c);
// Small letter of a character: A-Z, Š, Œ, Ÿ and À-Þ (except ×, Ð); everything else unchanged.
uint8_t ToSmall(uint8_t c);
std::string ToCapitals(std::string_view text);
std::string ToSmalls(std::string_view text);

// a-z, š, œ, à-ÿ except ð and ÷.
bool IsSmallLetter(uint8_t c);
// A-Z, Š, Œ, Ÿ, À-Ö, Ø-ß, ð.
bool IsCapitalLetter(uint8_t c);
// Characters that count when the case of the user's word is carried over to a suggestion.
bool IsUserWordChar(uint8_t c);
bool IsSuggestionWordChar(uint8_t c);

// The letter code (0-63) a dictionary stores for a character. Small letters share their
// capital's code; characters outside the alphabet get 0, the code of "A".
uint8_t LetterCode(uint8_t c);
// The capital character a letter code stands for (only the low six bits count).
uint8_t LetterOfCode(uint8_t code);
// True when every character of a capitalised word has a letter code of its own, so the word
// survives a round trip through a dictionary.
bool IsStorableWord(std::string_view capitals);

// Conversions between UTF-8 and code page 1252; nullopt when a character has no code.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view cp1252);

} // namespace tolvane
