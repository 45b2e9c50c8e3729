#include "imaging/unpack/LibtiffPeer.h"
#include "imaging/unpack/UnpackTestSupport.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tolvane {
namespace {

using test::Raster;
using test::RunCommand;
using test::ShellQuote;

const std::string kFaxtool = std::string(TOLVANE_BINARY_DIR) + "/tools/faxtool";

struct Pbm {
    int width = 0;
    int height = 0;
    std::vector<std::vector<uint8_t>> rows;
};

Pbm ReadPbm(const std::string& name) {
    const auto bytes = test::ReadAll(name);
    std::string text(bytes.begin(), bytes.end());
    std::istringstream in(text);
    std::string magic;
    Pbm p;
    in >> magic >> p.width >> p.height;
    EXPECT_EQ(magic, "P4");
    auto at = static_cast<size_t>(in.tellg()) + 1;
    const auto rowBytes = static_cast<size_t>((p.width + 7) / 8);
    EXPECT_EQ(bytes.size(), at + rowBytes * static_cast<size_t>(p.height)) << name;
    for (int y = 0; y < p.height && at + rowBytes <= bytes.size(); ++y, at += rowBytes) {
        p.rows.emplace_back(bytes.begin() + static_cast<long>(at),
                            bytes.begin() + static_cast<long>(at + rowBytes));
    }
    return p;
}

class FaxtoolExport : public ::testing::Test {
protected:
    FaxtoolExport() {
        Raster::Set(normal.rows[7], 1726); // a full pair: at half width with 1 = white, white wins
        Raster::Set(normal.rows[7], 1727);
        test::WriteApf(file, {{apfLengthWords, test::EncodeRecords(normal)},
                              {apfFineResolution | apfWideWidth, test::EncodeStream(wide)}});
    }
    test::ProcessResult Export(const std::string& args) {
        return RunCommand(kFaxtool + " export " + ShellQuote(file) + " " + args);
    }

    test::TempDir dir;
    const std::string file = dir.File("fax.apf");
    Raster normal = test::TextRaster(1728, 200, 41);
    Raster wide = test::RunsRaster(2048, 120, 42);
};

TEST_F(FaxtoolExport, WritesEveryPageAsItsFullRaster) {
    const auto r = Export("-o " + ShellQuote(dir.File("page%03d.pbm")));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("page001.pbm: page 1, 1728 x 200\n"), std::string::npos) << r.out;
    const auto one = ReadPbm(dir.File("page001.pbm"));
    EXPECT_EQ(one.width, 1728);
    EXPECT_EQ(test::RowDifference(one.rows, normal.rows), "");
    const auto two = ReadPbm(dir.File("page002.pbm"));
    EXPECT_EQ(two.width, 2048);
    EXPECT_EQ(test::RowDifference(two.rows, wide.rows), "");
    // netpbm reads it too.
    const auto info = RunCommand("pnmfile " + ShellQuote(dir.File("page002.pbm")));
    EXPECT_NE(info.out.find("2048 by 120"), std::string::npos) << info.out << info.err;
}

TEST_F(FaxtoolExport, TiffIsReadByLibtiff) {
    const auto r = Export("--page 2 -o " + ShellQuote(dir.File("p%d.tif")));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.tif")));
    const auto pages = test::ReadTiff(dir.File("p2.tif"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].width, 2048);
    EXPECT_EQ(pages[0].compression, COMPRESSION_NONE);
    EXPECT_EQ(pages[0].photometric, PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(test::RowDifference(pages[0].rows, wide.rows), "");
    const auto info = RunCommand("tiffinfo " + ShellQuote(dir.File("p2.tif")));
    EXPECT_NE(info.out.find("Resolution: 204, 196 pixels/inch"), std::string::npos) << info.out;
}

TEST_F(FaxtoolExport, G3TiffDecodesInLibtiffToTheRaster) {
    const auto r = Export("--g3 -o " + ShellQuote(dir.File("g%d.tif")));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& [name, raster] :
         {std::pair{dir.File("g1.tif"), &normal}, std::pair{dir.File("g2.tif"), &wide}}) {
        const auto pages = test::ReadTiff(name);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].compression, COMPRESSION_CCITTFAX3);
        EXPECT_EQ(pages[0].width, raster->width);
        EXPECT_EQ(test::RowDifference(pages[0].rows, raster->rows), "") << name;
    }
    // The bitmap, 1728 wide and doubled in height, as G3 too.
    ASSERT_EQ(Export("--g3 --bitmap --page 1 -o " + ShellQuote(dir.File("b.tif"))).status, 0);
    const auto bitmap = test::ReadTiff(dir.File("b.tif"));
    ASSERT_EQ(bitmap.size(), 1u);
    ASSERT_EQ(bitmap[0].rows.size(), 400u);
    EXPECT_EQ(bitmap[0].rows[201], normal.rows[100]);
    const auto pbm = Export("--g3 -o " + ShellQuote(dir.File("g%d.pbm")) + " --format pbm");
    EXPECT_EQ(pbm.status, 1);
    EXPECT_NE(pbm.err.find("--g3 is for TIFF output"), std::string::npos) << pbm.err;
}

