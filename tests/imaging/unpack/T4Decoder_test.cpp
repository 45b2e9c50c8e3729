#include "imaging/unpack/T4Decoder.h"
#include "imaging/unpack/UnpackTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

using test::Raster;
using test::TreeWalkDecoder;

struct Collect {
    std::vector<std::vector<uint8_t>> lines;
    void Line(uint8_t* data, int length) { lines.emplace_back(data, data + length); }
    bool AfterByte() { return true; }
};

struct Decoded {
    std::vector<std::vector<uint8_t>> lines;
    bool endOfPage = false;
};

// Feeds the data in blocks of random sizes, as records and short reads cut it.
Decoded DecodeInBlocks(const std::vector<uint8_t>& data, std::mt19937& rng) {
    T4Decoder decoder;
    decoder.Reset();
    Collect sink;
    Decoded out;
    size_t at = 0;
    while (at < data.size()) {
        const size_t n = std::min<size_t>(data.size() - at, 1 + rng() % (rng() % 2 ? 7 : 5000));
        const auto status = decoder.Feed(data.data() + at, n, sink);
        at += n;
        if (status == DecodeStatus::EndOfPage) {
            out.endOfPage = true;
            break;
        }
    }
    out.lines = std::move(sink.lines);
    return out;
}

void ExpectSameAsTreeWalk(const std::vector<uint8_t>& data, std::mt19937& rng, const std::string& what) {
    static const TreeWalkDecoder reference;
    const auto expected = reference.Decode(data);
    const auto got = DecodeInBlocks(data, rng);
    ASSERT_EQ(got.endOfPage, expected.endOfPage) << what;
    ASSERT_EQ(got.lines.size(), expected.lines.size()) << what;
    for (size_t i = 0; i < got.lines.size(); ++i) {
        ASSERT_EQ(got.lines[i], expected.lines[i]) << what << ": line " << i;
    }
}

TEST(T4Decoder, CleanPagesDecodeToTheirRasters) {
    std::mt19937 rng(1);
    for (const auto& raster : {test::TextRaster(1728, 60, 2), test::RunsRaster(2048, 40, 3),
                               test::NoiseRaster(1728, 20, 4), test::WhiteRaster(1728, 5)}) {
        const auto stream = test::EncodeStream(raster, [&](size_t) { return static_cast<int>(rng() % 20); });
        const auto got = DecodeInBlocks(stream, rng);
        EXPECT_TRUE(got.endOfPage);
        // The first EOL only starts the page: every line before it is decoded.
        ASSERT_EQ(got.lines.size(), raster.rows.size());
        for (size_t i = 0; i < got.lines.size(); ++i) {
            ASSERT_EQ(got.lines[i], raster.rows[i]) << "line " << i;
        }
        ExpectSameAsTreeWalk(stream, rng, "clean");
    }
}

TEST(T4Decoder, RandomBytesGiveTheTreeWalksResult) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> data(1 + rng() % 3000);
        const int style = round % 3;
        for (auto& b : data) {
            // Plain noise, mostly zeros (long zero runs and EOLs), or mostly ones (skipping).
            const auto v = static_cast<uint8_t>(rng());
            b = style == 0   ? v
                : style == 1 ? static_cast<uint8_t>(v & rng() & rng())
                             : static_cast<uint8_t>(v | rng());
        }
        ExpectSameAsTreeWalk(data, rng, "random round " + std::to_string(round));
    }
}

TEST(T4Decoder, CorruptedStreamsGiveTheTreeWalksResult) {
    std::mt19937 rng(11);
    for (int round = 0; round < 120; ++round) {
        const Raster raster =
            round % 2 ? test::TextRaster(1728, 30, static_cast<unsigned>(round))
                      : test::RunsRaster(round % 4 ? 1728 : 2048, 25, static_cast<unsigned>(round));
        auto data = test::EncodeStream(raster, [&](size_t) { return static_cast<int>(rng() % 12); });
        const int damage = 1 + static_cast<int>(rng() % 6);
        for (int d = 0; d < damage; ++d) {
            const size_t at = rng() % data.size();
            switch (rng() % 4) {
            case 0: // a flipped bit
                data[at] = static_cast<uint8_t>(data[at] ^ (1 << (rng() % 8)));
                break;
            case 1: // a lost byte
                data.erase(data.begin() + static_cast<long>(at));
                break;
            case 2: // a noise burst
                for (size_t k = at; k < std::min(data.size(), at + 1 + rng() % 40); ++k) {
                    data[k] = static_cast<uint8_t>(rng());
                }
                break;
            default: // the end cut off
                data.resize(at + 1);
                break;
            }
        }
        ExpectSameAsTreeWalk(data, rng, "corrupted round " + std::to_string(round));
    }
}

