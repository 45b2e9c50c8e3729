#include "editing/spell/SoundKey.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

TEST(SoundKey, RobertIsRFollowedByOneSixThree) {
    EXPECT_EQ(MakeSoundKey("ROBERT"), (SoundKey{'R', 1, 6, 3}));
}

TEST(SoundKey, Examples) {
    struct Case {
        const char* word;
        SoundKey key;
    };
    const Case cases[] = {
        {"A", {'A', 0, 0, 0}},
        {"THE", {'T', 0, 0, 0}},      // H and E are vowels
        {"TOTTER", {'T', 3, 6, 0}},   // every repetition goes, not only neighbours
        {"TEXTBOOK", {'T', 2, 3, 1}}, // cut to four
        {"JOHN'S", {'J', 5, 7, 2}},   // the apostrophe has a class of its own
        {"R2D2", {'R', 4, 3, 0}},     // digits have classes too
        {"\xC9"
         "COLE",
         {0xC9, 2, 4, 0}}, // the first character stays as it is
        {"CA\xC7"
         "A",
         {'C', 2, 0, 0}}, // Ç is C's class, so it is a repetition
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeSoundKey(c.word), c.key) << c.word;
    }
}

TEST(SoundKey, CompletionFromAReference) {
    const SoundKey reference{'T', 3, 6, 1};
    EXPECT_EQ(MakeSoundKey("TE", reference), reference);
    EXPECT_EQ(MakeSoundKey("TED", reference), reference);
    EXPECT_EQ(MakeSoundKey("TEL", reference), (SoundKey{'T', 4, 6, 1}));
}

// The walk extends its key one character at a time; it must agree with the full computation.
TEST(SoundKey, PathKeyAgreesWithTheFullKey) {
    const std::string alphabet = "ABCDEHLMNORSTUWY'-\xC7\xC9\xD0\xD1\xDE\xDF\x8A\x9F`";
    std::mt19937 random(7);
    for (int n = 0; n < 5000; ++n) {
        SoundKey reference = MakeSoundKey("SPRT");
        reference[1] = static_cast<uint8_t>(random() % 4);
        std::string path;
        PathSoundKey key;
        const size_t length = 1 + random() % 12;
        for (size_t i = 0; i < length; ++i) {
            const char c = alphabet[random() % alphabet.size()];
            path += c;
            key = key.Extended(static_cast<uint8_t>(c));
            reference[0] = static_cast<uint8_t>(path[0]);
            ASSERT_EQ(key.Matches(reference), MakeSoundKey(path, reference) == reference) << path;
        }
    }
}

TEST(SoundKey, FirstLetterAlternatives) {
    EXPECT_EQ(FirstLetterAlternatives('T'), "YRT");
    EXPECT_EQ(FirstLetterAlternatives('S'), "ACDS\x8A\x8C");
    EXPECT_EQ(FirstLetterAlternatives(0xC9), "IWRE\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"); // É as E
    EXPECT_EQ(FirstLetterAlternatives('\''), "'");
    // Every list tries the letter itself.
    for (int c = 'A'; c <= 'Z'; ++c) {
        EXPECT_NE(FirstLetterAlternatives(static_cast<uint8_t>(c)).find(static_cast<char>(c)),
                  std::string::npos);
    }
}

} // namespace
} // namespace tolvane
