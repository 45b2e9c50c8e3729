#include "imaging/errors/ResultCodes.h"
#include "imaging/export/PbmWriter.h"
#include "imaging/export/TiffWriter.h"
#include "imaging/unpack/LibtiffPeer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::Raster;

std::vector<uint8_t> Flat(const Raster& r) {
    std::vector<uint8_t> bits;
    for (const auto& row : r.rows) {
        bits.insert(bits.end(), row.begin(), row.end());
    }
    return bits;
}

// Rows coded one by one, each with its EOL, as T.4 pages in TIFF are.
std::vector<uint8_t> G3(const Raster& r) {
    test::BitWriter w;
    for (const auto& row : r.rows) {
        w.Put(kEol);
        test::EncodeRuns(w, row, r.width);
    }
    w.PadToByte();
    return w.Bytes();
}

TEST(TiffWriter, PagesOfEveryKindAreReadByLibtiff) {
    test::TempDir dir;
    const Raster text = test::TextRaster(1728, 90, 51);
    const Raster runs = test::RunsRaster(2048, 50, 52);
    const Raster odd = test::NoiseRaster(13, 7, 53);
    TiffWriter w;
    ASSERT_EQ(w.Create(dir.File("three.tif")), ecOK);
    TiffPageInfo plain;
    ASSERT_EQ(w.BeginPage(plain), ecOK);
    const auto bits = Flat(text);
    ASSERT_EQ(w.WriteData(bits.data(), bits.size()), ecOK);
    ASSERT_EQ(w.EndPage(90), ecOK);

    TiffPageInfo g3;
    g3.width = 2048;
    g3.compression = TiffCompression::CcittT4;
    g3.fillOrder = TiffFillOrder::LsbFirst;
    g3.yResolution = {98, 1};
    g3.extraTags.push_back({297, kTiffShort, {2, 3}, {}}); // PageNumber 2 of 3
    g3.extraTags.push_back({305, kTiffAscii, {}, "Tolvane"});
    ASSERT_EQ(w.BeginPage(g3), ecOK);
    const auto coded = G3(runs);
    ASSERT_EQ(w.WriteData(coded.data(), coded.size()), ecOK); // an odd length puts the IFD after a pad byte
    ASSERT_EQ(w.EndPage(50), ecOK);

    TiffPageInfo narrow;
    narrow.width = 13;
    ASSERT_EQ(w.BeginPage(narrow), ecOK);
    const auto small = Flat(odd);
    ASSERT_EQ(w.WriteData(small.data(), small.size()), ecOK);
    ASSERT_EQ(w.EndPage(7), ecOK);
    ASSERT_EQ(w.Close(), ecOK);
    EXPECT_EQ(w.PageCount(), 3u);

    const auto pages = test::ReadTiff(dir.File("three.tif"));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(test::RowDifference(pages[0].rows, text.rows), "");
    EXPECT_EQ(pages[1].compression, COMPRESSION_CCITTFAX3);
    EXPECT_EQ(test::RowDifference(pages[1].rows, runs.rows), "");
    EXPECT_EQ(test::RowDifference(pages[2].rows, odd.rows), "");
    const auto info = test::RunCommand("tiffinfo " + test::ShellQuote(dir.File("three.tif")));
    EXPECT_NE(info.out.find("Page Number: 2-3"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Software: Tolvane"), std::string::npos);
    EXPECT_NE(info.out.find("Resolution: 204, 98 pixels/inch"), std::string::npos);
    EXPECT_EQ(info.err.find("Warning"), std::string::npos) << info.err;
}

TEST(PbmWriter, RowsArePaddedToBytes) {
    test::TempDir dir;
    const Raster odd = test::NoiseRaster(13, 3, 54);
    std::vector<uint8_t> rows;
    for (const auto& row : odd.rows) {
        rows.insert(rows.end(), row.begin(), row.end());
        rows.push_back(0xAA); // not written: rows of the buffer are wider than the image's
    }
    ASSERT_EQ(WritePbmFile(dir.File("odd.pbm"), 13, 3, rows.data(), 3), ecOK);
    auto expected = std::vector<uint8_t>{'P', '4', '\n', '1', '3', ' ', '3', '\n'};
    for (const auto& row : odd.rows) {
        expected.insert(expected.end(), row.begin(), row.end());
    }
    EXPECT_EQ(test::ReadAll(dir.File("odd.pbm")), expected);
    EXPECT_EQ(WritePbmFile(dir.File("no/dir.pbm"), 13, 3, rows.data(), 3), ecPathNotFound);
}

} // namespace
} // namespace tolvane