TEST_F(FaxtoolExport, BitmapIsWhatTheComponentMakes) {
    const struct {
        std::string options;
        std::string size; // of page 1: normal resolution, content up to x = 1727
    } cases[] = {
        {"", "1728 x 400"},
        {"--autoscale half-width", "864 x 200"},
        {"--autoscale none", "1728 x 200"},
        {"--autoscale none --scale 1/2,3/2", "864 x 300"},
    };
    for (const auto& c : cases) {
        const auto r =
            Export("--bitmap " + c.options + " --page 1 --format tiff -o " + ShellQuote(dir.File("b.img")));
        ASSERT_EQ(r.status, 0) << c.options << ": " << r.err;
        EXPECT_NE(r.out.find("page 1, " + c.size + "\n"), std::string::npos) << c.options << ": " << r.out;
    }
    // The doubled rows are the raster's rows twice.
    ASSERT_EQ(Export("--bitmap --page 1 -o " + ShellQuote(dir.File("d.pbm"))).status, 0);
    const auto doubled = ReadPbm(dir.File("d.pbm"));
    ASSERT_EQ(doubled.height, 400);
    for (int y = 0; y < 400; ++y) {
        ASSERT_EQ(doubled.rows[static_cast<size_t>(y)], normal.rows[static_cast<size_t>(y / 2)]) << y;
    }
    const auto info = RunCommand("tiffinfo " + ShellQuote(dir.File("b.img")));
    EXPECT_NE(info.out.find("Resolution: 102, 147 pixels/inch"), std::string::npos) << info.out;
}

TEST_F(FaxtoolExport, MistakesFailWithAMessageAndWriteNothing) {
    test::WriteAll(dir.File("letter.txt"), std::vector<uint8_t>(100, 'x'));
    const struct {
        std::string command;
        std::string message;
    } cases[] = {
        {" export " + ShellQuote(file) + " -o " + ShellQuote(dir.File("all.pbm")), "needs %d"},
        {" export " + ShellQuote(file) + " --page 3 -o " + ShellQuote(dir.File("x%d.pbm")),
         "there is no page 3"},
        {" export " + ShellQuote(dir.File("letter.txt")) + " -o " + ShellQuote(dir.File("x%d.pbm")),
         "File is not an APF file"},
        {" export " + ShellQuote(file) + " -o " + ShellQuote(dir.File("x%s.pbm")), "PATTERN"},
        {" export " + ShellQuote(file) + " --scale 1/0,1/1 --bitmap -o " + ShellQuote(dir.File("x%d.pbm")),
         "--scale"},
        {" export " + ShellQuote(file) + " --autoscale none -o " + ShellQuote(dir.File("x%d.pbm")),
         "need --bitmap"},
        {" export " + ShellQuote(file) + " -o " + ShellQuote(dir.File("no/such/dir/x%d.pbm")), "not found"},
    };
    for (const auto& c : cases) {
        const auto r = RunCommand(kFaxtool + c.command);
        EXPECT_EQ(r.status, 1) << c.command;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.command << ": " << r.err;
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 2u); // fax.apf and letter.txt
}

} // namespace
} // namespace tolvane
