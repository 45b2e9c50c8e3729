#include "imaging/t4/T4Codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

std::string Text(const T4Code& c) {
    std::string s;
    for (int i = c.length - 1; i >= 0; --i) {
        s += ((c.bits >> i) & 1) ? '1' : '0';
    }
    return s;
}

std::vector<std::string> CodesOf(T4Colour colour) {
    std::vector<std::string> codes;
    for (int run = 0; run < 64; ++run) {
        codes.push_back(Text(TerminatingCode(colour, run)));
    }
    for (int run = 64; run <= kMaxMakeupRun; run += 64) {
        codes.push_back(Text(MakeupCode(colour, run)));
    }
    codes.push_back(Text(kEol));
    return codes;
}

// A decoder can only work when no code word of a colour begins another one.
TEST(T4Codes, EachColourIsPrefixFree) {
    for (const auto colour : {T4Colour::White, T4Colour::Black}) {
        const auto codes = CodesOf(colour);
        ASSERT_EQ(codes.size(), 64u + 40u + 1u);
        for (size_t i = 0; i < codes.size(); ++i) {
            for (size_t j = 0; j < codes.size(); ++j) {
                if (i != j) {
                    EXPECT_NE(codes[j].rfind(codes[i], 0), 0u) << codes[i] << " is a prefix of " << codes[j];
                }
            }
        }
    }
}

// Packs code words least significant bit first, as APF page data stores them.
std::vector<uint8_t> Pack(const std::vector<T4Code>& words) {
    std::vector<uint8_t> out;
    int bit = 0;
    for (const auto& w : words) {
        for (int i = w.length - 1; i >= 0; --i) {
            if (bit % 8 == 0) {
                out.push_back(0);
            }
            if ((w.bits >> i) & 1) {
                out.back() = static_cast<uint8_t>(out.back() | (1 << (bit % 8)));
            }
            ++bit;
        }
    }
    return out;
}

TEST(T4Codes, AllWhiteLinesOfBothWidths) {
    // 1728: white make-up 1728 then white 0; 2048: extended make-up 2048 then white 0.
    EXPECT_EQ(Pack({MakeupCode(T4Colour::White, 1728), TerminatingCode(T4Colour::White, 0)}),
              (std::vector<uint8_t>{0xB2, 0x59, 0x01}));
    EXPECT_EQ(Pack({MakeupCode(T4Colour::White, 2048), TerminatingCode(T4Colour::White, 0)}),
              (std::vector<uint8_t>{0x80, 0xCC, 0x0A}));
    EXPECT_EQ(&MakeupCode(T4Colour::White, 2560), &MakeupCode(T4Colour::Black, 2560));
}

} // namespace
} // namespace tolvane
