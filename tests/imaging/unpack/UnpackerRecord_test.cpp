#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/UnpackTestSupport.h"
#include "imaging/unpack/UnpackerRecord.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::Raster;
using test::TestPage;

struct Call {
    unsigned flags;
    unsigned page;
    std::vector<uint8_t> data;
};

class UnpackerRecordTest : public ::testing::Test {
protected:
    UnpackerRecordTest() {
        CreateUnpacker(
            [this](UnpackerRecord&, unsigned flags, const uint8_t* data, unsigned page, int length) {
                calls.push_back(
                    {flags, page, data ? std::vector<uint8_t>(data, data + length) : std::vector<uint8_t>{}});
                return ecOK;
            },
            nullptr, record);
    }

    std::string File(const std::vector<TestPage>& pages) {
        const std::string name = dir.File("page.apf");
        test::WriteApf(name, pages);
        return name;
    }
    // Lines handed on, without the start and end calls.
    std::vector<std::vector<uint8_t>> Lines() const {
        std::vector<std::vector<uint8_t>> lines;
        for (const auto& c : calls) {
            if (c.flags == ulfLine) {
                lines.push_back(c.data);
            }
        }
        return lines;
    }

    test::TempDir dir;
    std::unique_ptr<UnpackerRecord> record;
    std::vector<Call> calls;
};

// Rows with one black pixel at the given places, blank rows for -1.
Raster Marks(const std::vector<int>& xs, int width = 1728) {
    Raster r = test::WhiteRaster(width, 0);
    for (const int x : xs) {
        r.AddRow();
        if (x >= 0) {
            Raster::Set(r.rows.back(), x);
        }
    }
    return r;
}

TEST_F(UnpackerRecordTest, ANewRecordYieldsAndDoublesHeight) {
    EXPECT_EQ(record->Options(), ufYield | ufDoubleHeight);
}

TEST_F(UnpackerRecordTest, DoubleHeightAndHalfWidthExcludeEachOther) {
    SetUnpackOptions(*record, ufDoubleHeight | ufHalfWidth);
    EXPECT_EQ(record->Options(), ufYield | ufDoubleHeight);
    SetUnpackOptions(*record, ufHalfWidth);
    EXPECT_EQ(record->Options(), ufYield | ufHalfWidth);
    ClearUnpackOptions(*record, ufYield | ufHalfWidth);
    EXPECT_EQ(record->Options(), 0);
}

TEST_F(UnpackerRecordTest, WhitespaceArgumentsAreChecked) {
    EXPECT_EQ(SetWhitespace(*record, 1, 4), ecBadArgument);
    EXPECT_EQ(SetWhitespace(*record, 0, 1), ecBadArgument);
    EXPECT_EQ(SetWhitespace(*record, 4, 1), ecOK);
    EXPECT_EQ(SetWhitespace(*record, 0, 0), ecOK);
    EXPECT_EQ(record->WhitespaceFrom(), 0u);
}

TEST_F(UnpackerRecordTest, LinesComeBetweenStartAndEndCalls) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const Raster raster = test::TextRaster(1728, 30, 5);
    const auto name = File({{apfFineResolution | apfLengthWords, test::EncodeRecords(raster)},
                            {apfFineResolution, test::EncodeStream(raster)}});
    for (const unsigned page : {1u, 2u}) {
        calls.clear();
        ASSERT_EQ(UnpackPage(*record, name, page), ecOK);
        ASSERT_EQ(calls.size(), raster.rows.size() + 2);
        EXPECT_EQ(calls.front().flags, ulfStartOfPage);
        EXPECT_EQ(calls.back().flags, ulfEndOfPage);
        EXPECT_EQ(calls[1].page, page);
        EXPECT_EQ(test::RowDifference(Lines(), raster.rows), "");
        EXPECT_EQ(record->LinesProduced(), raster.rows.size());
    }
}

TEST_F(UnpackerRecordTest, BlankLineCompression) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const std::vector<int> tenBlank{5, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 6};
    const std::vector<int> threeBlank{5, -1, -1, -1, 6};
    const std::vector<int> trailing{5, -1, -1, -1, -1, -1, -1};
    const struct {
        unsigned from, to;
        std::vector<int> rows;
        std::vector<int> lengths; // of the lines handed on
    } cases[] = {
        {4, 1, tenBlank, {216, 0, 216}}, {4, 1, threeBlank, {216, 0, 0, 0, 216}},
        {5, 5, trailing, {216}}, // from = to: blank lines at the end are not emitted at all
        {4, 2, trailing, {216, 0, 0}},   {0, 0, threeBlank, {216, 216, 216, 216, 216}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(SetWhitespace(*record, c.from, c.to), ecOK);
        calls.clear();
        ASSERT_EQ(UnpackPage(*record, File({{apfFineResolution, test::EncodeStream(Marks(c.rows))}}), 1),
                  ecOK);
        std::vector<int> lengths;
        for (const auto& l : Lines()) {
            lengths.push_back(static_cast<int>(l.size()));
        }
        EXPECT_EQ(lengths, c.lengths) << c.from << "/" << c.to;
    }
}

