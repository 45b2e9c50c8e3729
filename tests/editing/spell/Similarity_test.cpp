#include "editing/spell/Similarity.h"
#include "editing/spell/SuggestionList.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(Similarity, Scores) {
    struct Case {
        const char* s;
        const char* t;
        int score;
    };
    const Case cases[] = {
        {"CAT", "CUT", 66},
        {"CAT", "CAT", 100},
        {"AB", "AB", 100},
        {"CAT", "DOG", 0},
        {"A", "A", 0},
        {"", "", 0},
        {"IN THE", "INTHE", 90},
        {"THE", "TEH", 66},
        {"RECEIVE", "RECIEVE", 85},
        // Every common part counts in full: GOVER and NMENT after the missing N.
        {"GOVERNMENT", "GOVERMENT", 94},
        {"SEPARATE", "SEPERATE", 87},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Similarity(c.s, c.t), c.score) << c.s << " / " << c.t;
    }
}

TEST(Similarity, OnlyThirtyCharactersCount) {
    const std::string a(30, 'X');
    EXPECT_EQ(Similarity(a + "ABCDEFGHIJ", a), 100);
}

TEST(SuggestionList, OrderTiesAndCapacity) {
    SuggestionList list(3);
    list.Offer("B", 50);
    list.Offer("C", 50); // equal score: the earlier one stays first
    list.Offer("A", 70);
    list.Offer("D", 40); // beats none of a full list
    list.Offer("E", 60); // pushes the last one out
    list.Offer("A", 70); // already listed
    ASSERT_EQ(list.Entries().size(), 3u);
    EXPECT_EQ(list.Entries()[0].Word, "A");
    EXPECT_EQ(list.Entries()[1].Word, "E");
    EXPECT_EQ(list.Entries()[2].Word, "B");
}

TEST(SuggestionList, UnfilledListTakesEverythingAndEmptyListNothing) {
    SuggestionList list(5);
    list.Offer("X", 0);
    EXPECT_EQ(list.Entries().size(), 1u);
    SuggestionList none(0);
    none.Offer("X", 100);
    EXPECT_TRUE(none.Entries().empty());
}

} // namespace
} // namespace tolvane
