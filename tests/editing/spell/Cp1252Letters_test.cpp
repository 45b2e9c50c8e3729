#include "editing/spell/Cp1252Letters.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(Cp1252Letters, CapitalsAndSmallsKeepTheIrregularCharacters) {
    struct Case {
        uint8_t small, capital;
    };
    // a-z, š, œ, ÿ and à-þ pair with their capitals.
    for (const Case c : {Case{'a', 'A'}, Case{'z', 'Z'}, Case{0x9A, 0x8A}, Case{0x9C, 0x8C}, Case{0xFF, 0x9F},
                         Case{0xE0, 0xC0}, Case{0xFE, 0xDE}, Case{0xF1, 0xD1}}) {
        EXPECT_EQ(ToCapital(c.small), c.capital) << int(c.small);
        EXPECT_EQ(ToSmall(c.capital), c.small) << int(c.capital);
    }
    // ÷ and ð have no capital; ×, Ð and ß no small letter.
    for (const int c : {0xF7, 0xF0, 0x31, 0x27}) {
        EXPECT_EQ(ToCapital(static_cast<uint8_t>(c)), c) << c;
    }
    for (const int c : {0xD7, 0xD0, 0xDF, 0x2D}) {
        EXPECT_EQ(ToSmall(static_cast<uint8_t>(c)), c) << c;
    }
}

TEST(Cp1252Letters, LetterSets) {
    EXPECT_TRUE(IsSmallLetter(0xFF));  // ÿ
    EXPECT_FALSE(IsSmallLetter(0xF0)); // ð
    EXPECT_FALSE(IsSmallLetter(0xF7)); // ÷
    EXPECT_FALSE(IsSmallLetter(0xDF)); // ß
    EXPECT_TRUE(IsCapitalLetter(0xDF));
    EXPECT_TRUE(IsCapitalLetter(0xF0));
    EXPECT_FALSE(IsCapitalLetter(0xD7));
    // ñ-ö count only in suggestions.
    EXPECT_FALSE(IsUserWordChar(0xF1));
    EXPECT_TRUE(IsSuggestionWordChar(0xF1));
    EXPECT_TRUE(IsUserWordChar(0xF0));
    EXPECT_FALSE(IsSuggestionWordChar(' '));
}

TEST(Cp1252Letters, SixtyFourLetterCodesRoundTrip) {
    for (uint8_t code = 0; code < kLetterCodeCount; ++code) {
        EXPECT_EQ(LetterCode(LetterOfCode(code)), code) << int(code);
    }
    EXPECT_EQ(LetterCode('\''), 26);
    EXPECT_EQ(LetterCode('-'), 27);
    EXPECT_EQ(LetterCode(0xD6), 53); // Ö
    EXPECT_EQ(LetterCode(0xD8), 54); // Ø
    EXPECT_EQ(LetterCode(0xF0), 62); // ð
    EXPECT_EQ(LetterCode('`'), 63);
    EXPECT_EQ(LetterCode(0xE9), LetterCode(0xC9)); // é, É
    EXPECT_EQ(LetterCode('7'), 0);
    EXPECT_TRUE(IsStorableWord("D\xDCSSELDORF'S"));
    EXPECT_FALSE(IsStorableWord("B2B"));
    EXPECT_FALSE(IsStorableWord("caf\xE9")); // small letters are not stored
}

TEST(Cp1252Letters, Utf8Conversion) {
    EXPECT_EQ(Utf8ToCp1252("Düsseldorf"), "D\xFC"
                                          "sseldorf");
    EXPECT_EQ(Utf8ToCp1252("œuvre’s €"), "\x9Cuvre\x92s \x80");
    EXPECT_EQ(Utf8ToCp1252("Ωmega"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("\xC3"), std::nullopt); // cut short
    EXPECT_EQ(Cp1252ToUtf8("\x8A\xE9\x9F"), "ŠéŸ");
    const std::string all = [] {
        std::string s;
        for (int c = 1; c < 256; ++c) {
            s += static_cast<char>(c);
        }
        return s;
    }();
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

} // namespace
} // namespace tolvane
