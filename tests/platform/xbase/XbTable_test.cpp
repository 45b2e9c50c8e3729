#include "platform/xbase/XbTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tolvane {
namespace {

using test::TempDir;

std::vector<XbFieldDef> FaxFields() {
    return {
        {"SUBJECT", XbFieldType::Character, 50, 0},   {"SENT", XbFieldType::Logical, 1, 0},
        {"DATESENT", XbFieldType::Date, 8, 0},        {"TIMESENT", XbFieldType::Character, 5, 0},
        {"RECIPIENT", XbFieldType::Character, 35, 0}, {"PHONE", XbFieldType::Character, 25, 0},
        {"PAGES", XbFieldType::Numeric, 2, 0},        {"LASTRESULT", XbFieldType::Character, 100, 0},
        {"RTFCOVER", XbFieldType::Memo, 10, 0},       {"RTFDOC", XbFieldType::Memo, 10, 0},
    };
}

class XbTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("QOB.DBF");
        XbTable::Create(path_, FaxFields());
        table_.Open(path_);
    }

    // Appends a job; date "" leaves it unsent.
    void AddJob(const std::string& subject, const std::string& date = "", const std::string& time = "") {
        table_.Append();
        table_.SetString(F("SUBJECT"), subject);
        table_.SetString(F("DATESENT"), date);
        table_.SetString(F("TIMESENT"), time);
        table_.SetBool(F("SENT"), !date.empty());
        table_.Post();
    }

    int F(const char* name) const { return table_.FieldIndex(name); }

    // Subjects of the visible records in the current order.
    std::vector<std::string> Walk() {
        std::vector<std::string> out;
        for (table_.First(); table_.HasCurrentRecord(); table_.Next()) {
            out.push_back(table_.GetString(F("SUBJECT")));
        }
        return out;
    }

    TempDir dir_;
    std::string path_;
    XbTable table_;
};

TEST_F(XbTableTest, NewTableIsEmptyWithoutCurrentRecord) {
    EXPECT_EQ(table_.RecordCount(), 0u);
    EXPECT_FALSE(table_.HasCurrentRecord());
    EXPECT_TRUE(table_.Eof());
    EXPECT_EQ(table_.Fields().size(), 10u);
    EXPECT_EQ(table_.Fields()[8].def.type, XbFieldType::Memo);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("QOB.FPT")));
}

TEST_F(XbTableTest, PostedValuesReadBackAfterReopen) {
    table_.Append();
    table_.SetString(F("SUBJECT"), "Quarterly report");
    table_.SetBool(F("SENT"), true);
    table_.SetDate(F("DATESENT"), {2024, 3, 5});
    table_.SetString(F("TIMESENT"), "14:07");
    table_.SetNumber(F("PAGES"), 12);
    table_.SetString(F("LASTRESULT"), std::string(120, 'x'));
    table_.SetMemo(F("RTFCOVER"), "{\\rtf1 cover}");
    table_.Post();
    EXPECT_EQ(table_.RecNo(), 1u);
    table_.Close();

    table_.Open(path_);
    ASSERT_TRUE(table_.HasCurrentRecord());
    EXPECT_EQ(table_.GetString(F("SUBJECT")), "Quarterly report");
    EXPECT_TRUE(table_.GetBool(F("SENT")));
    EXPECT_EQ(table_.GetDate(F("DATESENT")), (XbDate{2024, 3, 5}));
    EXPECT_EQ(table_.GetString(F("DATESENT")), "20240305");
    EXPECT_EQ(table_.GetInteger(F("PAGES")), 12);
    EXPECT_EQ(table_.GetString(F("LASTRESULT")), std::string(100, 'x')); // cut to the width
    EXPECT_EQ(table_.GetMemo(F("RTFCOVER")), "{\\rtf1 cover}");
    EXPECT_EQ(table_.GetMemo(F("RTFDOC")), "");
}

TEST_F(XbTableTest, NumberTooWideIsRejected) {
    table_.Append();
    EXPECT_THROW(table_.SetNumber(F("PAGES"), 100), EXBaseError);
    EXPECT_THROW(table_.SetString(F("DATESENT"), "2024-03-05"), EXBaseError);
    EXPECT_THROW(table_.SetBool(F("SUBJECT"), true), EXBaseError);
    table_.Cancel();
    EXPECT_EQ(table_.RecordCount(), 0u);
}

TEST_F(XbTableTest, CancelLeavesTableUntouched) {
    AddJob("kept");
    table_.Edit();
    table_.SetString(F("SUBJECT"), "changed");
    table_.Cancel();
    EXPECT_EQ(table_.GetString(F("SUBJECT")), "kept");
    table_.Append();
    table_.Cancel();
    EXPECT_EQ(table_.RecordCount(), 1u);
}

