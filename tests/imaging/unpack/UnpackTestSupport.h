// Test support for the unpacker: a small T.4 line encoder, the bit-by-bit tree-walk reference
// decoder, page rasters and APF files made from them.
#pragma once

#include "imaging/apf/ApfFile.h"
#include "imaging/t4/T4Codes.h"

#include <cstdint>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tolvane::test {

// A page raster: rows of width pixels, 1 = black, leftmost pixel in the most significant bit.
struct Raster {
    int width = 1728;
    std::vector<std::vector<uint8_t>> rows;

    int RowBytes() const { return (width + 7) / 8; }
    void AddRow() { rows.emplace_back(static_cast<size_t>(RowBytes()), 0); }
    static bool Get(const std::vector<uint8_t>& row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
    static void Set(std::vector<uint8_t>& row, int x) {
        row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
    }
};

// Bits least significant first, as APF page data stores them.
class BitWriter {
public:
    void Put(const T4Code& code) {
        for (int i = code.length - 1; i >= 0; --i) {
            Bit((code.bits >> i) & 1);
        }
    }
    void Bit(int b) {
        if (bit_ == 0) {
            bytes_.push_back(0);
        }
        if (b) {
            bytes_.back() = static_cast<uint8_t>(bytes_.back() | (1 << bit_));
        }
        bit_ = (bit_ + 1) & 7;
    }
    void Zeros(int n) {
        for (int i = 0; i < n; ++i) {
            Bit(0);
        }
    }
    void PadToByte() {
        while (bit_ != 0) {
            Bit(0);
        }
    }
    void Run(T4Colour colour, int run) {
        while (run > kMaxMakeupRun) {
            Put(MakeupCode(colour, kMaxMakeupRun));
            run -= kMaxMakeupRun;
        }
        if (run >= 64) {
            Put(MakeupCode(colour, run / 64 * 64));
        }
        Put(TerminatingCode(colour, run % 64));
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    int bit_ = 0;
};

// The run codes of one raster row of `width` pixels (no EOL).
inline void EncodeRuns(BitWriter& w, const std::vector<uint8_t>& row, int width) {
    int x = 0;
    T4Colour colour = T4Colour::White;
    while (x < width) {
        int end = x;
        const int want = colour == T4Colour::White ? 0 : 1;
        while (end < width && Raster::Get(row, end) == want) {
            ++end;
        }
        w.Run(colour, end - x);
        x = end;
        colour = colour == T4Colour::White ? T4Colour::Black : T4Colour::White;
    }
}

// A plain stream as a modem delivers it: per line `fill(line)` extra 0 bits, the EOL and the
// runs, lines not aligned to bytes; then the end-of-page mark of `eols` EOLs (six: RTC).
template <class Fill> std::vector<uint8_t> EncodeStream(const Raster& raster, Fill fill, int eols = 6) {
    BitWriter w;
    for (size_t i = 0; i < raster.rows.size(); ++i) {
        w.Zeros(fill(i));
        w.Put(kEol);
        EncodeRuns(w, raster.rows[i], raster.width);
    }
    for (int i = 0; i < eols; ++i) {
        w.Put(kEol);
    }
    w.PadToByte();
    return w.Bytes();
}

inline std::vector<uint8_t> EncodeStream(const Raster& raster) {
    return EncodeStream(raster, [](size_t) { return 4; });
}

// The line records of the length-word form: 00 80, the runs, 0 bits to the byte's end, 00.
inline std::vector<uint8_t> EncodeRecords(const Raster& raster, bool endOfPage = true) {
    std::vector<uint8_t> out;
    const auto record = [&](const std::vector<uint8_t>& bytes) {
        out.push_back(static_cast<uint8_t>(bytes.size()));
        out.push_back(static_cast<uint8_t>(bytes.size() >> 8));
        out.insert(out.end(), bytes.begin(), bytes.end());
    };
    for (const auto& row : raster.rows) {
        BitWriter w;
        w.Zeros(4);
        w.Put(kEol);
        EncodeRuns(w, row, raster.width);
        w.PadToByte();
        w.Bytes().push_back(0);
        record(w.Bytes());
    }
    if (endOfPage) {
        record({0x00, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00});
    }
    return out;
}

struct TestPage {
    uint16_t flags = 0;
    std::vector<uint8_t> data;
};

inline void WriteApf(const std::string& name, const std::vector<TestPage>& pages) {
    ApfWriter w;
    w.Create(name);
    for (const auto& p : pages) {
        w.BeginPage(p.flags);
        w.WritePageData(p.data.data(), p.data.size());
        w.EndPage();
    }
    w.WriteHeader(0, "");
    w.Close();
}

// Rasters.
inline Raster WhiteRaster(int width, int rows) {
    Raster r;
    r.width = width;
    for (int i = 0; i < rows; ++i) {
        r.AddRow();
    }
    return r;
}

// Text-like: rows of small blobs with gaps, as glyphs give them.
inline Raster TextRaster(int width, int rows, unsigned seed) {
    std::mt19937 rng(seed);
    Raster r = WhiteRaster(width, rows);
    for (int y = 0; y < rows; ++y) {
        if ((y / 24) % 2 == 1) {
            continue; // line spacing
        }
        int x = 40 + static_cast<int>(rng() % 20);
        while (x < width - 60) {
            const int w = 1 + static_cast<int>(rng() % 6);
            for (int i = 0; i < w; ++i) {
                Raster::Set(r.rows[static_cast<size_t>(y)], x + i);
            }
            x += w + 1 + static_cast<int>(rng() % 9);
            if (rng() % 12 == 0) {
                x += 10 + static_cast<int>(rng() % 30); // word gap
            }
        }
    }
    return r;
}

// Dense: every pixel random.
inline Raster NoiseRaster(int width, int rows, unsigned seed) {
    std::mt19937 rng(seed);
    Raster r = WhiteRaster(width, rows);
    for (auto& row : r.rows) {
        for (auto& b : row) {
            b = static_cast<uint8_t>(rng());
        }
        if (width % 8) {
            row.back() = static_cast<uint8_t>(row.back() & (0xFF << (8 - width % 8)));
        }
    }
    return r;
}

// Random runs of every length, make-up and extended make-up codes included.
inline Raster RunsRaster(int width, int rows, unsigned seed) {
    std::mt19937 rng(seed);
    Raster r = WhiteRaster(width, rows);
    for (auto& row : r.rows) {
        int x = 0;
        bool black = rng() % 2;
        while (x < width) {
            const int kind = static_cast<int>(rng() % 4);
            int run = kind == 0   ? static_cast<int>(rng() % 64)
                      : kind == 1 ? static_cast<int>(rng() % 300)
                                  : static_cast<int>(rng() % static_cast<unsigned>(width));
            run = std::min(run, width - x);
            if (black) {
                for (int i = 0; i < run; ++i) {
                    Raster::Set(row, x + i);
                }
            }
            x += run;
            black = !black;
        }
    }
    return r;
}

// "" when both hold the same rows, else where they first differ (short enough for a message).
inline std::string RowDifference(const std::vector<std::vector<uint8_t>>& got,
                                 const std::vector<std::vector<uint8_t>>& want) {
    for (size_t y = 0; y < std::min(got.size(), want.size()); ++y) {
        if (got[y].size() != want[y].size()) {
            return "row " + std::to_string(y) + " has " + std::to_string(got[y].size()) + " bytes, not " +
                   std::to_string(want[y].size());
        }
        for (size_t i = 0; i < got[y].size(); ++i) {
            if (got[y][i] != want[y][i]) {
                return "row " + std::to_string(y) + " byte " + std::to_string(i) + " is " +
                       std::to_string(got[y][i]) + ", not " + std::to_string(want[y][i]);
            }
        }
    }
    if (got.size() != want.size()) {
        return std::to_string(got.size()) + " rows, not " + std::to_string(want.size());
    }
    return "";
}

// The bit-by-bit tree walk of the decoding algorithm: a code is recognised by the bits read
// since the last leaf, least significant bit of each byte first.
class TreeWalkDecoder {
public:
    struct Result {
        std::vector<std::vector<uint8_t>> lines; // finished lines, 1 = black
        bool endOfPage = false;                  // three EOLs before a byte
    };

