#include "imaging/convert/LineCoder.h"

#include "imaging/t4/T4Codes.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tolvane {
namespace {

// A code word ready to be written least significant bit first: `bits` holds the T.4 bits in
// reverse, so that its first T.4 bit is bit 0.
struct LsbCode {
    uint32_t bits;
    uint32_t length;
};

uint32_t Reverse(uint32_t bits, unsigned length) {
    uint32_t r = 0;
    for (unsigned i = 0; i < length; ++i) {
        r = (r << 1) | ((bits >> i) & 1u);
    }
    return r;
}

// For every run length 0..2560 of each colour the complete code: the make-up code for
// (run div 64) * 64 when run >= 64, followed by the terminating code for run mod 64.
struct RunCodeTables {
    static constexpr int kRuns = kMaxMakeupRun + 1;
    std::array<LsbCode, kRuns> white;
    std::array<LsbCode, kRuns> black;
    LsbCode longestMakeup; // 2560, the same for both colours

    RunCodeTables() {
        for (const auto colour : {T4Colour::White, T4Colour::Black}) {
            auto& table = colour == T4Colour::White ? white : black;
            for (int run = 0; run < kRuns; ++run) {
                const T4Code& term = TerminatingCode(colour, run % 64);
                uint32_t bits = Reverse(term.bits, term.length);
                uint32_t length = term.length;
                if (run >= 64) {
                    const T4Code& makeup = MakeupCode(colour, run - run % 64);
                    bits = Reverse(makeup.bits, makeup.length) | (bits << makeup.length);
                    length += makeup.length;
                }
                table[static_cast<size_t>(run)] = {bits, length};
            }
        }
        const T4Code& m = MakeupCode(T4Colour::White, kMaxMakeupRun);
        longestMakeup = {Reverse(m.bits, m.length), m.length};
    }
};

const RunCodeTables& Tables() {
    static const RunCodeTables tables;
    return tables;
}

// Collects bits least significant first and stores them four bytes at a time.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : out_(out), p_(out) {}

    void Put(LsbCode code) {
        acc_ |= static_cast<uint64_t>(code.bits) << count_;
        count_ += code.length;
        if (count_ >= 32) {
            const auto low = static_cast<uint32_t>(acc_);
            std::memcpy(p_, &low, 4);
            p_ += 4;
            acc_ >>= 32;
            count_ -= 32;
        }
    }

    // Stores the pending bits followed by zero bits; returns the total number of bits written.
    size_t Finish() {
        std::memcpy(p_, &acc_, 8);
        return static_cast<size_t>(p_ - out_) * 8 + count_;
    }

private:
    uint8_t* out_;
    uint8_t* p_;
    uint64_t acc_ = 0;
    uint32_t count_ = 0;
};

void PutRun(BitWriter& w, const RunCodeTables& t, bool black, int run) {
    // Runs longer than 2560 are repeated 2560 make-up codes and the code of the rest.
    while (run > kMaxMakeupRun) {
        w.Put(t.longestMakeup);
        run -= kMaxMakeupRun;
    }
    w.Put(black ? t.black[static_cast<size_t>(run)] : t.white[static_cast<size_t>(run)]);
}

uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

// First pixel index in [pos, end) whose colour is not `black`, or end. The raster must be
// readable 8 bytes past the byte holding pixel end - 1.
int NextChange(const uint8_t* raster, int pos, int end, bool black) {
    const uint64_t invert = black ? ~uint64_t{0} : 0;
    while (pos < end) {
        const int byte = pos >> 3;
        const uint64_t differs = (LoadBigEndian64(raster + byte) ^ invert) << (pos & 7);
        if (differs != 0) {
            return std::min(pos + __builtin_clzll(differs), end);
        }
        pos = (byte + 8) << 3;
    }
    return end;
}

bool AllZero(const uint8_t* p, size_t n) {
    uint64_t any = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        any |= v;
    }
    for (; i < n; ++i) {
        any |= p[i];
    }
    return any == 0;
}

} // namespace

size_t EncodeT4Line(const uint8_t* raster, size_t rasterBytes, const T4LineFormat& format, uint8_t* out) {
    const RunCodeTables& t = Tables();
    const int width = std::clamp(format.width, 1, kMaxCodedWidth);
    const int margin = std::clamp(format.leftMargin, 0, width);
    const size_t widthBytes = static_cast<size_t>(width) / 8;

    // The scan reads whole 64-bit words: work on a padded copy when the raster is too short.
    constexpr size_t kPadded = kMaxCodedWidth / 8 + 16;
    uint8_t padded[kPadded];
    const size_t needed = (static_cast<size_t>(width) + 7) / 8 + 8;
    if (rasterBytes < needed) {
        const size_t copy = std::min(rasterBytes, kPadded);
        std::memcpy(padded, raster, copy);
        std::memset(padded + copy, 0, kPadded - copy);
        raster = padded;
    }

    BitWriter w(out);
    w.Put({0x8000, 16}); // fifteen 0 bits (fill and EOL), then the EOL's 1 bit

    if (AllZero(raster, widthBytes)) {
        PutRun(w, t, false, width);
    } else {
        if (margin > 0) {
            PutRun(w, t, false, margin);
            PutRun(w, t, true, 0);
        }
        const int coded = width - margin;
        if (format.scale == RunScale::Single) {
            bool black = false;
            for (int pos = 0; pos < coded;) {
                const int next = NextChange(raster, pos, coded, black);
                PutRun(w, t, black, next - pos);
                pos = next;
                black = !black;
            }
        } else {
            // Each raster pixel twice; the last run takes whatever is left, so the line always
            // ends at W, also for an odd number of coded pixels.
            const int end = coded / 2;
            int written = 0;
            bool black = false;
            for (int pos = 0; pos < end;) {
                const int next = NextChange(raster, pos, end, black);
                const int run = next < end ? 2 * (next - pos) : coded - written;
                PutRun(w, t, black, run);
                written += run;
                pos = next;
                black = !black;
            }
            if (end == 0) {
                PutRun(w, t, false, coded);
            }
        }
    }
    return w.Finish() / 8 + 2;
}

size_t EncodeT4EndOfPage(uint8_t* out) {
    static constexpr uint8_t kEndOfPage[kEndOfPageSize] = {0x00, 0x80, 0x00, 0x08, 0x80, 0x00,
                                                           0x08, 0x80, 0x00, 0x08, 0x80, 0x00};
    std::memcpy(out, kEndOfPage, sizeof kEndOfPage);
    return sizeof kEndOfPage;
}

} // namespace tolvane
