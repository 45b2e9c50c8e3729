// Index files that lag the table, are damaged or come from elsewhere; tables that cannot be read.
#include "platform/xbase/CdxFormat.h"
#include "platform/xbase/XbTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;

class IndexRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("QOBPB.DBF");
        cdx_ = dir_.File("QOBPB.CDX");
        XbTable::Create(path_,
                        {{"NAME", XbFieldType::Character, 8, 0}, {"PHONE", XbFieldType::Character, 5, 0}});
        XbTable t;
        t.Open(path_);
        t.CreateTag("NAME", "NAME", XbDirection::Ascending, ".not. deleted()");
        for (const char* name : {"carol", "alice", "bob"}) {
            t.Append();
            t.SetString(0, name);
            t.Post();
        }
    }

    std::vector<std::string> NamesInOrder(XbTable& t) {
        std::vector<std::string> out;
        t.SelectOrder("NAME");
        for (t.First(); t.HasCurrentRecord(); t.Next()) {
            out.push_back(t.GetString(0));
        }
        return out;
    }

    static bool Mentions(const std::vector<std::string>& notes, const std::string& text) {
        for (const std::string& n : notes) {
            if (n.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    // Overwrites bytes of the table file behind the engine's back.
    void Patch(size_t offset, const std::string& bytes) {
        std::vector<uint8_t> file = ReadAll(path_);
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
        WriteAll(path_, file);
    }

    TempDir dir_;
    std::string path_;
    std::string cdx_;
};

TEST_F(IndexRecoveryTest, CleanTableChecksOk) {
    EXPECT_TRUE(XbTable::Check(path_).empty());
    XbTable t;
    t.Open(path_);
    EXPECT_TRUE(t.Notices().empty());
    EXPECT_EQ(NamesInOrder(t), (std::vector<std::string>{"alice", "bob", "carol"}));
}

TEST_F(IndexRecoveryTest, IndexLaggingTheTableIsRebuilt) {
    // Record 2 renamed by another program that does not maintain the index.
    const size_t header = 32 + 2 * 32 + 1;
    Patch(header + 14 + 1, "zed     ");
    const std::vector<uint8_t> before = ReadAll(cdx_);
    const std::vector<std::string> findings = XbTable::Check(path_);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_NE(findings[0].find("tag NAME does not match the table: record 2 has a stale key"),
              std::string::npos)
        << findings[0];
    EXPECT_EQ(ReadAll(cdx_), before) << "check changes nothing";

    XbTable t;
    t.Open(path_);
    EXPECT_TRUE(Mentions(t.Notices(), "the tag was rebuilt"));
    EXPECT_EQ(NamesInOrder(t), (std::vector<std::string>{"bob", "carol", "zed"}));
    t.Close();
    EXPECT_TRUE(XbTable::Check(path_).empty());
}

TEST_F(IndexRecoveryTest, UnreadableIndexIsRemovedAndTheTableOpens) {
    WriteAll(cdx_, std::vector<uint8_t>(3000, 0x5A));
    XbTable t;
    t.Open(path_);
    EXPECT_TRUE(Mentions(t.Notices(), "the index was removed"));
    EXPECT_FALSE(std::filesystem::exists(cdx_)) << "so that the caller creates its tag again";
    EXPECT_TRUE(t.Tags().empty());
    EXPECT_EQ(t.RecordCount(), 3u);
    t.CreateTag("NAME", "NAME", XbDirection::Ascending, ".not. deleted()");
    EXPECT_EQ(NamesInOrder(t), (std::vector<std::string>{"alice", "bob", "carol"}));
}

TEST_F(IndexRecoveryTest, DamagedTagPagesAreRebuilt) {
    std::vector<uint8_t> file = ReadAll(cdx_);
    file[0x600 + 1024 + 12] ^= 0xFF; // free-space field of the tag's leaf
    WriteAll(cdx_, file);
    XbTable t;
    t.Open(path_);
    EXPECT_TRUE(Mentions(t.Notices(), "tag NAME leaf page"));
    EXPECT_EQ(NamesInOrder(t), (std::vector<std::string>{"alice", "bob", "carol"}));
}

TEST_F(IndexRecoveryTest, TagNotMatchingItsKeyExpressionIsRebuilt) {
    // A tag whose key length (5) is not the length of its expression NAME (8).
    const std::vector<uint8_t> keys = {'a', 'l', 'i', 'c', 'e'};
    const std::vector<uint32_t> records = {2};
    WriteAll(cdx_, WriteCdx({{"NAME", "NAME", "", false, false, 5, ' ', &keys, &records}}));
    XbTable t;
    t.Open(path_);
    EXPECT_TRUE(Mentions(t.Notices(), "tag NAME does not match its key expression; the tag was rebuilt"));
    EXPECT_EQ(NamesInOrder(t), (std::vector<std::string>{"alice", "bob", "carol"}));
    ASSERT_EQ(t.Tags().size(), 1u);
    EXPECT_EQ(t.Tags()[0].keyCount, 3u);
}

TEST_F(IndexRecoveryTest, TagWithUnsupportedExpressionIsDropped) {
    const std::vector<uint8_t> keys;
    const std::vector<uint32_t> records;
    WriteAll(cdx_, WriteCdx({{"UP", "UPPER(NAME)", "", false, false, 8, ' ', &keys, &records}}));
    XbTable t;
    t.Open(path_);
    EXPECT_TRUE(Mentions(t.Notices(), "UPPER() is not supported"));
    EXPECT_TRUE(t.Tags().empty());
}

TEST(UnreadableTable, DamagedTableOrMemoFailsTheOpenAndStaysUntouched) {
    TempDir dir;
    const std::string path = dir.File("T.DBF");
    XbTable::Create(path, {{"NAME", XbFieldType::Character, 8, 0}, {"NOTE", XbFieldType::Memo, 10, 0}});
    const std::vector<uint8_t> good = ReadAll(path);
    struct Case {
        size_t offset;
        uint8_t value;
        XbError code;
    };
    const Case cases[] = {
        {0, 0x8B, XbError::BadTable},  // unknown version
        {10, 0x07, XbError::BadTable}, // record length
        {4, 0x09, XbError::BadTable},  // more records than the file holds
        {43, 'X', XbError::BadTable},  // field type
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        bad[c.offset] = c.value;
        WriteAll(path, bad);
        XbTable t;
        try {
            t.Open(path);
            ADD_FAILURE() << "opened with byte " << c.offset << " changed";
        } catch (const EXBaseError& e) {
            EXPECT_EQ(e.Code(), c.code);
            EXPECT_NE(std::string(e.what()).find("T.DBF: "), std::string::npos);
        }
        EXPECT_EQ(ReadAll(path), bad);
    }
    WriteAll(path, good);
    std::vector<uint8_t> memo = ReadAll(dir.File("T.FPT"));
    memo[6] = memo[7] = 0; // block size 0
    WriteAll(dir.File("T.FPT"), memo);
    XbTable t;
    try {
        t.Open(path);
        ADD_FAILURE() << "opened with a broken memo file";
    } catch (const EXBaseError& e) {
        EXPECT_EQ(e.Code(), XbError::BadMemo);
    }
    EXPECT_EQ(ReadAll(dir.File("T.FPT")), memo);
}

} // namespace
} // namespace tolvane