TEST_F(UnpackerRecordTest, AspectCorrectionOfNormalPages) {
    const Raster normal = test::TextRaster(1728, 1100, 8);
    const Raster fine = test::TextRaster(1728, 2200, 9);
    const auto name = File({{0, test::EncodeStream(normal)}, {apfFineResolution, test::EncodeStream(fine)}});
    const struct {
        uint16_t option;
        unsigned page;
        int rows;
        int lineBytes;
    } cases[] = {
        {ufDoubleHeight, 1, 2200, 216}, {ufHalfWidth, 1, 1100, 108}, {0, 1, 1100, 216},
        {ufDoubleHeight, 2, 2200, 216}, {ufHalfWidth, 2, 2200, 216},
    };
    for (const auto& c : cases) {
        ClearUnpackOptions(*record, ufDoubleHeight | ufHalfWidth);
        SetUnpackOptions(*record, c.option);
        calls.clear();
        ASSERT_EQ(UnpackPage(*record, name, c.page), ecOK);
        const auto lines = Lines();
        ASSERT_EQ(static_cast<int>(lines.size()), c.rows) << c.option << " page " << c.page;
        EXPECT_EQ(static_cast<int>(lines[0].size()), c.lineBytes);
    }
}

TEST_F(UnpackerRecordTest, HalfWidthLetsBlackWinWithoutInvertAndWhiteWithIt) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    SetUnpackOptions(*record, ufHalfWidth);
    // Pixels 0 and 1 black (pair 0 all black), pixel 3 black (pair 1 mixed), pixel 6 black.
    Raster r = Marks({0});
    Raster::Set(r.rows[0], 1);
    Raster::Set(r.rows[0], 3);
    Raster::Set(r.rows[0], 6);
    const auto name = File({{0, test::EncodeStream(r)}});
    ASSERT_EQ(UnpackPage(*record, name, 1), ecOK);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0][0], 0b11010000); // pairs 0, 1 and 3 hold black
    UnpackedBitmap bitmap;
    ASSERT_EQ(PageToBitmapHandle(*record, name, 1, true, bitmap), ecOK);
    EXPECT_EQ(bitmap.bitmap.Row(0)[0], 0b01111111); // with 1 = white only the all-black pair stays
}

TEST_F(UnpackerRecordTest, BitmapsAreTrimmedToTheContent) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const struct {
        std::vector<int> marks;
        uint16_t flags;
        int width;
    } cases[] = {
        {{-1, -1, -1}, apfFineResolution, 16},    // used width 1 byte, rounded to 2
        {{3, 1713, -1}, apfFineResolution, 1728}, // 215 bytes, rounded to 216
        {{30, 200, 17}, apfFineResolution, 208},  // byte 25 is the last non-white one
        {{2047}, apfFineResolution | apfWideWidth, 2048},
    };
    for (const auto& c : cases) {
        Raster raster = Marks(c.marks, c.flags & apfWideWidth ? 2048 : 1728);
        UnpackedBitmap bitmap;
        ASSERT_EQ(PageToBitmapHandle(*record, File({{c.flags, test::EncodeStream(raster)}}), 1, true, bitmap),
                  ecOK);
        EXPECT_EQ(bitmap.width, c.width);
        ASSERT_EQ(bitmap.height, static_cast<int>(c.marks.size()));
        for (int y = 0; y < bitmap.height; ++y) {
            for (int x = 0; x < bitmap.width; ++x) {
                ASSERT_EQ(bitmap.bitmap.IsBlack(x, y), Raster::Get(raster.rows[static_cast<size_t>(y)], x))
                    << x << "," << y;
            }
        }
    }
}

TEST_F(UnpackerRecordTest, BitmapRowsGrowPastTheFirstThousand) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const Raster raster = test::TextRaster(1728, 2500, 12);
    UnpackedBitmap bitmap;
    ASSERT_EQ(PageToBitmapHandle(*record, File({{apfFineResolution, test::EncodeStream(raster)}}), 1, false,
                                 bitmap),
              ecOK);
    ASSERT_EQ(bitmap.height, 2500);
    const int bytes = bitmap.bitmap.RowBytes();
    for (const int y : {0, 1023, 1024, 2047, 2048, 2499}) {
        // Without invert the bits are the raster's (1 = black).
        EXPECT_TRUE(std::equal(bitmap.bitmap.Row(y), bitmap.bitmap.Row(y) + bytes,
                               raster.rows[static_cast<size_t>(y)].begin()))
            << y;
    }
}