TEST_F(XbTableTest, DescendingTagOrdersNewestFirstAndUnsentLast) {
    table_.CreateTag("DATESENT", "DTOS(DATESENT)+TIMESENT", XbDirection::Descending, ".not. deleted()");
    AddJob("old", "20230101", "09:00");
    AddJob("unsent");
    AddJob("new", "20240101", "10:00");
    AddJob("new earlier", "20240101", "08:00");
    table_.SelectOrder("datesent");
    EXPECT_EQ(table_.CurrentOrder(), "DATESENT");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"new", "new earlier", "old", "unsent"}));
    table_.SelectNaturalOrder();
    EXPECT_EQ(Walk(), (std::vector<std::string>{"old", "unsent", "new", "new earlier"}));
}

TEST_F(XbTableTest, EditMovesRecordInIndexOrder) {
    table_.CreateTag("SUBJECT", "SUBJECT", XbDirection::Ascending, ".not. deleted()");
    table_.SelectOrder("SUBJECT");
    AddJob("b");
    AddJob("c");
    AddJob("a");
    ASSERT_TRUE(table_.Goto(2));
    table_.Edit();
    table_.SetString(F("SUBJECT"), "0");
    table_.Post();
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0", "a", "b"}));
    EXPECT_EQ(table_.Tags()[0].keyCount, 3u);
}

TEST_F(XbTableTest, DeletedRecordsAreHiddenAndPackRemovesThem) {
    table_.CreateTag("SUBJECT", "SUBJECT", XbDirection::Ascending, ".not. deleted()");
    for (const char* s : {"a", "b", "c", "d"}) {
        AddJob(s);
    }
    table_.SetQuery(".not. deleted()");
    ASSERT_TRUE(table_.Goto(2));
    table_.Delete();
    EXPECT_EQ(table_.RecNo(), 3u) << "the cursor moves to the next record";
    EXPECT_EQ(table_.QueryCount(), 3u);
    EXPECT_EQ(table_.RecordCount(), 4u);
    table_.SelectOrder("SUBJECT");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(table_.Tags()[0].keyCount, 3u);

    std::vector<int> reports;
    table_.SetProgressHandler([&](int p) { reports.push_back(p); });
    table_.Pack();
    EXPECT_EQ(table_.RecordCount(), 3u);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a", "c", "d"}));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), 0);
    EXPECT_EQ(reports.back(), 100);
    table_.Close();
    table_.Open(path_);
    EXPECT_EQ(table_.RecordCount(), 3u);
    EXPECT_TRUE(table_.Notices().empty());
}

TEST_F(XbTableTest, DeletedRecordsShowWhenAsked) {
    AddJob("a");
    AddJob("b");
    table_.First();
    table_.Delete();
    EXPECT_EQ(Walk(), (std::vector<std::string>{"b"}));
    table_.SetDeleted(XbDeleted::Show);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a", "b"}));
    table_.First();
    EXPECT_TRUE(table_.Current().Deleted());
    table_.Recall();
    table_.SetDeleted(XbDeleted::Hide);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(XbTableTest, PackCompactsMemoFile) {
    const std::string big(5000, 'r');
    for (int i = 0; i < 3; ++i) {
        table_.Append();
        table_.SetMemo(F("RTFDOC"), big + std::to_string(i));
        table_.Post();
    }
    table_.First();
    for (int i = 0; i < 5; ++i) { // each change leaves the old run behind
        table_.Edit();
        table_.SetMemo(F("RTFDOC"), big + "edit" + std::to_string(i));
        table_.Post();
    }
    table_.First();
    table_.Delete();
    const auto before = std::filesystem::file_size(dir_.File("QOB.FPT"));
    table_.Pack();
    const auto after = std::filesystem::file_size(dir_.File("QOB.FPT"));
    EXPECT_LT(after, before / 3);
    EXPECT_EQ(Walk().size(), 2u);
    table_.First();
    EXPECT_EQ(table_.GetMemo(F("RTFDOC")), big + "1");
}

TEST_F(XbTableTest, MemoFilesRoundTrip) {
    const std::string work = dir_.File("Eraseme.rtf");
    AddJob("memo");
    EXPECT_FALSE(table_.MemoToFile(F("RTFDOC"), work)) << "an empty memo writes no file";
    EXPECT_FALSE(std::filesystem::exists(work));
    {
        std::ofstream out(work, std::ios::binary);
        out << "{\\rtf1 document}";
    }
    table_.Append();
    table_.MemoFromFile(F("RTFDOC"), work);
    EXPECT_EQ(table_.State(), XbState::Append) << "the record stays in its state";
    table_.SetString(F("SUBJECT"), "with memo");
    table_.Post();
    std::filesystem::remove(work);
    ASSERT_TRUE(table_.MemoToFile(F("RTFDOC"), work));
    const std::vector<uint8_t> bytes = test::ReadAll(work);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "{\\rtf1 document}");
    // In browse state the memo is replaced and posted at once.
    std::ofstream(work, std::ios::binary | std::ios::trunc) << "second";
    table_.MemoFromFile(F("RTFCOVER"), work);
    EXPECT_EQ(table_.State(), XbState::Browse);
    EXPECT_EQ(table_.ReadMemo(2, F("RTFCOVER")), "second");
}

