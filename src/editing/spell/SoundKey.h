// Sound keys: a word's first character followed by the classes of its first three distinct
// consonant sounds. The suggestion walk uses them to prune the dictionary tree.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

using SoundKey = std::array<uint8_t, 4>;

// The class a capital stands for after the first position: 1-7, a vowel letter, or itself.
uint8_t SoundClass(uint8_t capital);
bool IsSoundKeyVowel(uint8_t capital);

// The key of a capitalised text (at most 30 characters count), completed with NUL characters.
SoundKey MakeSoundKey(std::string_view capitals);
// The same key with missing positions taken from the reference key.
SoundKey MakeSoundKey(std::string_view capitals, const SoundKey& reference);

// The key of a path built one character at a time, as the suggestion walk extends it.
class PathSoundKey {
public:
    // The key after appending one capital to the path.
    PathSoundKey Extended(uint8_t capital) const;
    // True when the key completed from the reference equals the reference.
    bool Matches(const SoundKey& reference) const;

private:
    bool started_ = false; // the first character is kept as it is
    uint8_t first_ = 0;
    uint8_t count_ = 0; // distinct classes kept, at most 3
    std::array<uint8_t, 3> classes_{};
};

// The first letters tried for suggestions, in order; a character not in the table gives itself.
std::string FirstLetterAlternatives(uint8_t first);

} // namespace tolvane
