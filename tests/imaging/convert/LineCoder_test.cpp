#include "FaxPeer.h"
#include "imaging/convert/LineCoder.h"
#include "imaging/t4/T4Codes.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

using test::Raster;

// The coded line for a list of runs (white first), built straight from the code tables.
std::vector<uint8_t> ExpectedLine(const std::vector<int>& runs) {
    std::vector<T4Code> words;
    for (size_t i = 0; i < runs.size(); ++i) {
        const auto colour = i % 2 == 0 ? T4Colour::White : T4Colour::Black;
        int run = runs[i];
        if (run >= 64) {
            words.push_back(MakeupCode(colour, run - run % 64));
        }
        words.push_back(TerminatingCode(colour, run % 64));
    }
    std::vector<uint8_t> out{0x00, 0x80};
    int bit = 16;
    for (const auto& w : words) {
        for (int i = w.length - 1; i >= 0; --i) {
            if (bit % 8 == 0) {
                out.push_back(0);
            }
            if ((w.bits >> i) & 1) {
                out.back() = static_cast<uint8_t>(out.back() | (1 << (bit % 8)));
            }
            ++bit;
        }
    }
    if (bit % 8 == 0) {
        out.push_back(0);
    }
    out.push_back(0);
    return out;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& raster, const T4LineFormat& format) {
    std::vector<uint8_t> out(kRasterBufferSize + kCodedLineSlack, 0xEE);
    const size_t n = EncodeT4Line(raster.data(), raster.size(), format, out.data());
    out.resize(n);
    return out;
}

