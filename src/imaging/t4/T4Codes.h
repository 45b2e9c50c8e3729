// Modified Huffman code words of ITU-T T.4 (one-dimensional coding), as printed in the
// recommendation: `bits` holds the code word with its first bit as the most significant of
// `length` bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane {

struct T4Code {
    uint16_t bits;
    uint8_t length;
};

// Table 2/T.4 - terminating codes, run lengths 0 to 63.
extern const std::array<T4Code, 64> kWhiteTerminating;
extern const std::array<T4Code, 64> kBlackTerminating;
// Table 3a/T.4 - make-up codes, run lengths 64 to 1728 in steps of 64 (index = length / 64 - 1).
extern const std::array<T4Code, 27> kWhiteMakeup;
extern const std::array<T4Code, 27> kBlackMakeup;
// Table 3b/T.4 - extended make-up codes, 1792 to 2560, the same for both colours
// (index = (length - 1792) / 64).
extern const std::array<T4Code, 13> kExtendedMakeup;
// End of line: eleven 0 bits and a 1 bit.
inline constexpr T4Code kEol{0x001, 12};

inline constexpr int kMaxMakeupRun = 2560;

enum class T4Colour { White, Black };

// The make-up code for a multiple of 64 from 64 to 2560.
const T4Code& MakeupCode(T4Colour colour, int run);
// The terminating code for 0 to 63.
inline const T4Code& TerminatingCode(T4Colour colour, int run) {
    return colour == T4Colour::White ? kWhiteTerminating[static_cast<std::size_t>(run)]
                                     : kBlackTerminating[static_cast<std::size_t>(run)];
}

} // namespace tolvane
