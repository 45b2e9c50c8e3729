#include "platform/xbase/XbTable.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tolvane {
namespace {

using test::RunCommand;
using test::ShellQuote;
using test::TempDir;

test::ProcessResult Xbtool(const std::string& args) {
    return RunCommand(std::string(TOLVANE_BINARY_DIR) + "/tools/xbtool " + args);
}

// The dump's JSON form, as xbtool writes it.
const char kJson[] =
    R"({"fields": [{"name": "NAME", "type": "C", "width": 10, "decimals": 0}, )"
    R"({"name": "OK", "type": "L", "width": 1, "decimals": 0}, )"
    R"({"name": "SENT", "type": "D", "width": 8, "decimals": 0}, )"
    R"({"name": "AMOUNT", "type": "N", "width": 8, "decimals": 2}, )"
    R"({"name": "NOTE", "type": "M", "width": 10, "decimals": 0}], "records": [)"
    R"({"deleted": false, "values": {"NAME": "Caf\u00e9 \"B\"", "OK": true, "SENT": "20240305", "AMOUNT": -3.50, "NOTE": "line 1\r\nline 2"}}, )"
    R"({"deleted": true, "values": {"NAME": "gone", "OK": false, "SENT": "", "AMOUNT": null, "NOTE": ""}}]})"
    "\n";

class XbtoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        table_ = dir_.File("T.DBF");
        json_ = dir_.File("t.json");
        std::ofstream(json_, std::ios::binary) << kJson;
    }

    TempDir dir_;
    std::string table_;
    std::string json_;
};

TEST_F(XbtoolTest, CreateFromJsonAndDumpGiveTheSameJson) {
    const auto created = Xbtool("create " + ShellQuote(table_) + " --from " + ShellQuote(json_));
    ASSERT_EQ(created.status, 0) << created.err;
    const auto dumped = Xbtool("dump --json " + ShellQuote(table_));
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    std::string expected = kJson;
    const std::string escaped = "\\u00e9";
    expected.replace(expected.find(escaped), escaped.size(), "\xc3\xa9");
    EXPECT_EQ(dumped.out, expected);
}

TEST_F(XbtoolTest, TextDumpShowsFieldsRecordsAndMemos) {
    ASSERT_EQ(Xbtool("create " + ShellQuote(table_) + " --from " + ShellQuote(json_)).status, 0);
    const auto dumped = Xbtool("dump " + ShellQuote(table_));
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_NE(dumped.out.find("  AMOUNT N(8,2)\n"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("#2 (deleted)\n  NAME: gone\n"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("  NOTE: line 1\r\nline 2\n"), std::string::npos) << dumped.out;
}

TEST_F(XbtoolTest, TagsCheckReindexAndPack) {
    ASSERT_EQ(Xbtool("create " + ShellQuote(table_) + " --from " + ShellQuote(json_)).status, 0);
    {
        XbTable t;
        t.Open(table_);
        t.CreateTag("NAME", "NAME", XbDirection::Descending, ".not. deleted()");
    }
    const auto tags = Xbtool("tags " + ShellQuote(table_));
    EXPECT_EQ(tags.out, "NAME\tkey NAME\tfor .not. deleted()\tdescending\t1 keys\n");
    EXPECT_EQ(Xbtool("check " + ShellQuote(table_)).out, "ok\n");

    // Damage the tag's leaf: check reports it and fails; reindex mends it.
    const std::string cdx = dir_.File("T.CDX");
    std::vector<uint8_t> bytes = test::ReadAll(cdx);
    bytes[0x600 + 1024 + 24] = 2; // the key now claims record 2, which the condition excludes
    test::WriteAll(cdx, bytes);
    const auto bad = Xbtool("check " + ShellQuote(table_));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("tag NAME"), std::string::npos) << bad.out;
    EXPECT_EQ(Xbtool("reindex " + ShellQuote(table_)).status, 0);
    EXPECT_EQ(Xbtool("check " + ShellQuote(table_)).status, 0);

    ASSERT_EQ(Xbtool("pack " + ShellQuote(table_)).status, 0);
    XbTable t;
    t.Open(table_);
    EXPECT_EQ(t.RecordCount(), 1u);
    EXPECT_EQ(t.GetMemo(t.FieldIndex("NOTE")), "line 1\r\nline 2");
}

TEST_F(XbtoolTest, FailuresAndUsage) {
    EXPECT_EQ(Xbtool("").status, 2);
    EXPECT_EQ(Xbtool("dump").status, 2);
    EXPECT_EQ(Xbtool("frobnicate " + ShellQuote(table_)).status, 2);
    const auto missing = Xbtool("dump " + ShellQuote(dir_.File("NONE.DBF")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("NONE.DBF: file not found"), std::string::npos) << missing.err;
    std::ofstream(json_, std::ios::binary | std::ios::trunc) << R"({"fields": [{"name": "X", "type": "Q"}]})";
    const auto badType = Xbtool("create " + ShellQuote(table_) + " --from " + ShellQuote(json_));
    EXPECT_EQ(badType.status, 1);
    EXPECT_NE(badType.err.find("unknown field type"), std::string::npos) << badType.err;

    ASSERT_EQ(Xbtool("create " + ShellQuote(table_) + " --from /dev/null").status, 1);
    XbTable::Create(table_, {{"A", XbFieldType::Character, 3, 0}});
    XbTable open;
    open.Open(table_);
    const auto busy = Xbtool("check " + ShellQuote(table_));
    EXPECT_EQ(busy.status, 1);
    EXPECT_NE(busy.err.find("in use"), std::string::npos) << busy.err;
}

} // namespace
} // namespace tolvane
