#include "SpellFixture.h"
#include "editing/spell/AcropSpell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tolvane {
namespace {

using test::MakeMainDictionary;
using test::ReadAll;
using test::TempDir;

const std::vector<std::string> kWords = {"in",   "the",     "then",    "tea",   "ten",  "toe",
                                         "thee", "John",    "cat",     "cut",   "cot",  "coat",
                                         "cart", "receive", "relieve", "rebel", "robe", "caf\xE9"};

class AcropSpellTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(spell.OpenDictionary(MakeMainDictionary(dir, kWords))); }

    bool Contains(const std::vector<std::string>& list, const std::string& word) {
        return std::find(list.begin(), list.end(), word) != list.end();
    }

    TempDir dir;
    TAcropSpell spell;
};

TEST_F(AcropSpellTest, LookupIgnoresCaseAndAcceptsOneLetter) {
    EXPECT_TRUE(spell.IsWord("the"));
    EXPECT_TRUE(spell.IsWord("THE"));
    EXPECT_TRUE(spell.IsWord("ThE"));
    EXPECT_TRUE(spell.IsWord("CAF\xC9"));
    EXPECT_TRUE(spell.IsWord("q"));
    EXPECT_TRUE(spell.IsWord(""));
    EXPECT_FALSE(spell.IsWord("th"));   // a prefix is no word
    EXPECT_FALSE(spell.IsWord("thex")); // nor is a longer path
    EXPECT_FALSE(spell.IsWord("teh"));
}

TEST_F(AcropSpellTest, PossessiveOfAKnownWord) {
    EXPECT_TRUE(spell.IsWord("JOHN'S"));
    EXPECT_TRUE(spell.IsWord("john's"));
    EXPECT_FALSE(spell.IsWord("JOHNS"));
    EXPECT_FALSE(spell.IsWord("MARY'S"));
}

TEST_F(AcropSpellTest, SuggestionsFollowTheCaseOfTheTypedWord) {
    const auto capitals = spell.Suggest("TEH");
    ASSERT_FALSE(capitals.empty());
    EXPECT_TRUE(Contains(capitals, "THE"));
    EXPECT_TRUE(std::all_of(capitals.begin(), capitals.end(), [](const std::string& s) {
        return std::none_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    }));
    const auto initial = spell.Suggest("Teh");
    EXPECT_TRUE(Contains(initial, "The"));
    EXPECT_TRUE(
        std::all_of(initial.begin(), initial.end(), [](const std::string& s) { return s[0] == 'T'; }));
    EXPECT_TRUE(Contains(spell.Suggest("teh"), "the"));
    // The typed pattern is copied position by position; the accent gets its small letter.
    EXPECT_TRUE(Contains(spell.Suggest("caf"), "caf\xE9"));
    EXPECT_TRUE(Contains(spell.Suggest("jOhm"), "jOhn"));
}

TEST_F(AcropSpellTest, BestSuggestionFirst) {
    const auto list = spell.Suggest("recieve");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0], "receive");
    EXPECT_FALSE(Contains(list, "relieve")); // L departs from the sound key R-C-V
    // Other first letters are tried too: K for C.
    EXPECT_TRUE(Contains(spell.Suggest("kat"), "cat"));
}

TEST_F(AcropSpellTest, SplitCandidate) {
    const auto list = spell.Suggest("INTHE");
    EXPECT_TRUE(Contains(list, "IN THE"));
    EXPECT_TRUE(Contains(spell.Suggest("Inthe"), "In the"));
}

TEST_F(AcropSpellTest, MaxSuggestions) {
    TAcropSpell many;
    std::vector<std::string> words;
    for (const char* end : {"A", "E", "I", "O", "U", "Y", "AA", "EE", "OO", "AI", "IA", "OU", "EA", "AE"}) {
        words.push_back(std::string("T") + end + "N");
    }
    ASSERT_TRUE(many.OpenDictionary(MakeMainDictionary(dir, words, kMaxBlockNodes, "many.dct")));
    EXPECT_EQ(many.MaxSuggestions(), 10);
    EXPECT_EQ(many.Suggest("TYN").size(), 10u);
    many.SetMaxSuggestions(3);
    EXPECT_EQ(many.Suggest("TYN").size(), 3u);
    many.SetMaxSuggestions(1000);
    EXPECT_EQ(many.MaxSuggestions(), 220);
    EXPECT_EQ(many.Suggest("TYN").size(), words.size());
}