TEST_F(XbTableTest, ViewGivesRandomAccessInOrder) {
    table_.CreateTag("SUBJECT", "SUBJECT", XbDirection::Descending, ".not. deleted()");
    for (const char* s : {"m", "z", "a"}) {
        AddJob(s);
    }
    table_.SelectOrder("SUBJECT");
    ASSERT_EQ(table_.ViewCount(), 3u);
    EXPECT_EQ(table_.ViewRecNo(0), 2u);
    EXPECT_EQ(table_.ViewRecNo(2), 3u);
    EXPECT_EQ(table_.ViewRow(1), 1);
    EXPECT_EQ(table_.ReadRecord(table_.ViewRecNo(1)).Text(F("SUBJECT")), "m");
    EXPECT_THROW(table_.ViewRecNo(3), EXBaseError);
}

TEST_F(XbTableTest, NavigationEnds) {
    AddJob("a");
    AddJob("b");
    table_.First();
    table_.Prior();
    EXPECT_TRUE(table_.Bof());
    EXPECT_EQ(table_.RecNo(), 1u);
    table_.Last();
    table_.Next();
    EXPECT_TRUE(table_.Eof());
    EXPECT_FALSE(table_.HasCurrentRecord());
    table_.Prior();
    EXPECT_EQ(table_.RecNo(), 2u);
    EXPECT_FALSE(table_.Goto(3));
}

TEST_F(XbTableTest, QueryFiltersRecords) {
    AddJob("sent", "20240101", "10:00");
    AddJob("unsent");
    table_.SetQuery("SENT");
    EXPECT_EQ(table_.QueryCount(), 1u);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"sent"}));
    table_.SetQuery(".NOT.SENT");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"unsent"}));
    EXPECT_THROW(table_.SetQuery("SUBJECT"), EXBaseError);
    table_.SetQuery("");
    EXPECT_EQ(table_.QueryCount(), 2u);
}

TEST_F(XbTableTest, SecondOpenFailsInUse) {
    XbTable second;
    try {
        second.Open(path_);
        FAIL() << "second open succeeded";
    } catch (const EXBaseError& e) {
        EXPECT_EQ(e.Code(), XbError::InUse);
        EXPECT_NE(std::string(e.what()).find("QOB.DBF"), std::string::npos);
    }
}

TEST_F(XbTableTest, OpenFromAnotherProcessFailsInUse) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        XbTable other;
        int code = 0;
        try {
            other.Open(path_);
        } catch (const EXBaseError& e) {
            code = e.Code() == XbError::InUse ? 3 : 4;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    table_.Close();
    XbTable again;
    EXPECT_NO_THROW(again.Open(path_));
}

TEST_F(XbTableTest, FileNameMatchesWithoutCase) {
    table_.Close();
    table_.Open(dir_.Path().string(), "qob.dbf");
    EXPECT_EQ(table_.Path(), path_);
}

TEST_F(XbTableTest, CloseIndexesLetsTheFileGoAndCreateTagMakesItAgain) {
    table_.CreateTag("SUBJECT", "SUBJECT", XbDirection::Ascending, ".not. deleted()");
    const std::string cdx = table_.IndexPath();
    EXPECT_TRUE(std::filesystem::exists(cdx));
    table_.SelectOrder("SUBJECT");
    table_.CloseIndexes();
    EXPECT_EQ(table_.CurrentOrder(), "");
    EXPECT_TRUE(table_.Tags().empty());
    std::filesystem::remove(cdx);
    AddJob("x");
    table_.CreateTag("SUBJECT", "SUBJECT", XbDirection::Ascending, ".not. deleted()");
    EXPECT_TRUE(std::filesystem::exists(cdx));
    table_.Close();
    table_.Open(path_);
    ASSERT_EQ(table_.Tags().size(), 1u);
    EXPECT_EQ(table_.Tags()[0].keyCount, 1u);
}

