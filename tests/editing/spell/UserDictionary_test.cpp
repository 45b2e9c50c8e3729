// A user dictionary that grows well past its reserved nodes and past the 2048-node chunks in
// which insertions rewrite it.
#include "editing/spell/AcropSpell.h"
#include "editing/spell/DictionaryFormat.h"
#include "editing/spell/WordInsertion.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace tolvane {
namespace {

using test::ReadAll;
using test::TempDir;

std::string RandomWord(std::mt19937& random) {
    static const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ'-\xC9\xD1";
    std::string w;
    const size_t length = 2 + random() % 10;
    for (size_t i = 0; i < length; ++i) {
        w += letters[random() % letters.size()];
    }
    return w;
}

// Every run must end with a last-of-run node and every child must point inside the used nodes.
void ExpectWellFormed(const std::vector<uint8_t>& file) {
    size_t h = 0;
    while (file[h] != 0x1A) {
        ++h;
    }
    ++h;
    std::array<uint8_t, kBlockHeaderSize> hb{};
    std::copy(file.begin() + static_cast<long>(h), file.begin() + static_cast<long>(h + kBlockHeaderSize),
              hb.begin());
    const BlockHeader header = BlockHeader::Parse(hb);
    ASSERT_GE(file.size(), h + kBlockHeaderSize + kNodeSize * header.NodesUsed);
    std::vector<DictionaryNode> nodes(header.NodesUsed + 1);
    for (uint32_t i = 1; i <= header.NodesUsed; ++i) {
        nodes[i] = DictionaryNode::Parse(&file[h + kBlockHeaderSize + kNodeSize * (i - 1)]);
    }
    ASSERT_TRUE(nodes.back().LastOfRun());
    for (uint32_t i = 1; i <= header.NodesUsed; ++i) {
        if (nodes[i].HasChildren()) {
            ASSERT_LE(nodes[i].Child, header.NodesUsed) << i;
            ASSERT_GT(nodes[i].Child, i) << i; // insertions keep children behind their parents
        }
    }
}

TEST(UserDictionary, StaysReadableAcrossChunkedRewrites) {
    TempDir dir;
    const std::string name = dir.File("qobu.dct");
    std::mt19937 random(2024);
    std::set<std::string> added;
    {
        TAcropSpell spell;
        const int id = spell.CreateUserDictionary(name, {});
        ASSERT_GE(id, 0);
        while (added.size() < 1200) {
            const std::string w = RandomWord(random);
            ASSERT_TRUE(spell.AddWord(w, id));
            added.insert(w);
        }
        for (const auto& w : added) {
            ASSERT_TRUE(spell.IsWord(w)) << w;
        }
    }
    const auto bytes = ReadAll(name);
    ExpectWellFormed(bytes);
    EXPECT_GT(bytes.size(), 3u * 3 * 2048); // well past a few rewrite chunks

    TAcropSpell reopened;
    ASSERT_GE(reopened.OpenUserDictionary(name), 0);
    for (const auto& w : added) {
        ASSERT_TRUE(reopened.IsWord(w)) << w;
    }
    int unknown = 0;
    for (int n = 0; n < 500; ++n) {
        const std::string w = RandomWord(random);
        if (added.count(w) == 0 && w != "A") {
            EXPECT_FALSE(reopened.IsWord(w)) << w;
            ++unknown;
        }
    }
    EXPECT_GT(unknown, 400);
}

TEST(UserDictionary, InsertionAtTheStartOfARunShiftsChildIndexes) {
    // Roots "B" (child run at 3: "E") and "C"; inserting "AX" puts A at 1 and moves the rest up.
    std::vector<DictionaryNode> nodes = {{},
                                         {3, 'B' - 'A'},
                                         {0, ('C' - 'A') | kLastOfRun | kWordEnd},
                                         {0, ('E' - 'A') | kLastOfRun | kWordEnd}};
    const uint8_t ax[] = {0, 'X' - 'A'};
    const auto r = InsertWord(nodes, ax);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->FirstChanged, 1u);
    EXPECT_EQ(r->NodesAdded, 2u);
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[1].Child, 5); // A -> chain X at the end
    EXPECT_EQ(nodes[2].Child, 4); // B's child run moved from 3 to 4
    EXPECT_EQ(nodes[4].Code(), 'E' - 'A');
    EXPECT_EQ(nodes[5].Letter, ('X' - 'A') | kLastOfRun | kWordEnd);
    EXPECT_FALSE(nodes[1].LastOfRun());
    // A word already present changes nothing; a prefix gets the word-end flag only.
    EXPECT_EQ(InsertWord(nodes, ax)->FirstChanged, 0u);
    const uint8_t a[] = {0};
    EXPECT_EQ(InsertWord(nodes, a)->FirstChanged, 1u);
    EXPECT_TRUE(nodes[1].WordEnd());
    // A link outside the used nodes is refused.
    nodes[2].Child = 99;
    EXPECT_FALSE(InsertWord(nodes, ax));
}

TEST(UserDictionary, FullDictionaryTakesNoMoreWords) {
    TempDir dir;
    const std::string name = dir.File("qobu.dct");
    TAcropSpell spell;
    const int id = spell.CreateUserDictionary(name, {});
    auto bytes = ReadAll(name);
    size_t h = 0;
    while (bytes[h] != 0x1A) {
        ++h;
    }
    ++h;
    // Claim 63990 nodes in use: a word of 10 letters would pass the limit of 63999.
    bytes[h] = static_cast<uint8_t>(63990 & 0xFF);
    bytes[h + 1] = static_cast<uint8_t>(63990 >> 8);
    test::WriteAll(name, bytes);
    EXPECT_TRUE(spell.AddWord("ABCDEFGHIJ", id));
    EXPECT_EQ(ReadAll(name), bytes);
    // Nodes the header claims but the file lacks: refused, and the file is left as it was.
    EXPECT_FALSE(spell.AddWord("ABC", id));
    EXPECT_EQ(ReadAll(name), bytes);
}

} // namespace
} // namespace tolvane