TEST_F(AcropSpellTest, NewUserDictionaryHoldsAAndTheFormatNotice) {
    const std::string name = dir.File("qobu.dct");
    const int id = spell.CreateUserDictionary(name, {});
    ASSERT_GE(id, 0);
    const auto bytes = ReadAll(name);
    const std::string text(bytes.begin(), bytes.end());
    ASSERT_EQ(text.rfind("USER DICTIONARY\r\n", 0), 0u);
    const size_t end = text.find('\x1A');
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.begin() + static_cast<long>(end), '\n'), 2); // title, notice
    EXPECT_EQ(text.substr(end - 2, 2), "\r\n");
    const size_t h = end + 1;
    ASSERT_EQ(bytes.size(), h + 17 + 3 * 500);
    const auto u32 = [&](size_t at) {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
    };
    EXPECT_EQ(u32(h), 1);       // nodes used
    EXPECT_EQ(u32(h + 4), 500); // capacity
    EXPECT_EQ(u32(h + 8), 1);   // words
    EXPECT_EQ(bytes[h + 12], 0);
    EXPECT_EQ(u32(h + 13), static_cast<int>(h));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + h + 17, bytes.begin() + h + 23),
              (std::vector<uint8_t>{0, 0, 0xC0, 0xE8, 0xFD, 0xC0})); // "A", then a free node
    TAcropSpell alone; // without a main dictionary only the user dictionary answers
    ASSERT_GE(alone.OpenUserDictionary(name), 0);
    EXPECT_FALSE(alone.IsWord("AA"));
    EXPECT_EQ(alone.Suggest("AB"), (std::vector<std::string>{"A"}));
}

TEST_F(AcropSpellTest, AddedWordIsFoundAfterReopening) {
    const std::string name = dir.File("qobu.dct");
    const int id = spell.CreateUserDictionary(name, {"Zyx", "QUUX"});
    ASSERT_GE(id, 0);
    EXPECT_TRUE(spell.IsWord("zyx"));
    EXPECT_TRUE(spell.IsWord("quux"));
    EXPECT_FALSE(spell.IsWord("Tolvane"));
    EXPECT_TRUE(spell.AddWord("Tolvane", id));
    EXPECT_TRUE(spell.IsWord("TOLVANE"));
    EXPECT_TRUE(spell.IsWord("Tolvane's"));
    EXPECT_TRUE(Contains(spell.Suggest("Tolvain"), "Tolvane"));
    spell.CloseDictionaries();
    EXPECT_FALSE(spell.DictionaryOpen());

    TAcropSpell again;
    ASSERT_TRUE(again.OpenDictionary(dir.File("main.dct")));
    const int id2 = again.OpenUserDictionary(name);
    ASSERT_GE(id2, 0);
    for (const char* w : {"tolvane", "zyx", "quux", "the"}) {
        EXPECT_TRUE(again.IsWord(w)) << w;
    }
}

TEST_F(AcropSpellTest, AWordInTwoDictionariesIsSuggestedOnce) {
    const int id = spell.CreateUserDictionary(dir.File("qobu.dct"), {"RECEIVE"});
    ASSERT_GE(id, 0);
    const auto list = spell.Suggest("recieve");
    EXPECT_EQ(std::count(list.begin(), list.end(), "receive"), 1);
    EXPECT_EQ(std::count(list.begin(), list.end(), "a"), 1); // one-letter words of every walk
}

TEST_F(AcropSpellTest, WordsAddedByAnotherInstanceAreSeen) {
    const std::string name = dir.File("qobu.dct");
    const int id = spell.CreateUserDictionary(name, {});
    TAcropSpell other;
    const int otherId = other.OpenUserDictionary(name);
    ASSERT_GE(otherId, 0);
    EXPECT_FALSE(spell.IsWord("FROBNICATE"));
    EXPECT_TRUE(other.AddWord("FROBNICATE", otherId));
    EXPECT_TRUE(spell.IsWord("FROBNICATE"));
    EXPECT_TRUE(spell.AddWord("FROBNICATED", id));
    EXPECT_TRUE(other.IsWord("FROBNICATED"));
    EXPECT_TRUE(other.IsWord("FROBNICATE"));
}

