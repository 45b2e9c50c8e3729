// Tables exchanged with python-dbf in both directions.
#include "platform/xbase/XbTable.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

using test::RunCommand;
using test::ShellQuote;
using test::TempDir;

// python-dbf is a Debian package of the system interpreter.
constexpr const char* kPython = "/usr/bin/python3";

std::string Script(const char* name) {
    return std::string(TOLVANE_SOURCE_DIR) + "/tests/platform/xbase/peer/" + name;
}

test::ProcessResult RunPython(const char* script, const std::string& table) {
    return RunCommand(std::string("PYTHONIOENCODING=utf-8 ") + kPython + " " + ShellQuote(Script(script)) +
                      " " + ShellQuote(table));
}

TEST(PythonDbfPeer, TableWrittenByPythonReadsWithTheSameValues) {
    TempDir dir;
    const std::string path = dir.File("peer.dbf");
    const auto written = RunPython("write_table.py", path);
    ASSERT_EQ(written.status, 0) << written.err;

    XbTable table;
    table.Open(path);
    table.SetDeleted(XbDeleted::Show);
    EXPECT_TRUE(table.Notices().empty());
    ASSERT_EQ(table.RecordCount(), 4u);
    const int name = table.FieldIndex("name"), ok = table.FieldIndex("OK"), sent = table.FieldIndex("SENT"),
              pages = table.FieldIndex("PAGES"), amount = table.FieldIndex("AMOUNT"),
              note = table.FieldIndex("NOTE");

    ASSERT_TRUE(table.Goto(1));
    EXPECT_FALSE(table.Current().Deleted());
    EXPECT_EQ(table.GetString(name), "Smith");
    EXPECT_TRUE(table.GetBool(ok));
    EXPECT_EQ(table.GetDate(sent), (XbDate{2024, 3, 5}));
    EXPECT_EQ(table.GetInteger(pages), 12);
    EXPECT_DOUBLE_EQ(table.GetNumber(amount), -3.5);
    EXPECT_EQ(table.GetMemo(note), "Hello\r\nWorld");

    ASSERT_TRUE(table.Goto(2));
    EXPECT_TRUE(table.Current().Deleted());
    EXPECT_EQ(table.GetString(name), "Lee");
    EXPECT_FALSE(table.GetBool(ok));
    EXPECT_EQ(table.GetString(sent), "19991231");
    EXPECT_EQ(table.GetMemo(note), "");

    ASSERT_TRUE(table.Goto(3));
    EXPECT_EQ(table.GetString(ok), "");
    EXPECT_TRUE(table.GetDate(sent).Empty());
    EXPECT_EQ(table.GetString(pages), "");
    EXPECT_EQ(table.GetMemo(note), "");

    ASSERT_TRUE(table.Goto(4));
    EXPECT_EQ(table.GetString(name), "Caf\xe9");
    EXPECT_EQ(table.GetDate(sent), (XbDate{2000, 2, 29}));
    EXPECT_EQ(table.GetInteger(pages), 99999);
    EXPECT_DOUBLE_EQ(table.GetNumber(amount), 12345.67);
    EXPECT_EQ(table.GetMemo(note), std::string(3000, 'x'));

    // Our changes to a foreign table stay readable by its writer.
    table.Edit();
    table.SetMemo(note, "replaced");
    table.Post();
    table.CreateTag("NAME", "NAME", XbDirection::Ascending, ".not. deleted()");
    table.Close();
    const auto read = RunPython("read_table.py", path);
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find(" |Caf\xc3\xa9|True|2000-02-29|99999|12345.67|replaced\n"), std::string::npos)
        << read.out;
}

TEST(PythonDbfPeer, TableWrittenByUsReadsInPythonWithTheSameValues) {
    TempDir dir;
    const std::string path = dir.File("OURS.DBF");
    XbTable::Create(path, {{"NAME", XbFieldType::Character, 20, 0},
                           {"OK", XbFieldType::Logical, 1, 0},
                           {"SENT", XbFieldType::Date, 8, 0},
                           {"PAGES", XbFieldType::Numeric, 5, 0},
                           {"AMOUNT", XbFieldType::Numeric, 8, 2},
                           {"NOTE", XbFieldType::Memo, 10, 0}});
    XbTable table;
    table.Open(path);
    table.CreateTag("NAME", "NAME", XbDirection::Descending, ".not. deleted()");
    table.Append();
    table.SetString(0, "Smith");
    table.SetBool(1, true);
    table.SetDate(2, {2024, 3, 5});
    table.SetNumber(3, 12);
    table.SetNumber(4, -3.5);
    table.SetMemo(5, "Hello\r\nWorld");
    table.Post();
    table.Append();
    table.SetString(0, "Lee");
    table.SetBool(1, false);
    table.SetMemo(5, std::string(2000, 'm'));
    table.Post();
    table.Delete();
    table.Append();
    table.Post();
    table.Close();

    const auto read = RunPython("read_table.py", path);
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, " |Smith|True|2024-03-05|12|-3.5|Hello\\r\\nWorld\n"
                        "*|Lee|False||||" +
                            std::string(2000, 'm') +
                            "\n"
                            " ||||||\n");
}

} // namespace
} // namespace tolvane
