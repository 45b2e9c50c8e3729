// The decoder against libtiff: pages coded by libtiff decode to libtiff's raster, and streams
// as a modem delivers them decode as libtiff's fax2tiff reads them.
#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/LibtiffPeer.h"
#include "imaging/unpack/UnpackerRecord.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

using test::Raster;
using test::ShellQuote;

std::vector<std::vector<uint8_t>> Unpack(const std::string& name, unsigned page) {
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
    ClearUnpackOptions(*record, ufDoubleHeight);
    EXPECT_EQ(UnpackPage(*record, name, page), ecOK);
    return lines;
}

// Six EOLs, each on its own bytes boundary-free: 72 bits = 9 bytes.
const std::vector<uint8_t> kRtc = {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80};

struct Case {
    const char* what;
    Raster raster;
};

std::vector<Case> Pages() {
    return {{"text", test::TextRaster(1728, 300, 21)},
            {"runs", test::RunsRaster(1728, 300, 22)},
            {"wide runs", test::RunsRaster(2048, 300, 23)},
            {"noise", test::NoiseRaster(1728, 40, 24)},
            {"white", test::WhiteRaster(2048, 10)}};
}

TEST(LibtiffPeer, PagesCodedByTiffcpDecodeToLibtiffsRaster) {
    test::TempDir dir;
    for (const auto& c : Pages()) {
        const auto in = dir.File("in.tif");
        const auto g3 = dir.File("g3.tif");
        test::WriteTiff(in, c.raster);
        test::Run("tiffcp -c g3:1d -r 100000 " + ShellQuote(in) + " " + ShellQuote(g3));
        const auto tiff = test::ReadTiff(g3);
        ASSERT_EQ(tiff.size(), 1u);
        ASSERT_EQ(tiff[0].compression, COMPRESSION_CCITTFAX3);
        ASSERT_EQ(test::RowDifference(tiff[0].rows, c.raster.rows), "")
            << c.what << ": libtiff's own round trip";
        // libtiff ends the strip after the last line's codes: the page gets its end-of-page mark
        // (RTC, six EOLs) as a received page has it.
        auto data = tiff[0].raw;
        data.insert(data.end(), kRtc.begin(), kRtc.end());
        const auto apf = dir.File("g3.apf");
        test::WriteApf(
            apf,
            {{static_cast<uint16_t>(apfFineResolution | (c.raster.width == 2048 ? apfWideWidth : 0)), data}});
        EXPECT_EQ(test::RowDifference(Unpack(apf, 1), tiff[0].rows), "") << c.what;
    }
}

TEST(LibtiffPeer, ModemStreamsDecodeAsFax2tiffReadsThem) {
    test::TempDir dir;
    std::mt19937 rng(5);
    for (const auto& c : Pages()) {
        // Lines at any bit position, with up to 40 fill bits before each EOL. fax2tiff takes
        // every EOL for the start of a row, so the page ends with a single EOL here, which gives
        // it one white row more.
        const auto stream = test::EncodeStream(
            c.raster, [&](size_t) { return static_cast<int>(rng() % 41); }, 1);
        const auto raw = dir.File("page.g3");
        test::WriteAll(raw, stream);
        const auto out = dir.File("page.tif");
        test::Run("fax2tiff -1 -L -u -X " + std::to_string(c.raster.width) + " -o " + ShellQuote(out) + " " +
                  ShellQuote(raw));
        auto tiff = test::ReadTiff(out);
        ASSERT_EQ(tiff.size(), 1u);
        ASSERT_EQ(tiff[0].rows.size(), c.raster.rows.size() + 1);
        EXPECT_EQ(tiff[0].rows.back(), std::vector<uint8_t>(tiff[0].rows.back().size(), 0));
        tiff[0].rows.pop_back();
        const auto apf = dir.File("page.apf");
        test::WriteApf(apf, {{static_cast<uint16_t>(c.raster.width == 2048 ? apfWideWidth : 0), stream}});
        const auto lines = Unpack(apf, 1);
        EXPECT_EQ(test::RowDifference(lines, tiff[0].rows), "") << c.what;
        EXPECT_EQ(test::RowDifference(lines, c.raster.rows), "") << c.what;
    }
}

// Every code word of both colours, terminating and make-up up to 2560, as libtiff codes it:
// the runs of libtiff's lines read with the decoder's tables give the raster's runs.
TEST(LibtiffPeer, EveryCodeWordReadsAsLibtiffWritesIt) {
    const int width = 2 * 2560 + 100;
    Raster raster = test::WhiteRaster(width, 0);
    for (int start = 0; start < 2; ++start) {
        for (int k = 1; k <= 2560; ++k) {
            raster.AddRow();
            // [black start?] white k, black k, white rest: white 0 when the row starts black.
            const int white = start ? 0 : k;
            for (int x = white; x < white + k; ++x) {
                Raster::Set(raster.rows.back(), x);
            }
        }
    }
    test::TempDir dir;
    test::WriteTiff(dir.File("in.tif"), raster);
    test::Run("tiffcp -c g3:1d -r 1000000 " + ShellQuote(dir.File("in.tif")) + " " +
              ShellQuote(dir.File("g3.tif")));
    const auto tiff = test::ReadTiff(dir.File("g3.tif"));
    ASSERT_EQ(tiff.size(), 1u);
    const auto& data = tiff[0].raw;
    const auto& tables = GetT4DecodeTables();

    // Walk the stream: at each EOL a row starts; read runs until the row is full.
    size_t bit = 0;
    const auto at = [&](size_t i) { return i / 8 < data.size() ? (data[i / 8] >> (i % 8)) & 1 : 0; };
    const auto peek = [&](int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            v |= static_cast<unsigned>(at(bit + static_cast<size_t>(i))) << i;
        }
        return v;
    };
    for (size_t y = 0; y < raster.rows.size(); ++y) {
        // The EOL: eleven or more 0 bits and a 1.
        size_t zeros = 0;
        while (at(bit) == 0 && bit < data.size() * 8) {
            ++zeros;
            ++bit;
        }
        ASSERT_GE(zeros, 11u) << "row " << y;
        ++bit;
        std::vector<int> expected;
        for (int x = 0, colour = 0; x < width; colour ^= 1) {
            int end = x;
            while (end < width && Raster::Get(raster.rows[y], end) == colour) {
                ++end;
            }
            expected.push_back(end - x);
            x = end;
        }
        std::vector<int> got;
        int total = 0;
        for (int colour = 0; total < width;) {
            int run = 0;
            for (;;) {
                T4TableEntry e = tables.colour[colour].first[peek(kT4FirstBits)];
                if (e.leaf == T4Leaf::Next) {
                    e = tables.colour[colour]
                            .second[e.value][peek(kT4FirstBits + kT4SecondBits) >> kT4FirstBits];
                }
                ASSERT_TRUE(e.leaf == T4Leaf::Terminating || e.leaf == T4Leaf::Makeup)
                    << "row " << y << " bit " << bit;
                bit += e.length;
                run += e.value;
                if (e.leaf == T4Leaf::Terminating) {
                    break;
                }
            }
            got.push_back(run);
            total += run;
            colour ^= 1;
        }
        ASSERT_EQ(got, expected) << "row " << y;
    }
}

} // namespace
} // namespace tolvane