TEST_F(UnpackerRecordTest, ScalingByHalfBothWays) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    Raster raster = test::TextRaster(1728, 2200, 13);
    Raster::Set(raster.rows[0], 1727);
    SetScaling(*record, 1, 2, 1, 2);
    UnpackedBitmap bitmap;
    ASSERT_EQ(
        PageToBitmapHandle(*record, File({{apfFineResolution, test::EncodeStream(raster)}}), 1, true, bitmap),
        ecOK);
    EXPECT_EQ(bitmap.width, 864);
    EXPECT_EQ(bitmap.height, 1100);
    EXPECT_TRUE(bitmap.bitmap.IsBlack(863, 0));
}

TEST_F(UnpackerRecordTest, AWideLineOnANarrowPageIsCutToTheRow) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    Raster wide = Marks({2040, 100}, 2048);
    UnpackedBitmap bitmap;
    ASSERT_EQ(
        PageToBitmapHandle(*record, File({{apfFineResolution, test::EncodeStream(wide)}}), 1, true, bitmap),
        ecOK);
    EXPECT_EQ(bitmap.width, 112);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_TRUE(bitmap.bitmap.IsBlack(100, 1));
}

TEST_F(UnpackerRecordTest, AnEmptyPageGivesNoBitmap) {
    UnpackedBitmap bitmap;
    ASSERT_EQ(
        PageToBitmapHandle(*record, File({{0, {0x00, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08}}}), 1, true, bitmap),
        ecOK);
    EXPECT_EQ(bitmap.width, 0);
    EXPECT_EQ(bitmap.height, 0);
    EXPECT_TRUE(bitmap.bitmap.Empty());
}

TEST_F(UnpackerRecordTest, Errors) {
    const Raster raster = Marks({5});
    const auto twoPages = File({{0, test::EncodeStream(raster)}, {0, test::EncodeStream(raster)}});
    UnpackedBitmap bitmap;
    EXPECT_EQ(PageToBitmapHandle(*record, twoPages, 3, true, bitmap), ecFaxBadFormat);
    EXPECT_EQ(PageToBitmapHandle(*record, "", 1, true, bitmap), ecFileNotFound);
    EXPECT_EQ(PageToBitmapHandle(*record, dir.File("missing.apf"), 1, true, bitmap), ecFileNotFound);
    auto bytes = test::ReadAll(twoPages);
    bytes[0] = 'X';
    test::WriteAll(dir.File("bad.apf"), bytes);
    EXPECT_EQ(PageToBitmapHandle(*record, dir.File("bad.apf"), 1, true, bitmap), ecFaxBadFormat);
    ApfPageHeader page;
    EXPECT_EQ(ReadPageHeader(*record, twoPages, 3, page), ecFaxBadFormat);
    ApfFileHeader header;
    EXPECT_EQ(ReadApfHeader(*record, "", header), ecFileNotFound);
    EXPECT_TRUE(bitmap.bitmap.Empty());
}

TEST_F(UnpackerRecordTest, DataEndingBeforeThePageIsAnError) {
    // Without the end-of-page mark and with ImageLength larger than what the file holds.
    const Raster raster = Marks({5, 6});
    auto stream = test::EncodeStream(raster);
    stream.resize(stream.size() - 9);
    auto records = test::EncodeRecords(raster, false);
    for (const auto& [flags, data, code] : {std::tuple{uint16_t{0}, stream, ecFaxBadFormat},
                                            std::tuple{uint16_t{apfLengthWords}, records, ecDiskRead}}) {
        const auto name = File({{flags, data}});
        auto bytes = test::ReadAll(name);
        bytes[64] = static_cast<uint8_t>(bytes[64] + 50); // ImageLength
        test::WriteAll(name, bytes);
        calls.clear();
        EXPECT_EQ(UnpackPage(*record, name, 1), code) << flags;
        EXPECT_TRUE(calls.empty() || calls.back().flags != ulfEndOfPage);
    }
}

TEST_F(UnpackerRecordTest, APageWithoutEndOfPageEndsWithItsData) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const Raster first = Marks({5, 6, 7});
    const Raster second = Marks({100});
    auto stream = test::EncodeStream(first);
    stream.resize(stream.size() - 9); // the six EOLs cut off (the last line's EOL is gone too)
    // Plain stream: the lines whose EOL arrived; the next page's header and data are not read.
    calls.clear();
    ASSERT_EQ(UnpackPage(*record,
                         File({{apfFineResolution, stream}, {apfFineResolution, test::EncodeStream(second)}}),
                         1),
              ecOK);
    EXPECT_EQ(Lines(), std::vector<std::vector<uint8_t>>(first.rows.begin(), first.rows.begin() + 2));
    // Line records: every record is a whole line followed by the next one's EOL only.
    calls.clear();
    ASSERT_EQ(UnpackPage(*record,
                         File({{apfFineResolution | apfLengthWords, test::EncodeRecords(first, false)},
                               {apfFineResolution | apfLengthWords, test::EncodeRecords(second)}}),
                         1),
              ecOK);
    EXPECT_EQ(Lines(), std::vector<std::vector<uint8_t>>(first.rows.begin(), first.rows.begin() + 2));
}

