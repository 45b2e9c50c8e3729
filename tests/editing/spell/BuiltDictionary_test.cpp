// The main dictionary the build makes from the Debian word list.
#include "editing/spell/AcropSpell.h"
#include "editing/spell/Cp1252Letters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace tolvane {
namespace {

class BuiltDictionary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        spell_ = new TAcropSpell;
        ASSERT_TRUE(spell_->OpenDictionary(TOLVANE_MAIN_DICTIONARY));
    }
    static void TearDownTestSuite() {
        delete spell_;
        spell_ = nullptr;
    }
    static TAcropSpell* spell_;
};

TAcropSpell* BuiltDictionary::spell_ = nullptr;

TEST_F(BuiltDictionary, KnowsEveryWordOfItsSourceList) {
    std::ifstream in(TOLVANE_WORD_LIST);
    ASSERT_TRUE(in);
    size_t words = 0;
    size_t unstorable = 0;
    for (std::string line; std::getline(in, line);) {
        const auto word = Utf8ToCp1252(line);
        if (!word || !IsStorableWord(ToCapitals(*word))) {
            ++unstorable;
            continue;
        }
        ++words;
        ASSERT_TRUE(spell_->IsWord(*word)) << line;
    }
    EXPECT_GT(words, 100000u);
    EXPECT_EQ(unstorable, 0u);
}

TEST_F(BuiltDictionary, RejectsMisspellings) {
    for (const char* w :
         {"recieve",     "teh",        "wierd",     "seperate",  "definately", "occured",    "untill",
          "accomodate",  "beleive",    "goverment", "tommorow",  "neccessary", "arguement",  "calender",
          "existance",   "adress",     "begining",  "concious",  "enviroment", "foriegn",    "freind",
          "independant", "knowlege",   "libary",    "noticable", "posession",  "realy",      "refered",
          "rythm",       "suprise",    "thier",     "truely",    "wich",       "writting",   "acheive",
          "basicly",     "dissapear",  "embarass",  "finaly",    "harrass",    "immediatly", "lenght",
          "occassion",   "publically", "sucess",    "tounge",    "vaccuum",    "wether",     "Inthe",
          "Düsseldorff"}) {
        EXPECT_FALSE(spell_->IsWord(*Utf8ToCp1252(w))) << w;
    }
}

TEST_F(BuiltDictionary, SuggestsTheIntendedWord) {
    struct Case {
        const char* typed;
        const char* intended;
    };
    for (const Case c : {Case{"recieve", "receive"}, Case{"Teh", "The"}, Case{"wierd", "weird"},
                         Case{"seperate", "separate"}, Case{"INTHE", "IN THE"},
                         Case{"goverment", "government"}, Case{"Jonh", "John"}}) {
        const auto list = spell_->Suggest(c.typed);
        EXPECT_LE(list.size(), 10u);
        EXPECT_NE(std::find(list.begin(), list.end(), c.intended), list.end()) << c.typed;
    }
}

} // namespace
} // namespace tolvane