std::vector<uint8_t> Row(int width, std::initializer_list<int> black) {
    std::vector<uint8_t> row(kRasterBufferSize, 0);
    for (const int x : black) {
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    (void)width;
    return row;
}

TEST(LineCoder, AllWhiteLinesAndEndOfPageAreTheStoredBytes) {
    const std::vector<uint8_t> blank(kRasterBufferSize, 0);
    EXPECT_EQ(Encode(blank, {1728, 50, RunScale::Single}),
              (std::vector<uint8_t>{0x00, 0x80, 0xB2, 0x59, 0x01, 0x00}));
    EXPECT_EQ(Encode(blank, {2048, 50, RunScale::Single}),
              (std::vector<uint8_t>{0x00, 0x80, 0x80, 0xCC, 0x0A, 0x00}));
    uint8_t eop[kEndOfPageSize];
    EXPECT_EQ(EncodeT4EndOfPage(eop), 12u);
    EXPECT_EQ(std::vector<uint8_t>(eop, eop + 12),
              (std::vector<uint8_t>{0x00, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00}));
}

TEST(LineCoder, RunsAfterTheMarginMatchTheCodeTables) {
    struct Case {
        const char* what;
        std::vector<uint8_t> raster;
        T4LineFormat format;
        std::vector<int> runs;
    };
    const Case cases[] = {
        {"corner pixel of a 1664 bitmap",
         Row(1728, {1663}),
         {1728, 50, RunScale::Single},
         {50, 0, 1663, 1, 14}},
        {"first pixel black", Row(1728, {0, 1}), {1728, 50, RunScale::Single}, {50, 0, 0, 2, 1676}},
        {"no margin, black at both edges",
         Row(1728, {0, 1727}),
         {1728, 0, RunScale::Single},
         {0, 1, 1726, 1}},
        {"doubled runs", Row(1728, {0, 10, 11}), {1728, 50, RunScale::Double}, {50, 0, 0, 2, 18, 4, 1654}},
        {"doubled with an odd margin ends at W",
         Row(1728, {3}),
         {1728, 51, RunScale::Double},
         {51, 0, 6, 2, 1669}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(c.raster, c.format), ExpectedLine(c.runs)) << c.what;
    }
}

TEST(LineCoder, ShortRasterCountsAsWhiteBeyondItsEnd) {
    const std::vector<uint8_t> raster{0xFF};
    EXPECT_EQ(Encode(raster, {1728, 0, RunScale::Single}), ExpectedLine({0, 8, 1720}));
}

// Lines that exercise every code word the coder can use, checked by libtiff's decoder.
std::vector<std::pair<std::string, Raster>> PeerPages(int width) {
    std::vector<std::pair<std::string, Raster>> pages;
    {
        // Line k: alternating runs of length k (terminating codes 0..63 of both colours, then
        // the make-up codes up to the width).
        Raster r(width, 0);
        for (int k = 1; k <= width; k += (k < 70 ? 1 : 61)) {
            std::vector<uint8_t> row((width + 7) / 8, 0);
            for (int x = 0; x < width; ++x) {
                if ((x / k) % 2 == 1) {
                    row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
                }
            }
            r.rows.push_back(row);
        }
        pages.emplace_back("runs of every length", r);
    }
    {
        Raster r(width, 6);
        // Alternating pixels, white first: a run per pixel. (Black first would need one run more
        // than pixels, which libtiff's decoder has no room for.)
        for (int x = 1; x < width; x += 2) {
            r.Set(x, 0);
        }
        for (int x = 0; x < width; ++x) {
            r.Set(x, 1); // all black
        }
        r.Set(0, 2); // black at both edges
        r.Set(width - 1, 2);
        for (int x = 0; x < width - 1; ++x) {
            r.Set(x, 3); // one white pixel at the right edge
        }
        r.Set(width - 1, 4); // one black pixel at the right edge
        pages.emplace_back("edges", r);
    }
    {
        std::mt19937 random(static_cast<unsigned>(width));
        Raster r(width, 40);
        for (int y = 0; y < r.Height(); ++y) {
            for (int x = 0; x < width; ++x) {
                if (random() % 7 < static_cast<unsigned>(y % 7)) {
                    r.Set(x, y);
                }
            }
        }
        pages.emplace_back("noise", r);
    }
    return pages;
}

// The raster a line should decode to: margin, then the raster's pixels (or white for a line
// that is white within the page width).
Raster ExpectedPage(const Raster& in, int margin) {
    Raster out(in.width, in.Height());
    for (int y = 0; y < in.Height(); ++y) {
        for (int x = 0; x + margin < in.width; ++x) {
            out.Set(x + margin, y, in.Black(x, y));
        }
    }
    return out;
}

TEST(LineCoder, LibtiffDecodesEveryPageBackExactly) {
    for (const int width : {1728, 2048, 2624}) {
        for (const int margin : {0, 50}) {
            for (const auto& [what, page] : PeerPages(width)) {
                std::vector<uint8_t> stream;
                for (const auto& row : page.rows) {
                    std::vector<uint8_t> raster(kRasterBufferSize, 0);
                    std::copy(row.begin(), row.end(), raster.begin());
                    const auto line = Encode(raster, {width, margin, RunScale::Single});
                    stream.insert(stream.end(), line.begin(), line.end());
                }
                auto peer = test::DecodeWithFax2Tiff(stream, width, page.Height());
                const std::string label =
                    what + " at " + std::to_string(width) + " margin " + std::to_string(margin);
                EXPECT_EQ(peer.problems, "") << label;
                ASSERT_GE(peer.raster.Height(), page.Height()) << label;
                peer.raster.rows.resize(static_cast<size_t>(page.Height()));
                EXPECT_EQ(peer.raster.rows, ExpectedPage(page, margin).rows) << label;
            }
        }
    }
}

TEST(LineCoder, LibtiffDecodesDoubledLines) {
    Raster page(800, 3);
    for (int x = 0; x < 800; x += 3) {
        page.Set(x, 0);
    }
    for (int x = 100; x < 800; ++x) {
        page.Set(x, 1);
    }
    page.Set(799, 2);
    std::vector<uint8_t> stream;
    for (const auto& row : page.rows) {
        std::vector<uint8_t> raster(kRasterBufferSize, 0);
        std::copy(row.begin(), row.end(), raster.begin());
        const auto line = Encode(raster, {1728, 50, RunScale::Double});
        stream.insert(stream.end(), line.begin(), line.end());
    }
    const auto peer = test::DecodeWithFax2Tiff(stream, 1728, 3);
    EXPECT_EQ(peer.problems, "");
    ASSERT_GE(peer.raster.Height(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 1728; ++x) {
            const bool expected = x >= 50 && (x - 50) / 2 < 800 && page.Black((x - 50) / 2, y);
            ASSERT_EQ(peer.raster.Black(x, y), expected) << "x " << x << " y " << y;
        }
    }
}

} // namespace
} // namespace tolvane
