// Every page the converter writes decodes back to the raster that went in.
#include "imaging/convert/FaxConverter.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/UnpackTestSupport.h"
#include "imaging/unpack/UnpackerRecord.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::Raster;

MonoBitmap ToBitmap(const Raster& r) {
    MonoBitmap b(r.width, static_cast<int>(r.rows.size()));
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < r.width; ++x) {
            b.SetBlack(x, y, Raster::Get(r.rows[static_cast<size_t>(y)], x));
        }
    }
    return b;
}

TEST(ConverterRoundTrip, ConvertedPagesDecodeToTheirRasters) {
    const struct {
        const char* what;
        Raster raster;
        TFaxWidth width;
    } cases[] = {
        {"text", test::TextRaster(1728, 400, 61), TFaxWidth::fwNormal},
        {"noise", test::NoiseRaster(1728, 60, 62), TFaxWidth::fwNormal},
        {"runs", test::RunsRaster(1728, 200, 63), TFaxWidth::fwNormal},
        {"wide runs", test::RunsRaster(2048, 200, 64), TFaxWidth::fwWide},
        {"white", test::WhiteRaster(1728, 30), TFaxWidth::fwNormal},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        TFaxConverter cvt;
        cvt.SetResolution(TFaxResolution::frHigh);
        cvt.SetWidth(c.width);
        cvt.SetOptions(0);
        cvt.SetLeftMargin(0);
        cvt.SetOutFileName(dir.File("page.apf"));
        ASSERT_EQ(cvt.BitmapToApf(ToBitmap(c.raster)), 1) << c.what;

        std::vector<std::vector<uint8_t>> lines;
        std::unique_ptr<UnpackerRecord> record;
        CreateUnpacker(
            [&](UnpackerRecord&, unsigned flags, const uint8_t* data, unsigned, int length) {
                if (flags == ulfLine) {
                    lines.emplace_back(data, data + length);
                }
                return ecOK;
            },
            nullptr, record);
        ASSERT_EQ(UnpackPage(*record, dir.File("page.apf"), 1), ecOK) << c.what;
        EXPECT_EQ(record->PageHeader().PageFlags & apfLengthWords, apfLengthWords);
        EXPECT_EQ(test::RowDifference(lines, c.raster.rows), "") << c.what;
    }
}

} // namespace
} // namespace tolvane
