#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/FaxUnpacker.h"
#include "imaging/unpack/UnpackTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::Raster;

class FaxUnpackerTest : public ::testing::Test {
protected:
    // Page 1: normal resolution, 1100 lines; page 2: fine and wide, 40 lines.
    FaxUnpackerTest() {
        Raster normal = test::TextRaster(1728, 1100, 31);
        // A full pixel pair at the right edge: at half width with 1 = white, white pixels win.
        Raster::Set(normal.rows[3], 1726);
        Raster::Set(normal.rows[3], 1727);
        test::WriteApf(
            file, {{apfLengthWords, test::EncodeRecords(normal)},
                   {apfFineResolution | apfWideWidth, test::EncodeStream(test::TextRaster(2048, 40, 32))}});
        unpacker.SetInFileName(file);
    }

    test::TempDir dir;
    const std::string file = dir.File("fax0001.apf");
    TFaxUnpacker unpacker;
};

TEST_F(FaxUnpackerTest, Defaults) {
    TFaxUnpacker u;
    EXPECT_EQ(u.Options(), TUnpackerOptions{TUnpackerOption::uoYield});
    EXPECT_EQ(u.AutoScaleMode(), TAutoScaleMode::asDoubleHeight);
    EXPECT_FALSE(u.WhitespaceCompression());
    EXPECT_FALSE(u.Scaling());
    EXPECT_EQ(u.HorizMult() * u.HorizDiv() * u.VertMult() * u.VertDiv(), 1u);
    EXPECT_EQ(u.InFileName(), "");
}

TEST_F(FaxUnpackerTest, ZeroFactorsAreIgnored) {
    unpacker.SetHorizDiv(3);
    unpacker.SetHorizDiv(0);
    unpacker.SetVertMult(0);
    EXPECT_EQ(unpacker.HorizDiv(), 3u);
    EXPECT_EQ(unpacker.VertMult(), 1u);
}

TEST_F(FaxUnpackerTest, InFileNameSetsOutFileName) {
    EXPECT_EQ(unpacker.OutFileName(), dir.File("fax0001"));
    unpacker.SetOutFileName("other");
    unpacker.SetInFileName(file); // the same name: nothing changes
    EXPECT_EQ(unpacker.OutFileName(), "other");
    // Letter case tells files apart here, so a name differing only in case is a new file.
    unpacker.SetInFileName(dir.File("FAX0001.APF"));
    EXPECT_EQ(unpacker.InFileName(), dir.File("FAX0001.APF"));
    EXPECT_EQ(unpacker.OutFileName(), dir.File("FAX0001"));
    EXPECT_EQ(unpacker.CountPages(), 0);
}

TEST_F(FaxUnpackerTest, CountPagesIsZeroForWhatIsNoFaxFile) {
    EXPECT_EQ(unpacker.CountPages(), 2);
    test::WriteAll(dir.File("letter.txt"), std::vector<uint8_t>(100, 'x'));
    for (const auto& name : {std::string(), dir.File("missing.apf"), dir.File("letter.txt")}) {
        unpacker.SetInFileName(name);
        EXPECT_EQ(unpacker.CountPages(), 0) << name;
    }
}

TEST_F(FaxUnpackerTest, FirstPageFlags) {
    EXPECT_FALSE(unpacker.FirstPageFine());
    EXPECT_FALSE(unpacker.FirstPageWide());
    test::WriteApf(dir.File("fine.apf"), {{apfFineResolution | apfWideWidth, {}}});
    unpacker.SetInFileName(dir.File("fine.apf"));
    EXPECT_TRUE(unpacker.FirstPageFine());
    EXPECT_TRUE(unpacker.FirstPageWide());
    test::WriteApf(dir.File("empty.apf"), {});
    unpacker.SetInFileName(dir.File("empty.apf"));
    EXPECT_THROW(unpacker.FirstPageFine(), EFaxBadFormat);
    unpacker.SetInFileName(dir.File("missing.apf"));
    try {
        unpacker.FirstPageWide();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 2);
        EXPECT_EQ(e.Message(), "File not found");
    }
}

