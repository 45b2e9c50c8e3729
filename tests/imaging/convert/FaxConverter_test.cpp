#include "FaxPeer.h"
#include "imaging/convert/ConvertToApf.h"
#include "imaging/convert/FaxConverter.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/raster/MonoBitmap.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

using test::PageRecords;
using test::TempDir;

const std::vector<uint8_t> kWhite1728{0x00, 0x80, 0xB2, 0x59, 0x01, 0x00};

bool Exists(const std::string& name) {
    return std::filesystem::exists(name);
}

// Only the file the test expects is in the folder (no temporary left behind).
std::vector<std::string> FilesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FaxConverter, AllWhiteApplicationPageIsByteExact) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetResolution(TFaxResolution::frHigh);
    cvt.SetOptions(0);
    cvt.SetOutFileName(dir.File("page.apf"));
    MonoBitmap page(1664, 2156);
    EXPECT_EQ(cvt.BitmapToApf(page), 1);

    ApfPageHeader h;
    const auto records = PageRecords(dir.File("page.apf"), 1, &h);
    EXPECT_EQ(h.ImageLength, 2156u * 8 + 14);
    EXPECT_EQ(h.PageFlags, 5);
    ASSERT_EQ(records.size(), 2156u);
    for (const auto& r : records) {
        ASSERT_EQ(r, kWhite1728);
    }
    const auto bytes = test::ReadAll(dir.File("page.apf"));
    const std::vector<uint8_t> tail(bytes.end() - 14, bytes.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x0C, 0x00, 0x00, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00,
                                          0x08, 0x80, 0x00}));
    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(dir.File("page.apf"), header), 0);
    EXPECT_EQ(header.PageCount, 1);
    EXPECT_NE(header.FaxDateTime, 0u);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"page.apf"});
}

TEST(FaxConverter, CornerPixelPageDecodesBackThroughLibtiff) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetResolution(TFaxResolution::frHigh);
    cvt.SetOptions(coYield);
    cvt.SetStationID("+49 30 1234567 Tolvane office");
    cvt.SetOutFileName(dir.File("corner"));
    MonoBitmap page(1664, 2156);
    page.SetBlack(1663, 2155);
    for (int x = 0; x < 1664; x += 3) {
        page.SetBlack(x, 10); // a dotted line
    }
    cvt.BitmapToApf(page);
    ASSERT_TRUE(Exists(dir.File("corner.APF")));

    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(dir.File("corner.APF"), header), 0);
    EXPECT_EQ(header.StationText(), "+49 30 1234567 Tolva");

    const auto peer = test::DecodeApfPage(dir.File("corner.APF"), 1);
    EXPECT_EQ(peer.problems, "");
    ASSERT_GE(peer.raster.Height(), 2156);
    test::Raster expected(1728, 2156);
    for (int y = 0; y < 2156; ++y) {
        for (int x = 0; x < 1664 && x + 50 < 1728; ++x) {
            expected.Set(x + 50, y, page.IsBlack(x, y));
        }
    }
    auto got = peer.raster;
    got.rows.resize(2156);
    EXPECT_EQ(got.rows, expected.rows);
}

// Runs of the coded line after the fill-and-EOL bytes, decoded by the peer.
test::Raster Peer(const std::string& file) {
    auto peer = test::DecodeApfPage(file, 1);
    EXPECT_EQ(peer.problems, "");
    return peer.raster;
}

TEST(FaxConverter, DoubleWidthOnlyWhenTheDoubledImageFits) {
    TempDir dir;
    for (const int width : {800, 900}) {
        TFaxConverter cvt;
        cvt.SetOptions(coDoubleWidth);
        cvt.SetOutFileName(dir.File("d.apf"));
        MonoBitmap page(width, 2);
        page.SetBlack(0, 0);
        page.SetBlack(width - 1, 1);
        cvt.BitmapToApf(page);
        const auto got = Peer(dir.File("d.apf"));
        ASSERT_GE(got.Height(), 2);
        if (width == 800) {
            EXPECT_TRUE(got.Black(50, 0) && got.Black(51, 0) && !got.Black(52, 0));
            EXPECT_TRUE(got.Black(50 + 1598, 1) && got.Black(50 + 1599, 1) && !got.Black(50 + 1597, 1));
        } else {
            EXPECT_TRUE(got.Black(50, 0) && !got.Black(51, 0));
            EXPECT_TRUE(got.Black(50 + 899, 1) && !got.Black(50 + 900, 1));
        }
    }
}