TEST_F(AcropSpellTest, AddWordRefusals) {
    const int id = spell.CreateUserDictionary(dir.File("qobu.dct"), {});
    EXPECT_FALSE(spell.AddWord("WORD", -1));
    EXPECT_FALSE(spell.AddWord("WORD", id + 1));
    const std::string longWord(26, 'Q');
    EXPECT_TRUE(spell.AddWord(longWord, id)); // the block exists: true, but the word is not taken
    EXPECT_FALSE(spell.IsWord(longWord));
    EXPECT_TRUE(spell.AddWord(longWord.substr(0, 25), id));
    EXPECT_TRUE(spell.IsWord(longWord.substr(0, 25)));
    // Only user dictionaries take words: the main dictionary has no identifier.
    EXPECT_EQ(spell.OpenUserDictionary(dir.File("main.dct")), -1);
}

TEST_F(AcropSpellTest, OpeningRules) {
    EXPECT_TRUE(spell.DictionaryOpen());
    EXPECT_EQ(spell.DictionaryName(), dir.File("main.dct"));
    EXPECT_FALSE(spell.OpenDictionary(dir.File("main.dct"))); // only while none is open
    const std::string user = dir.File("qobu.dct");
    ASSERT_GE(spell.CreateUserDictionary(user, {}), 0);
    TAcropSpell fresh;
    EXPECT_FALSE(fresh.OpenDictionary(user)); // a user dictionary is no main dictionary
    EXPECT_FALSE(fresh.OpenDictionary(dir.File("missing.dct")));
    EXPECT_EQ(fresh.OpenUserDictionary(dir.File("missing.dct")), -1);
    EXPECT_EQ(fresh.CreateUserDictionary(dir.File("no/such/folder/u.dct"), {}), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
}

TEST_F(AcropSpellTest, MissingMainDictionaryIsTriedAgainOnEveryLookup) {
    TAcropSpell later;
    later.SetDictionaryName(dir.File("late.dct"));
    EXPECT_FALSE(later.IsWord("THE"));
    EXPECT_TRUE(later.IsWord("I"));
    MakeMainDictionary(dir, {"THE"}, kMaxBlockNodes, "late.dct");
    EXPECT_TRUE(later.IsWord("THE"));
    EXPECT_TRUE(later.DictionaryOpen());
}

TEST_F(AcropSpellTest, UserIdentifiersCount) {
    const std::string name = dir.File("qobu.dct");
    EXPECT_EQ(spell.CreateUserDictionary(name, {}), 0);
    EXPECT_EQ(spell.OpenUserDictionary(name), 1);
    spell.CloseDictionaries();
    EXPECT_EQ(spell.OpenUserDictionary(name), 2);
}

// Words split over many small blocks are all found and all walked for suggestions.
TEST(AcropSpellBlocks, ManyBlocks) {
    TempDir dir;
    std::vector<std::string> words;
    for (char a = 'B'; a <= 'Z'; ++a) {
        for (char b = 'A'; b <= 'Z'; b += 4) {
            words.push_back(std::string{a, 'O', b, 'E'});
        }
    }
    const std::string name = dir.File("blocks.dct");
    MainDictionaryStats stats;
    ASSERT_EQ(WriteMainDictionary(name, words, stats, 40), 0);
    EXPECT_GT(stats.Blocks, 10u);
    EXPECT_EQ(stats.Words, words.size());
    TAcropSpell spell;
    ASSERT_TRUE(spell.OpenDictionary(name));
    for (const auto& w : words) {
        EXPECT_TRUE(spell.IsWord(w)) << w;
    }
    EXPECT_FALSE(spell.IsWord("ZOZZ"));
    const auto list = spell.Suggest("POKEE");
    EXPECT_NE(std::find(list.begin(), list.end(), "POQE"), list.end());
}

} // namespace
} // namespace tolvane
