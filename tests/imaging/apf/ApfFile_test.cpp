#include "imaging/apf/ApfFile.h"
#include "imaging/errors/ResultCodes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tolvane {
namespace {

using test::ReadAll;
using test::TempDir;
using Bytes = std::vector<uint8_t>;

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

struct PageSpec {
    uint16_t flags;
    Bytes data;
};

// Writes pages through ApfWriter the way the converter and the receiver do.
void WriteApf(const std::string& name, const std::vector<PageSpec>& pages, const std::string& station = "",
              uint32_t when = 0) {
    ApfWriter w;
    ASSERT_EQ(w.Create(name), ecOK);
    for (const auto& p : pages) {
        ASSERT_EQ(w.BeginPage(p.flags), ecOK);
        ASSERT_EQ(w.WritePageData(p.data.data(), p.data.size()), ecOK);
        ASSERT_EQ(w.EndPage(), ecOK);
    }
    ASSERT_EQ(w.WriteHeader(when, station), ecOK);
    ASSERT_EQ(w.Close(), ecOK);
}

TEST(ApfFormat, HeaderLayoutWithFiveCharacterStation) {
    TempDir dir;
    const std::string name = dir.File("a.apf");
    const uint32_t when = PackDosDateTime(Time(2026, 12, 11, 14, 5, 33));
    WriteApf(name, {{apfLengthWords | apfFineResolution, {1, 2, 3}}}, "12345", when);
    const Bytes b = ReadAll(name);
    ASSERT_EQ(b.size(), 64u + 16u + 3u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 6), Bytes({'A', 'P', 'F', '1', '0', 0x1A}));
    EXPECT_EQ(b[6] | b[7] << 8 | b[8] << 16 | uint32_t(b[9]) << 24, when);
    EXPECT_EQ(b[10], 5);
    EXPECT_EQ(std::string(b.begin() + 11, b.begin() + 16), "12345");
    EXPECT_EQ(std::string(b.begin() + 16, b.begin() + 31), std::string(15, ' '));
    EXPECT_EQ(b[31], 0);
    EXPECT_EQ(b[32] | b[33] << 8, 1);
    EXPECT_EQ(b[34] | b[35] << 8 | b[36] << 16 | b[37] << 24, 64);
    EXPECT_EQ(Bytes(b.begin() + 38, b.begin() + 64), Bytes(26, 0));
    // Page header: ImageLength 3, flags 5, ten reserved zeros.
    EXPECT_EQ(Bytes(b.begin() + 64, b.begin() + 80), Bytes({3, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(b.begin() + 80, b.end()), Bytes({1, 2, 3}));
}

TEST(ApfFormat, StationIdentifierPaddingAndTrimming) {
    ApfFileHeader h = ApfFileHeader::Initial();
    h.SetStationIDPadded("+1 555 0100");
    EXPECT_EQ(h.StationID[0], 20);
    EXPECT_EQ(h.StationText(), "+1 555 0100         ");
    EXPECT_EQ(h.StationTrimmed(), "+1 555 0100");
    h.SetStationID("a station id longer than twenty");
    EXPECT_EQ(h.StationID[0], 20);
    EXPECT_EQ(h.StationText(), "a station id longer ");
    h.StationID[0] = 200; // a damaged length byte never reads past the field
    EXPECT_EQ(h.StationText().size(), 20u);
}

TEST(ApfFormat, DosDateTimePacking) {
    const uint32_t packed = PackDosDateTime(Time(2026, 12, 11, 14, 5, 33));
    EXPECT_EQ(packed & 0x1F, 16u);
    EXPECT_EQ((packed >> 5) & 0x3F, 5u);
    EXPECT_EQ((packed >> 11) & 0x1F, 14u);
    EXPECT_EQ((packed >> 16) & 0x1F, 11u);
    EXPECT_EQ((packed >> 21) & 0x0F, 12u);
    EXPECT_EQ(packed >> 25, 46u);
    const auto back = UnpackDosDateTime(packed);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tm_sec, 32);
    EXPECT_EQ(back->tm_year, 126);

    EXPECT_NE(PackDosDateTime(Time(1980, 1, 1, 0, 0, 0)), 0u);
    EXPECT_NE(PackDosDateTime(Time(2099, 12, 31, 23, 59, 58)), 0u);
    EXPECT_EQ(PackDosDateTime(Time(1979, 12, 31, 23, 59, 59)), 0u);
    EXPECT_EQ(PackDosDateTime(Time(2100, 1, 1, 0, 0, 0)), 0u);
    EXPECT_FALSE(UnpackDosDateTime(0));
}

TEST(ApfReader, RejectsEmptyMissingShortAndForeignFiles) {
    TempDir dir;
    ApfReader r;
    EXPECT_EQ(r.Open(""), ecFileNotFound);
    EXPECT_EQ(r.Open(dir.File("missing.apf")), ecFileNotFound);
    EXPECT_EQ(r.Open(dir.File("nofolder/x.apf")), ecFileNotFound);
    test::WriteAll(dir.File("short.apf"), Bytes{'A', 'P', 'F', '1', '0', 0x1A, 0});
    EXPECT_EQ(r.Open(dir.File("short.apf")), ecDiskRead);
    Bytes foreign(64, 0);
    std::memcpy(foreign.data(), "APF11\x1a", 6);
    test::WriteAll(dir.File("foreign.apf"), foreign);
    EXPECT_EQ(r.Open(dir.File("foreign.apf")), ecFaxBadFormat);
    ApfFileHeader h;
    EXPECT_EQ(ReadApfHeader(dir.File("foreign.apf"), h), ecFaxBadFormat);
}

TEST(ApfReader, FileWithoutPagesHasNoPageOne) {
    TempDir dir;
    WriteApf(dir.File("empty.apf"), {});
    ApfReader r;
    ASSERT_EQ(r.Open(dir.File("empty.apf")), ecOK);
    EXPECT_EQ(r.Header().PageCount, 0);
    ApfPageHeader page;
    EXPECT_EQ(r.LocatePage(1, page), ecFaxBadFormat);
    EXPECT_EQ(r.LocatePage(0, page), ecFaxBadFormat);
}

TEST(ApfReader, LocatesPagesOfMixedFormsInAnyOrder) {
    TempDir dir;
    const std::string name = dir.File("mixed.apf");
    WriteApf(name, {{apfLengthWords, {0x06, 0, 0, 0x80, 0xB2, 0x59, 0x01, 0}},
                    {apfFineResolution, {0x00, 0x80, 0xAA, 0x55}},
                    {apfWideWidth | apfLengthWords, {9}}});
    ApfReader r;
    ASSERT_EQ(r.Open(name), ecOK);
    ASSERT_EQ(r.Header().PageCount, 3);
    const struct {
        unsigned page;
        uint16_t flags;
        Bytes data;
    } expected[] = {{2, apfFineResolution, {0x00, 0x80, 0xAA, 0x55}},
                    {1, apfLengthWords, {0x06, 0, 0, 0x80, 0xB2, 0x59, 0x01, 0}},
                    {3, apfWideWidth | apfLengthWords, {9}},
                    {2, apfFineResolution, {0x00, 0x80, 0xAA, 0x55}}};
    for (const auto& e : expected) {
        ApfPageHeader page;
        ASSERT_EQ(r.LocatePage(e.page, page), ecOK) << "page " << e.page;
        EXPECT_EQ(page.PageFlags, e.flags);
        EXPECT_EQ(page.Width(), e.page == 3 ? 2048 : 1728);
        ASSERT_EQ(page.ImageLength, e.data.size());
        Bytes data(page.ImageLength);
        ASSERT_EQ(r.ReadExact(data.data(), data.size()), ecOK);
        EXPECT_EQ(data, e.data);
    }
    ApfPageHeader page;
    EXPECT_EQ(r.LocatePage(4, page), ecFaxBadFormat);
}

TEST(ApfReader, PageCountBeyondTheDataIsAShortRead) {
    TempDir dir;
    const std::string name = dir.File("truncated.apf");
    WriteApf(name, {{apfLengthWords, Bytes(40, 0x11)}});
    Bytes b = ReadAll(name);
    b[32] = 2; // claims a second page that is not there
    test::WriteAll(name, b);
    ApfReader r;
    ASSERT_EQ(r.Open(name), ecOK);
    ApfPageHeader page;
    EXPECT_EQ(r.LocatePage(1, page), ecOK);
    EXPECT_EQ(r.LocatePage(2, page), ecDiskRead);
}

TEST(ApfWriter, PageDataPassesTheBufferInAnySize) {
    TempDir dir;
    const std::string name = dir.File("big.apf");
    Bytes data(3 * 4096 + 123);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    ApfWriter w;
    ASSERT_EQ(w.Create(name), ecOK);
    ASSERT_EQ(w.BeginPage(apfLengthWords), ecOK);
    // Pieces smaller than, equal to and larger than the buffer.
    size_t pos = 0;
    for (const size_t piece : {size_t{10}, size_t{4096}, size_t{5000}, data.size() - 9106}) {
        ASSERT_EQ(w.WritePageData(data.data() + pos, piece), ecOK);
        pos += piece;
    }
    ASSERT_EQ(w.EndPage(), ecOK);
    ASSERT_EQ(w.WriteHeader(0, ""), ecOK);
    ASSERT_EQ(w.Close(), ecOK);
    const Bytes b = ReadAll(name);
    ASSERT_EQ(b.size(), 80 + data.size());
    EXPECT_EQ(Bytes(b.begin() + 80, b.end()), data);
    EXPECT_EQ(b[64] | b[65] << 8 | b[66] << 16, static_cast<int>(data.size()));
}

TEST(ApfWriter, CreateInMissingFolderFails) {
    TempDir dir;
    ApfWriter w;
    EXPECT_EQ(w.Create(dir.File("no/such/folder.apf")), ecPathNotFound);
    EXPECT_EQ(w.Create(""), ecFileNotFound);
}

TEST(AppendApfFile, JoinsPagesAndCounts) {
    TempDir dir;
    const std::string a = dir.File("a.apf");
    const std::string b = dir.File("b.apf");
    WriteApf(a, {{apfLengthWords | apfFineResolution, {1, 1}}}, "COVER");
    WriteApf(b, {{apfFineResolution, {2, 2, 2}}, {apfLengthWords, {3}}});
    ASSERT_EQ(AppendApfFile(a, b), ecOK);
    ApfReader r;
    ASSERT_EQ(r.Open(a), ecOK);
    EXPECT_EQ(r.Header().PageCount, 3);
    EXPECT_EQ(r.Header().StationTrimmed(), "COVER");
    const Bytes expected[] = {{1, 1}, {2, 2, 2}, {3}};
    const uint16_t flags[] = {apfLengthWords | apfFineResolution, apfFineResolution, apfLengthWords};
    for (unsigned n = 1; n <= 3; ++n) {
        ApfPageHeader page;
        ASSERT_EQ(r.LocatePage(n, page), ecOK);
        EXPECT_EQ(page.PageFlags, flags[n - 1]);
        Bytes data(page.ImageLength);
        ASSERT_EQ(r.ReadExact(data.data(), data.size()), ecOK);
        EXPECT_EQ(data, expected[n - 1]);
    }
    EXPECT_EQ(ReadAll(a).size(), 64u + 3 * 16 + 6);
}

TEST(AppendApfFile, FailureLeavesTargetUnchanged) {
    TempDir dir;
    const std::string a = dir.File("a.apf");
    const std::string b = dir.File("b.apf");
    WriteApf(a, {{apfLengthWords, {1, 1}}});
    WriteApf(b, {{apfLengthWords, Bytes(100, 2)}});
    Bytes broken = ReadAll(b);
    broken.resize(broken.size() - 10); // source page data ends early
    test::WriteAll(b, broken);
    const Bytes before = ReadAll(a);
    EXPECT_EQ(AppendApfFile(a, b), ecDiskRead);
    EXPECT_EQ(ReadAll(a), before);
    EXPECT_EQ(AppendApfFile(a, dir.File("missing.apf")), ecFileNotFound);
    EXPECT_EQ(ReadAll(a), before);
}

} // namespace
} // namespace tolvane