// Bit strings with a known meaning, written T.4 order first bit first.
std::vector<uint8_t> Bits(const std::string& text) {
    test::BitWriter w;
    for (const char c : text) {
        if (c == '0' || c == '1') {
            w.Bit(c - '0');
        }
    }
    w.PadToByte();
    return w.Bytes();
}

std::string Code(const T4Code& c) {
    std::string s;
    for (int i = c.length - 1; i >= 0; --i) {
        s += ((c.bits >> i) & 1) ? '1' : '0';
    }
    return s;
}

std::string WhiteRun(int run) {
    std::string s;
    if (run >= 64) {
        s += Code(MakeupCode(T4Colour::White, run / 64 * 64));
    }
    return s + Code(TerminatingCode(T4Colour::White, run % 64));
}

const std::string kEolBits = "000000000001";

Decoded DecodeAll(const std::vector<uint8_t>& data) {
    std::mt19937 rng(0);
    return DecodeInBlocks(data, rng);
}

TEST(T4Decoder, OnlyFullLinesArePassedOn) {
    const struct {
        int pixels;
        int lineBytes; // 0: dropped
    } cases[] = {{1727, 0}, {1728, 216}, {1730, 216}, {1735, 216}, {1736, 0},
                 {2047, 0}, {2048, 256}, {2055, 256}, {8, 0}};
    for (const auto& c : cases) {
        const auto got = DecodeAll(Bits(kEolBits + WhiteRun(c.pixels) + kEolBits));
        if (c.lineBytes == 0) {
            EXPECT_TRUE(got.lines.empty()) << c.pixels;
        } else {
            ASSERT_EQ(got.lines.size(), 1u) << c.pixels;
            EXPECT_EQ(got.lines[0], std::vector<uint8_t>(static_cast<size_t>(c.lineBytes), 0)) << c.pixels;
        }
    }
}

TEST(T4Decoder, RunsBeforeTheFirstEolAreIgnored) {
    // A full line with no EOL in front of it, then a full line after one.
    const auto got = DecodeAll(Bits(WhiteRun(1728) + kEolBits + WhiteRun(1728) + kEolBits));
    EXPECT_EQ(got.lines.size(), 1u);
}

TEST(T4Decoder, AnInvalidCodeSkipsItsOneBitsAndGoesOn) {
    // "000000001" begins no white code word; the 1 bits after it are skipped, the next 0 bit
    // starts the next code: white 1728 (010011011) and white 0 (00110101) follow.
    const auto got = DecodeAll(Bits(kEolBits + "000000001" + "111" + WhiteRun(1728) + kEolBits));
    ASSERT_EQ(got.lines.size(), 1u);
}

TEST(T4Decoder, ThreeEolsEndThePageOnlyAtTheNextByte) {
    // Three EOLs, then in the same byte a white run that resets the count: decoding goes on.
    // Stream: EOL + 1728 white (17 bits) + 3 EOLs = 65 bits; the run "0111" (white 2) ends in
    // byte 8, which also holds the third EOL's last bit.
    const std::string page = kEolBits + WhiteRun(1728) + kEolBits;
    auto goesOn = DecodeAll(Bits(page + kEolBits + kEolBits + "0111" + kEolBits + WhiteRun(1728) + kEolBits));
    // The 2-pixel line is dropped at its EOL; the 1728-pixel line after it is the second line.
    EXPECT_EQ(goesOn.lines.size(), 2u);
    EXPECT_FALSE(goesOn.endOfPage);

    // The same run one byte later is never read.
    auto ends = DecodeAll(Bits(page + kEolBits + kEolBits + "0000000" + "0111" + WhiteRun(1728) + kEolBits));
    EXPECT_TRUE(ends.endOfPage);
    EXPECT_EQ(ends.lines.size(), 1u);
}

TEST(T4Decoder, FillZerosOfAnyLengthBeforeTheEol) {
    for (const int fill : {0, 1, 7, 8, 100, 5000}) {
        const auto got =
            DecodeAll(Bits(kEolBits + WhiteRun(1728) + std::string(static_cast<size_t>(fill), '0') +
                           kEolBits + WhiteRun(1728) + kEolBits));
        EXPECT_EQ(got.lines.size(), 2u) << fill;
    }
}

} // namespace
} // namespace tolvane
