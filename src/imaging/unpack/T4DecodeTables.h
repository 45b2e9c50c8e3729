// Lookup tables for decoding T.4 one-dimensional code, derived from the code words of
// imaging/t4/T4Codes.h. The tables give exactly what a walk through the two-way code tree of
// each colour gives, bit by bit: a run length, "no code" for a bit string that begins no code
// word, or the zero loop (eleven 0 bits, after which any number of further 0 bits and a 1 bit
// make the EOL).
//
// Bits are looked up least significant first, in stream order: bit 0 of the index is the next
// bit of the page data. A 9-bit first-level table covers the short codes; a code that is still
// undecided after 9 bits continues in a 4-bit second-level table (codes are at most 13 bits).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tolvane {

enum class T4Leaf : uint8_t {
    Terminating, // run length 0 to 63: the colour changes after it
    Makeup,      // run length 64 to 2560: the colour stays
    NoCode,      // the bits begin no code word
    ZeroLoop,    // eleven 0 bits: the EOL follows at the next 1 bit
    Next,        // undecided after 9 bits: value indexes the second level
};

struct T4TableEntry {
    uint16_t value = 0; // run length, or second-level table index for Next
    uint8_t length = 0; // bits the leaf takes (for Next: 9)
    T4Leaf leaf = T4Leaf::NoCode;
};

inline constexpr int kT4FirstBits = 9;
inline constexpr int kT4SecondBits = 4;

// Run-length codes that lie wholly in the next 12 bits, decoded at once: most codes of a text
// page are short. Their black pixels lie in the first 32 pixels they cover; white runs may go
// on beyond. bits 0: the first code is no such run (decode it with the single-code table).
inline constexpr int kT4MultiBits = 12;
inline constexpr int kT4PatternPixels = 32;

struct T4MultiEntry {
    uint32_t pattern = 0; // the first 32 pixels, the first in the most significant bit, 1 = black
    uint16_t total = 0;   // pixels the runs cover; all white after the first 32
    uint8_t bits = 0;     // bits the codes take together; 0: no run here
    uint8_t flip = 0;     // 1 when the colour after the runs differs from the one before
};

struct T4ColourTable {
    std::array<T4TableEntry, 1u << kT4FirstBits> first;
    // Second-level entries: lengths count from the start of the code word.
    std::vector<std::array<T4TableEntry, 1u << kT4SecondBits>> second;
};

struct T4DecodeTables {
    T4ColourTable colour[2]; // 0 = white, 1 = black
    // Indexed by colour << kT4MultiBits | the next 12 bits.
    std::array<T4MultiEntry, 2u << kT4MultiBits> multi;
};

// Built once from the code tables on first use.
const T4DecodeTables& GetT4DecodeTables();

} // namespace tolvane