TEST(FaxConverter, CentringShiftsByWholeBytesOnlyWhenThereIsRoom) {
    TempDir dir;
    for (const auto& [width, shift] : {std::pair{1713, 0}, std::pair{1712, 8}, std::pair{1000, 360}}) {
        TFaxConverter cvt;
        cvt.SetOptions(coCenterImage);
        cvt.SetLeftMargin(0);
        cvt.SetOutFileName(dir.File("c.apf"));
        MonoBitmap page(width, 1);
        page.SetBlack(0, 0);
        cvt.BitmapToApf(page);
        const auto got = Peer(dir.File("c.apf"));
        ASSERT_GE(got.Height(), 1);
        EXPECT_TRUE(got.Black(shift, 0)) << width;
        if (shift > 0) {
            EXPECT_FALSE(got.Black(shift - 1, 0)) << width;
        }
    }
}

TEST(FaxConverter, HalfHeightCodesOnlyOddLines) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetOptions(coHalfHeight);
    cvt.SetOutFileName(dir.File("h.apf"));
    MonoBitmap page(1000, 6);
    for (int y = 0; y < 6; y += 2) {
        page.SetBlack(y, y); // rows 0, 2, 4 are lines 1, 3, 5
    }
    cvt.BitmapToApf(page);
    const auto records = PageRecords(dir.File("h.apf"), 1);
    ASSERT_EQ(records.size(), 3u);
    const auto got = Peer(dir.File("h.apf"));
    EXPECT_TRUE(got.Black(50 + 0, 0) && got.Black(50 + 2, 1) && got.Black(50 + 4, 2));

    // Fine resolution never halves.
    cvt.SetResolution(TFaxResolution::frHigh);
    cvt.BitmapToApf(page);
    EXPECT_EQ(PageRecords(dir.File("h.apf"), 1).size(), 6u);
}

TEST(FaxConverter, TopMarginAndWidePages) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetTopMargin(3);
    cvt.SetWidth(TFaxWidth::fwWide);
    cvt.SetOutFileName(dir.File("w.apf"));
    MonoBitmap page(2048, 2);
    page.SetBlack(2047, 1);
    cvt.BitmapToApf(page);
    ApfPageHeader h;
    const auto records = PageRecords(dir.File("w.apf"), 1, &h);
    EXPECT_EQ(h.PageFlags, apfLengthWords | apfWideWidth);
    ASSERT_EQ(records.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(records[static_cast<size_t>(i)],
                  (std::vector<uint8_t>{0x00, 0x80, 0x80, 0xCC, 0x0A, 0x00}));
    }
}

TEST(FaxConverter, OptionsAndFileNameProperties) {
    TFaxConverter cvt;
    EXPECT_EQ(cvt.Options(), 13);
    cvt.SetOptions(coYieldOften);
    EXPECT_EQ(cvt.Options(), coYield | coYieldOften);
    cvt.SetOptions(0xFFFF);
    EXPECT_EQ(cvt.Options(), 0x1F);

    cvt.SetDocumentFile("/home/ann/LETTER.TXT");
    EXPECT_EQ(cvt.OutFileName(), "/home/ann/LETTER.APF");
    cvt.SetOutFileName("other.apf");
    cvt.SetDocumentFile("/home/ann/LETTER.TXT"); // the same name changes nothing
    EXPECT_EQ(cvt.OutFileName(), "other.apf");
    cvt.SetLoading(true);
    cvt.SetDocumentFile("/home/ann/memo.txt");
    EXPECT_EQ(cvt.OutFileName(), "other.apf");

    EXPECT_EQ(ApfOutputName("FAX", "x.bmp"), "FAX.APF");
    EXPECT_EQ(ApfOutputName("FAX.OUT", "x.bmp"), "FAX.OUT");
    EXPECT_EQ(ApfOutputName("dir.d/FAX", "x.bmp"), "dir.d/FAX.APF");
    EXPECT_EQ(ApfOutputName("", "in/scan.pcx"), "in/scan.APF");
}

TEST(FaxConverter, EmptyBitmapIsABadArgumentAndMakesNoFile) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetOutFileName(dir.File("none.apf"));
    EXPECT_THROW(cvt.BitmapToApf(MonoBitmap()), EBadArgument);
    EXPECT_TRUE(FilesIn(dir).empty());
    cvt.SetLoading(true);
    EXPECT_EQ(cvt.BitmapToApf(MonoBitmap(0, 10)), ecBadArgument);
}

TEST(FaxConverter, AbortFromTheStatusEventLeavesNoFileAndKeepsAnOlderOne) {
    TempDir dir;
    const std::string out = dir.File("abort.apf");
    test::WriteAll(out, {'o', 'l', 'd'});
    TFaxConverter cvt;
    cvt.SetOutFileName(out);
    std::vector<std::string> seen;
    cvt.OnStatus = [&](TFaxConverter&, bool starting, bool ending, int pages, int lines, int64_t done,
                       int64_t total, bool& abort) {
        seen.push_back(std::string(starting ? "start"
                                   : ending ? "end"
                                            : "line") +
                       " " + std::to_string(pages) + " " + std::to_string(lines) + " " +
                       std::to_string(done) + "/" + std::to_string(total));
        abort = lines == 3;
    };
    MonoBitmap page(1600, 10);
    EXPECT_THROW(cvt.BitmapToApf(page), EConvertAbort);
    EXPECT_EQ(seen, (std::vector<std::string>{"start 0 0 0/0", "line 1 1 200/2000", "line 1 2 400/2000",
                                              "line 1 3 600/2000", "end 1 3 600/2000"}));
    EXPECT_EQ(test::ReadAll(out), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"abort.apf"});
}