TEST_F(XbTableTest, OperationsInTheWrongStateFail) {
    EXPECT_THROW(table_.Edit(), EXBaseError); // no current record
    EXPECT_THROW(table_.Post(), EXBaseError);
    table_.Append();
    EXPECT_THROW(table_.Next(), EXBaseError);
    EXPECT_THROW(table_.Append(), EXBaseError);
    table_.Cancel();
    EXPECT_THROW(table_.SelectOrder("NONE"), EXBaseError);
    table_.Close();
    EXPECT_THROW(table_.RecordCount(), EXBaseError);
}

TEST(XbTableCreate, BadFieldListsAreRejected) {
    TempDir dir;
    const std::vector<std::vector<XbFieldDef>> bad = {
        {},
        {{"", XbFieldType::Character, 5, 0}},
        {{"TOOLONGNAME1", XbFieldType::Character, 5, 0}},
        {{"A", XbFieldType::Character, 0, 0}},
        {{"A", XbFieldType::Character, 255, 0}},
        {{"A", XbFieldType::Numeric, 21, 0}},
        {{"A", XbFieldType::Numeric, 5, 4}},
        {{"A", XbFieldType::Character, 5, 0}, {"a", XbFieldType::Character, 5, 0}},
    };
    for (const auto& fields : bad) {
        EXPECT_THROW(XbTable::Create(dir.File("T.DBF"), fields), EXBaseError);
    }
}

TEST(XbTableOpen, MissingTableIsNotFound) {
    TempDir dir;
    XbTable table;
    try {
        table.Open(dir.File("NONE.DBF"));
        FAIL();
    } catch (const EXBaseError& e) {
        EXPECT_EQ(e.Code(), XbError::NotFound);
    }
}

} // namespace
} // namespace tolvane

namespace tolvane {
namespace {

// A pack writes complete new files, then a marker, then renames them into place. A process
// killed after the marker has its pack completed at the next open; one killed before it, undone.
class PackRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& folder : {std::string("live"), std::string("packed")}) {
            std::filesystem::create_directory(dir_.Path() / folder);
            const std::string path = (dir_.Path() / folder / "T.DBF").string();
            XbTable::Create(path,
                            {{"NAME", XbFieldType::Character, 8, 0}, {"NOTE", XbFieldType::Memo, 10, 0}});
            XbTable t;
            t.Open(path);
            for (const char* name : {"a", "b", "c"}) {
                t.Append();
                t.SetString(0, name);
                t.SetMemo(1, std::string("memo ") + name);
                t.Post();
            }
            t.Goto(1);
            t.Delete();
            if (folder == "packed") {
                t.Pack();
            }
        }
        live_ = (dir_.Path() / "live" / "T.DBF").string();
        // What a pack of the live table would have written before it was killed.
        std::filesystem::copy_file(dir_.Path() / "packed" / "T.DBF", live_ + ".new");
        std::filesystem::copy_file(dir_.Path() / "packed" / "T.FPT", (dir_.Path() / "live" / "T.FPT.new"));
    }

    std::vector<std::string> Names() {
        XbTable t;
        t.Open(live_);
        t.SetDeleted(XbDeleted::Show);
        std::vector<std::string> out;
        for (t.First(); t.HasCurrentRecord(); t.Next()) {
            out.push_back(t.GetString(0) + "=" + t.GetMemo(1));
        }
        return out;
    }

    TempDir dir_;
    std::string live_;
};

TEST_F(PackRecoveryTest, KilledBeforeTheMarkerKeepsTheOldTable) {
    EXPECT_EQ(Names(), (std::vector<std::string>{"a=memo a", "b=memo b", "c=memo c"}));
    EXPECT_FALSE(std::filesystem::exists(live_ + ".new"));
}

TEST_F(PackRecoveryTest, KilledAfterTheMarkerCompletesThePack) {
    std::ofstream(live_ + ".commit").put('\n');
    EXPECT_EQ(Names(), (std::vector<std::string>{"b=memo b", "c=memo c"}));
    EXPECT_FALSE(std::filesystem::exists(live_ + ".commit"));
}

TEST_F(PackRecoveryTest, KilledBetweenTheRenamesCompletesThePack) {
    std::ofstream(live_ + ".commit").put('\n');
    std::filesystem::rename(dir_.Path() / "live" / "T.FPT.new", dir_.Path() / "live" / "T.FPT");
    EXPECT_EQ(Names(), (std::vector<std::string>{"b=memo b", "c=memo c"}));
}

} // namespace
} // namespace tolvane
