#include "imaging/apf/ApfFile.h"
#include "imaging/convert/FaxPeer.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

using test::RunCommand;
using test::ShellQuote;
using test::TempDir;

const std::string kFaxtool = std::string(TOLVANE_BINARY_DIR) + "/tools/faxtool";

test::ProcessResult Convert(const std::string& args) {
    return RunCommand(kFaxtool + " convert " + args);
}

std::vector<std::string> FilesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteText(const std::string& file, const std::string& text) {
    test::WriteAll(file, std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(FaxtoolConvert, PbmImagesBecomePagesWithTheOptionsApplied) {
    TempDir dir;
    // Two images: 16 x 2 and 8 x 1, black pixels at the left edge.
    WriteText(dir.File("two.pbm"),
              std::string("P4 16 2\n") + std::string("\x80\x00\x80\x01", 4) + "P1 8 1 1 0 0 0 0 0 0 1\n");
    const auto r = Convert("--fine --margin 8 --station 'Tolvane test' " + ShellQuote(dir.File("two.pbm")) +
                           " -o " + ShellQuote(dir.File("out.apf")));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.File("out.apf") + ": 2 pages\n");
    ApfReader reader;
    ASSERT_EQ(reader.Open(dir.File("out.apf")), 0);
    EXPECT_EQ(reader.Header().StationTrimmed(), "Tolvane test");
    ApfPageHeader page;
    ASSERT_EQ(reader.NextPage(page), 0);
    EXPECT_EQ(page.PageFlags, apfLengthWords | apfFineResolution);

    const auto first = test::DecodeApfPage(dir.File("out.apf"), 1);
    EXPECT_EQ(first.problems, "");
    ASSERT_GE(first.raster.Height(), 2);
    EXPECT_TRUE(first.raster.Black(8, 0) && !first.raster.Black(7, 0) && !first.raster.Black(9, 0));
    EXPECT_TRUE(first.raster.Black(8, 1) && first.raster.Black(8 + 15, 1));
    const auto second = test::DecodeApfPage(dir.File("out.apf"), 2);
    ASSERT_GE(second.raster.Height(), 1);
    EXPECT_TRUE(second.raster.Black(8, 0) && second.raster.Black(15, 0) && !second.raster.Black(9, 0));
}

TEST(FaxtoolConvert, TypeOptionAndDefaultOutputName) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 7; ++i) {
        text += "line\n";
    }
    WriteText(dir.File("notes.dat"), text);
    const auto r = Convert("--type text --lines-per-page 3 --wide " + ShellQuote(dir.File("notes.dat")));
    ASSERT_EQ(r.status, 0) << r.err;
    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(dir.File("notes.APF"), header), 0);
    EXPECT_EQ(header.PageCount, 3);
    ApfPageHeader page;
    EXPECT_EQ(test::PageRecords(dir.File("notes.APF"), 3, &page).size(), 16u);
    EXPECT_EQ(page.PageFlags, apfLengthWords | apfWideWidth);
}

TEST(FaxtoolConvert, FailuresPrintTheMessageWithTheFileAndLeaveNoOutput) {
    TempDir dir;
    WriteText(dir.File("bad.pcx"), std::string(200, 'x'));
    WriteText(dir.File("photo.jpg"), "jpeg");
    const std::string out = " -o " + ShellQuote(dir.File("out.apf"));
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {ShellQuote(dir.File("bad.pcx")), dir.File("bad.pcx") + ": Unsupported graphics file format"},
        {ShellQuote(dir.File("gone.tif")), dir.File("gone.tif") + ": File not found"},
        {"--type pcx " + ShellQuote(dir.File("photo.jpg")),
         dir.File("photo.jpg") + ": Unsupported graphics file format"},
        {ShellQuote(dir.File("photo.jpg")), "unknown input type"},
        {"--type gif " + ShellQuote(dir.File("bad.pcx")), "unknown type gif"},
        {"--margin wide " + ShellQuote(dir.File("bad.pcx")), "--margin needs a number"},
        {"--bogus " + ShellQuote(dir.File("bad.pcx")), "unknown option --bogus"},
    };
    for (const auto& c : cases) {
        const auto r = Convert(c.args + out);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(r.err.rfind("faxtool: ", 0), 0u) << r.err;
    }
    const auto missingOutputFolder =
        Convert(ShellQuote(dir.File("bad.pcx")) + " -o " + ShellQuote(dir.File("no/x.apf")));
    EXPECT_EQ(missingOutputFolder.status, 1);
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"bad.pcx", "photo.jpg"}));
}

} // namespace
} // namespace tolvane