TEST(FaxConverter, QuitWhileYieldingEndsTheConversion) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetOptions(coYieldOften);
    cvt.SetOutFileName(dir.File("quit.apf"));
    int calls = 0;
    cvt.YieldHook = [&] { return ++calls == 2 ? YieldResult::Quit : YieldResult::Continue; };
    MonoBitmap page(1600, 100);
    EXPECT_THROW(cvt.BitmapToApf(page), EGotQuitMsg);
    EXPECT_EQ(calls, 2); // after lines 16 and 32
    EXPECT_TRUE(FilesIn(dir).empty());

    // With coYield alone the hook runs once per page.
    calls = 0;
    cvt.SetOptions(coYield);
    cvt.YieldHook = [&] {
        ++calls;
        return YieldResult::Continue;
    };
    cvt.BitmapToApf(page);
    EXPECT_EQ(calls, 1);
}

TEST(FaxConverter, OutputThatCannotBeCreatedIsAnIoError) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetOutFileName(dir.File("missing/folder/x.apf"));
    try {
        cvt.BitmapToApf(MonoBitmap(100, 1));
        FAIL() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 3);
        EXPECT_EQ(cvt.FailedFile(), dir.File("missing/folder/x.apf"));
    }
}

// A sequence of bitmaps, as renderers of multi-page documents hand them over.
class Pages : public BitmapPageSource {
public:
    explicit Pages(std::vector<MonoBitmap> pages) : pages_(std::move(pages)) {}
    int NextPage(const MonoBitmap*& page) override {
        page = next_ < pages_.size() ? &pages_[next_++] : nullptr;
        return 0;
    }

private:
    std::vector<MonoBitmap> pages_;
    size_t next_ = 0;
};

TEST(FaxConverter, BitmapSequenceGivesOnePagePerBitmap) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetOutFileName(dir.File("multi.apf"));
    std::vector<MonoBitmap> bitmaps;
    bitmaps.emplace_back(1664, 3);
    bitmaps.emplace_back(800, 5);
    Pages pages(std::move(bitmaps));
    EXPECT_EQ(cvt.BitmapsToApf(pages), 2);
    EXPECT_EQ(PageRecords(dir.File("multi.apf"), 1).size(), 3u);
    EXPECT_EQ(PageRecords(dir.File("multi.apf"), 2).size(), 5u);

    std::vector<MonoBitmap> withEmpty;
    withEmpty.emplace_back(100, 3);
    withEmpty.emplace_back();
    Pages bad(std::move(withEmpty));
    EXPECT_THROW(cvt.BitmapsToApf(bad), EBadArgument);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"multi.apf"}); // the earlier result is kept
}

TEST(FaxConverter, UserEventsSupplyTheLines) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetInputDocumentType(TFaxInputDocumentType::idUser);
    cvt.SetDefUserExtension("usr");
    cvt.SetDocumentFile(dir.File("job"));
    std::vector<std::string> events;
    int line = 0;
    cvt.OnOpenUserFile = [&](TFaxConverter&, const std::string& name) { events.push_back("open " + name); };
    cvt.OnCloseUserFile = [&](TFaxConverter&) { events.push_back("close"); };
    cvt.OnReadUserLine = [&](TFaxConverter&, uint8_t* data, int& len, bool& endOfPage, bool& morePages) {
        ++line;
        endOfPage = line == 3 || line == 5;
        morePages = line == 3;
        data[0] = 0x80;
        len = 1;
    };
    EXPECT_EQ(cvt.ConvertDocument(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"open " + dir.File("job.usr"), "close"}));
    EXPECT_EQ(PageRecords(dir.File("job.APF"), 1).size(), 2u);
    EXPECT_EQ(PageRecords(dir.File("job.APF"), 2).size(), 1u);

    // Without a line handler the only page ends at once: it has no line but is well formed.
    cvt.OnReadUserLine = nullptr;
    EXPECT_EQ(cvt.ConvertDocument(), 1);
    ApfPageHeader h;
    EXPECT_TRUE(PageRecords(dir.File("job.APF"), 1, &h).empty());
    EXPECT_EQ(h.ImageLength, 14u);
}

TEST(FaxConverter, NoInputTypeFails) {
    TempDir dir;
    TFaxConverter cvt;
    cvt.SetDocumentFile(dir.File("x.txt"));
    EXPECT_THROW(cvt.ConvertDocument(), EBadArgument);
    EXPECT_TRUE(FilesIn(dir).empty());
}

} // namespace
} // namespace tolvane