TEST_F(FaxUnpackerTest, PageToBitmapFollowsTheAspectAndScaleProperties) {
    const struct {
        TAutoScaleMode mode;
        bool scaling;
        int page;
        int width, height;
    } cases[] = {
        {TAutoScaleMode::asDoubleHeight, false, 1, 1728, 2200},
        {TAutoScaleMode::asHalfWidth, false, 1, 864, 1100},
        {TAutoScaleMode::asNone, false, 1, 1728, 1100},
        {TAutoScaleMode::asDoubleHeight, true, 1, 864, 1100}, // factors 1/2 both ways
        {TAutoScaleMode::asHalfWidth, false, 2, 2048 - 48, 40},
    };
    unpacker.SetHorizDiv(2);
    unpacker.SetVertDiv(2);
    for (const auto& c : cases) {
        unpacker.SetAutoScaleMode(c.mode);
        unpacker.SetScaling(c.scaling);
        const MonoBitmap b = unpacker.PageToBitmap(c.page);
        EXPECT_EQ(b.Height(), c.height) << static_cast<int>(c.mode) << " page " << c.page;
        if (c.page == 1) {
            EXPECT_EQ(b.Width(), c.width) << static_cast<int>(c.mode);
        } else {
            EXPECT_LE(b.Width(), 2048);
        }
    }
}

TEST_F(FaxUnpackerTest, ErrorsAreRaisedUnlessLoading) {
    EXPECT_THROW(unpacker.PageToBitmap(3), EFaxBadFormat);
    unpacker.SetWhitespaceCompression(true);
    unpacker.SetWhitespaceFrom(1);
    unpacker.SetWhitespaceTo(4);
    EXPECT_THROW(unpacker.PageToBitmap(1), EBadArgument);
    EXPECT_THROW(unpacker.CountPages(), EBadArgument);
    unpacker.SetLoading(true);
    EXPECT_TRUE(unpacker.PageToBitmap(1).Empty());
    unpacker.SetWhitespaceCompression(false);
    EXPECT_TRUE(unpacker.PageToBitmap(3).Empty());
}

TEST_F(FaxUnpackerTest, AbortFromAnEventHandlerStopsOnlyThePageBeingDecoded) {
    unpacker.SetAutoScaleMode(TAutoScaleMode::asNone);
    int yields = 0;
    unpacker.OnYield = [&](TCustomFaxUnpacker& u) {
        if (++yields == 3) {
            u.SetOptions(u.Options().With(TUnpackerOption::uoAbort));
        }
        return 0;
    };
    const MonoBitmap part = unpacker.PageToBitmap(1);
    EXPECT_GT(part.Height(), 0);
    EXPECT_LT(part.Height(), 1100);
    EXPECT_TRUE(unpacker.Options().Has(TUnpackerOption::uoAbort));
    // The next operation's record starts without the abort.
    unpacker.OnYield = nullptr;
    EXPECT_EQ(unpacker.PageToBitmap(1).Height(), 1100);
    // A quit request ends the page with an error.
    unpacker.OnYield = [](TCustomFaxUnpacker&) { return ecGotQuitMsg; };
    EXPECT_THROW(unpacker.PageToBitmap(1), EGotQuitMsg);
    unpacker.SetOptions({});
    EXPECT_EQ(unpacker.PageToBitmap(1).Height(), 1100); // without uoYield OnYield is not called
}

TEST_F(FaxUnpackerTest, StatusReportsProgress) {
    long last = -1;
    long total = 0;
    unpacker.OnStatus = [&](TCustomFaxUnpacker&, const std::string& name, int page, long done, long all) {
        EXPECT_EQ(name, file);
        EXPECT_EQ(page, 1);
        EXPECT_GE(done, last);
        last = done;
        total = all;
    };
    unpacker.PageToBitmap(1);
    EXPECT_GT(total, 0);
    EXPECT_EQ(last, total);
}

} // namespace
} // namespace tolvane