TEST_F(UnpackerRecordTest, ThreeEolsEndThePageWhateverFollows) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    auto data = test::EncodeStream(Marks({5, 6}));
    const auto more = test::EncodeStream(Marks({7, 8, 9}));
    data.insert(data.end(), more.begin(), more.end());
    ASSERT_EQ(UnpackPage(*record, File({{apfFineResolution, data}}), 1), ecOK);
    EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(UnpackerRecordTest, AbortEndsThePageWithTheLinesSoFar) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const Raster raster = test::TextRaster(1728, 300, 14);
    const auto name = File({{apfFineResolution, test::EncodeStream(raster)}});
    // From the line sink, as the printer's Abort button does through a handler.
    record->SetLineSink([&](UnpackerRecord& r, unsigned flags, const uint8_t* data, unsigned, int length) {
        calls.push_back(
            {flags, 0, data ? std::vector<uint8_t>(data, data + length) : std::vector<uint8_t>{}});
        if (Lines().size() == 5) {
            SetUnpackOptions(r, ufAbort);
        }
        return ecOK;
    });
    ASSERT_EQ(UnpackPage(*record, name, 1), ecOK);
    EXPECT_EQ(Lines().size(), 5u);
    EXPECT_EQ(calls.back().flags, ulfEndOfPage);

    // From the abort hook: the bitmap holds the lines so far.
    ClearUnpackOptions(*record, ufAbort);
    record->SetAbortHook([](UnpackerRecord& r) { return r.LinesProduced() >= 32; });
    UnpackedBitmap bitmap;
    ASSERT_EQ(PageToBitmapHandle(*record, name, 1, true, bitmap), ecOK);
    EXPECT_EQ(bitmap.height, 32);
}

TEST_F(UnpackerRecordTest, YieldHookRunsEvery16LinesAndCanQuit) {
    ClearUnpackOptions(*record, ufDoubleHeight);
    const Raster raster = test::TextRaster(1728, 100, 15);
    const auto name = File({{apfFineResolution, test::EncodeStream(raster)}});
    std::vector<unsigned> at;
    record->SetYieldHook([&](UnpackerRecord& r) {
        at.push_back(r.LinesProduced());
        return ecOK;
    });
    ASSERT_EQ(UnpackPage(*record, name, 1), ecOK);
    // Every new multiple of 16, and the first byte of every 4096-byte block.
    std::vector<unsigned> multiples;
    std::copy_if(at.begin(), at.end(), std::back_inserter(multiples), [](unsigned n) { return n % 16 == 0; });
    EXPECT_EQ(multiples, (std::vector<unsigned>{0, 16, 32, 48, 64, 80, 96}));
    EXPECT_LE(at.size(), multiples.size() + 1 + test::EncodeStream(raster).size() / 4096);

    ClearUnpackOptions(*record, ufYield);
    at.clear();
    ASSERT_EQ(UnpackPage(*record, name, 1), ecOK);
    EXPECT_TRUE(at.empty());

    SetUnpackOptions(*record, ufYield);
    record->SetYieldHook([](UnpackerRecord& r) { return r.LinesProduced() >= 48 ? ecGotQuitMsg : ecOK; });
    UnpackedBitmap bitmap;
    EXPECT_EQ(PageToBitmapHandle(*record, name, 1, true, bitmap), ecGotQuitMsg);
    EXPECT_TRUE(bitmap.bitmap.Empty());
}

TEST_F(UnpackerRecordTest, StatusReportsBytesOfThePage) {
    const Raster raster = test::TextRaster(1728, 400, 16);
    const auto records = test::EncodeRecords(raster);
    const auto name = File({{apfLengthWords, records}});
    std::vector<std::pair<uint32_t, uint32_t>> seen;
    record->SetStatusSink(
        [&](UnpackerRecord&, const std::string& file, unsigned page, uint32_t done, uint32_t total) {
            EXPECT_EQ(file, name);
            EXPECT_EQ(page, 1u);
            seen.emplace_back(done, total);
        });
    ASSERT_EQ(UnpackPage(*record, name, 1), ecOK);
    ASSERT_GT(seen.size(), 100u); // one per record at least
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].first, seen[i - 1].first);
        EXPECT_EQ(seen[i].second, records.size());
    }
    EXPECT_EQ(seen.back().first, records.size());
}

} // namespace
} // namespace tolvane
