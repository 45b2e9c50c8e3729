#include "imaging/apf/ApfFile.h"
#include "imaging/errors/ResultCodes.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kFaxtool = std::string(TOLVANE_BINARY_DIR) + "/tools/faxtool";

std::string Info(const std::string& args) {
    return kFaxtool + " info " + args;
}

TEST(FaxtoolInfo, PrintsHeaderAndPagesAsTextAndJson) {
    test::TempDir dir;
    const std::string name = dir.File("two.apf");
    {
        ApfWriter w;
        ASSERT_EQ(w.Create(name), ecOK);
        ASSERT_EQ(w.BeginPage(apfLengthWords | apfFineResolution), ecOK);
        const uint8_t data[8] = {6, 0, 0, 0x80, 0xB2, 0x59, 1, 0};
        ASSERT_EQ(w.WritePageData(data, sizeof data), ecOK);
        ASSERT_EQ(w.EndPage(), ecOK);
        ASSERT_EQ(w.BeginPage(apfWideWidth), ecOK);
        ASSERT_EQ(w.WritePageData(data, 3), ecOK);
        ASSERT_EQ(w.EndPage(), ecOK);
        std::tm t{};
        t.tm_year = 2026 - 1900;
        t.tm_mon = 11;
        t.tm_mday = 11;
        t.tm_hour = 9;
        t.tm_min = 30;
        t.tm_sec = 4;
        ASSERT_EQ(w.WriteHeader(PackDosDateTime(t), "Sales \"HQ\""), ecOK);
        ASSERT_EQ(w.Close(), ecOK);
    }
    const auto text = RunCommand(Info(ShellQuote(name)));
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Station:   Sales \"HQ\"\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Date:      2026-12-11 09:30:04\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Pages:     2\n"), std::string::npos);
    EXPECT_NE(text.out.find("Page 1: fine length-words, ImageLength 8\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Page 2: normal wide, ImageLength 3\n"), std::string::npos) << text.out;

    const auto json = RunCommand(Info("--json " + ShellQuote(name)));
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "{\"pages\": 2, \"station\": \"Sales \\\"HQ\\\"\", \"datetime\": \"2026-12-11T09:30:04\", "
              "\"page_list\": [{\"image_length\": 8, \"flags\": 5, \"fine\": true, \"wide\": false, "
              "\"length_words\": true}, {\"image_length\": 3, \"flags\": 2, \"fine\": false, "
              "\"wide\": true, \"length_words\": false}]}\n");
}

TEST(FaxtoolInfo, DateOutsideTheDosRangeIsNull) {
    test::TempDir dir;
    const std::string name = dir.File("nodate.apf");
    ApfWriter w;
    ASSERT_EQ(w.Create(name), ecOK);
    ASSERT_EQ(w.Close(), ecOK);
    const auto json = RunCommand(Info("--json " + ShellQuote(name)));
    EXPECT_EQ(json.out, "{\"pages\": 0, \"station\": \"\", \"datetime\": null, \"page_list\": []}\n");
}

TEST(FaxtoolInfo, ForeignAndMissingFilesFailWithTheMessage) {
    test::TempDir dir;
    const std::string foreign = dir.File("letter.txt");
    test::WriteAll(foreign, std::vector<uint8_t>(100, 'x'));
    const auto bad = RunCommand(Info(ShellQuote(foreign)));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("File is not an APF file"), std::string::npos) << bad.err;
    EXPECT_TRUE(bad.out.empty());

    const auto missing = RunCommand(Info(ShellQuote(dir.File("gone.apf"))));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("File not found"), std::string::npos) << missing.err;
}

} // namespace
} // namespace tolvane