    TreeWalkDecoder() {
        for (int c = 0; c < 2; ++c) {
            const auto colour = c == 0 ? T4Colour::White : T4Colour::Black;
            for (int run = 0; run < 64; ++run) {
                Add(c, TerminatingCode(colour, run), run, true);
            }
            for (int run = 64; run <= kMaxMakeupRun; run += 64) {
                Add(c, MakeupCode(colour, run), run, false);
            }
            Add(c, kEol, kEolLeaf, false);
        }
    }

    Result Decode(const std::vector<uint8_t>& data) const {
        Result result;
        std::vector<uint8_t> line(600, 0);
        int pos = 0;
        int colour = 0;
        bool waiting = true;
        bool skipping = false;
        int eols = 0;
        uint32_t len = 0;
        uint32_t bits = 0;
        for (const uint8_t byte : data) {
            if (eols >= 3) {
                result.endOfPage = true;
                return result;
            }
            for (int i = 0; i < 8; ++i) {
                const int b = (byte >> i) & 1;
                if (b == 1 && skipping) {
                    continue;
                }
                if (b == 0) {
                    skipping = false;
                }
                if (len == kEol.length - 1 && bits == 0 && b == 0) {
                    continue; // eleven 0 bits take any further 0 bits
                }
                bits = bits << 1 | static_cast<uint32_t>(b);
                ++len;
                const uint32_t key = len << 16 | bits;
                const auto leaf = codes_[colour].find(key);
                if (leaf != codes_[colour].end()) {
                    len = 0;
                    bits = 0;
                    if (leaf->second.run == kEolLeaf) {
                        if (pos > 0 && (pos / 8 == 216 || pos / 8 == 256)) {
                            result.lines.emplace_back(line.begin(), line.begin() + pos / 8);
                        }
                        std::fill(line.begin(), line.end(), 0);
                        pos = 0;
                        colour = 0;
                        ++eols;
                        waiting = false;
                    } else {
                        const int r = leaf->second.run;
                        if (!waiting && pos / 8 + r / 8 < 512) {
                            for (int k = 0; k < r && colour == 1; ++k) {
                                line[static_cast<size_t>((pos + k) / 8)] |=
                                    static_cast<uint8_t>(0x80 >> ((pos + k) % 8));
                            }
                            pos += r;
                        }
                        if (leaf->second.terminating) {
                            colour ^= 1;
                        }
                        eols = 0;
                    }
                } else if (!prefixes_[colour].count(key)) {
                    len = 0;
                    bits = 0;
                    skipping = true;
                }
            }
        }
        result.endOfPage = eols >= 3;
        return result;
    }

private:
    static constexpr int kEolLeaf = -1;
    struct Leaf {
        int run;
        bool terminating;
    };
    void Add(int colour, const T4Code& code, int run, bool terminating) {
        codes_[colour][static_cast<uint32_t>(code.length) << 16 | code.bits] = {run, terminating};
        for (int l = 1; l < code.length; ++l) {
            prefixes_[colour].insert(static_cast<uint32_t>(l) << 16 | (code.bits >> (code.length - l)));
        }
    }
    std::unordered_map<uint32_t, Leaf> codes_[2];
    std::unordered_set<uint32_t> prefixes_[2];
};

} // namespace tolvane::test
