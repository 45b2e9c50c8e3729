// Push decoder for the T.4 one-dimensional code of one APF page: page data goes in block by
// block, finished scan lines come out through the sink. The results are those of walking the
// code tree of the current colour one bit at a time, least significant bit of each byte first:
//
//   - a run-length code adds its pixels to the line (white ones only advance the position),
//     unless no EOL has been seen yet on the page or the line would pass byte 512; after a
//     terminating code the colour changes;
//   - the EOL (eleven or more 0 bits, then a 1 bit) ends the line: a line whose byte position
//     is exactly 216 or 256 (1728 or 2048 pixels, up to 7 more) is handed on, any other is
//     dropped; the line starts again white;
//   - a bit string that begins no code word is skipped: the 1 bits after it are ignored and
//     the next 0 bit starts a new code;
//   - the page ends before a byte when the last three leaves were EOLs.
//
// The decoder keeps its state between blocks, so lines and code words may cross block
// boundaries. After every byte that finished or dropped a line, and after the first byte of
// every block, the sink's AfterByte() may stop decoding (abort, yield, errors).
#pragma once

#include "imaging/unpack/T4DecodeTables.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tolvane {

inline constexpr int kLineBufferBytes = 512; // 4096 pixels
inline constexpr int kNarrowLineBytes = 216; // 1728 pixels
inline constexpr int kWideLineBytes = 256;   // 2048 pixels

enum class DecodeStatus {
    NeedData,  // every byte was used; feed the next block
    EndOfPage, // three EOLs in a row
    Stopped,   // the sink's AfterByte() asked to stop
};

// Sink concept:
//   void Line(uint8_t* data, int length);  // a finished line, length 216 or 256 bytes, 1 = black;
//                                          // the sink may change the bytes
//   bool AfterByte();                      // false stops decoding after the current byte
class T4Decoder {
public:
    T4Decoder() : tables_(GetT4DecodeTables()) {}

    // Fresh page state: white, waiting for the first EOL, no EOLs counted, not skipping.
    void Reset() {
        acc_ = 0;
        bits_ = 0;
        mode_ = Mode::Code;
        colour_ = 0;
        waiting_ = true;
        eolCount_ = 0;
        std::memset(line_.data(), 0, line_.size());
        position_ = 0;
    }

    template <class Sink> DecodeStatus Feed(const uint8_t* data, size_t size, Sink& sink);

private:
    enum class Mode : uint8_t {
        Code,     // at the root of the current colour's tree
        Skipping, // after a bit string that begins no code word: 1 bits are ignored
        ZeroLoop, // eleven or more 0 bits seen: the next 1 bit is the EOL
    };

    void FillBlack(unsigned from, unsigned count) {
        if (count == 0) {
            return;
        }
        const unsigned last = from + count - 1;
        const unsigned b0 = from >> 3;
        const unsigned b1 = last >> 3;
        const auto m0 = static_cast<uint8_t>(0xFFu >> (from & 7));
        const auto m1 = static_cast<uint8_t>(0xFFu << (7 - (last & 7)));
        if (b0 == b1) {
            line_[b0] |= static_cast<uint8_t>(m0 & m1);
        } else {
            line_[b0] |= m0;
            std::memset(line_.data() + b0 + 1, 0xFF, b1 - b0 - 1);
            line_[b1] |= m1;
        }
    }

    template <class Sink> void EndOfLine(Sink& sink) {
        const unsigned bytes = position_ >> 3;
        if (position_ > 0 && (bytes == kNarrowLineBytes || bytes == kWideLineBytes)) {
            sink.Line(line_.data(), static_cast<int>(bytes));
        }
        std::memset(line_.data(), 0, (position_ + 7) >> 3);
        position_ = 0;
        colour_ = 0;
        waiting_ = false;
        ++eolCount_;
    }

    const T4DecodeTables& tables_;
    uint64_t acc_ = 0; // undecoded bits, the next one in bit 0
    int bits_ = 0;     // valid bits in acc_
    Mode mode_ = Mode::Code;
    int colour_ = 0; // 0 white, 1 black
    bool waiting_ = true;
    int eolCount_ = 0;
    unsigned position_ = 0; // pixels in the line
    // 4096 pixels, plus room for the last run that may start below byte 512 and reach past it.
    std::array<uint8_t, kLineBufferBytes + 8> line_{};
};

template <class Sink> DecodeStatus T4Decoder::Feed(const uint8_t* data, size_t size, Sink& sink) {
    if (size == 0) {
        return DecodeStatus::NeedData;
    }
    size_t next = 0; // next byte of data to load into acc_
    // Stream bit of acc_'s bit 0, counted from the first bit of data (negative for bits left
    // over from the previous block).
    int64_t bitIndex = -static_cast<int64_t>(bits_);
    // Byte after which the sink and the EOL count are checked; the check is made before the
    // first leaf that ends in a later byte, or when the data runs out.
    int64_t checkAfter = 0;

    const auto refill = [&] {
        if (next + 8 <= size) {
            uint64_t word;
            std::memcpy(&word, data + next, 8);
            if constexpr (std::endian::native == std::endian::big) {
                word = __builtin_bswap64(word);
            }
            acc_ |= word << bits_;
            const int take = (63 - bits_) >> 3;
            bits_ += take * 8;
            next += static_cast<size_t>(take);
        } else {
            while (bits_ <= 55 && next < size) {
                acc_ |= static_cast<uint64_t>(data[next++]) << bits_;
                bits_ += 8;
            }
        }
    };
    const auto consume = [&](int n) {
        acc_ = n >= 64 ? 0 : acc_ >> n;
        bits_ -= n;
        bitIndex += n;
    };
    // The check due before a leaf whose last bit is `lastBit`: true to go on.
    const auto checkBefore = [&](int64_t lastBit, DecodeStatus& status) {
        if (checkAfter >= 0 && (lastBit >> 3) > checkAfter) {
            checkAfter = -1;
            if (!sink.AfterByte()) {
                status = DecodeStatus::Stopped;
                return false;
            }
            if (eolCount_ >= 3) {
                status = DecodeStatus::EndOfPage;
                return false;
            }
        }
        return true;
    };

    DecodeStatus status = DecodeStatus::NeedData;
    for (;;) {
        if (bits_ < 16) {
            refill();
        }
        if (mode_ == Mode::Skipping) {
            const int ones = std::countr_one(acc_);
            if (ones >= bits_) {
                consume(bits_);
                if (next >= size) {
                    break;
                }
                continue;
            }
            consume(ones);
            mode_ = Mode::Code;
        }
        if (mode_ == Mode::ZeroLoop) {
            const int zeros = std::countr_zero(acc_);
            if (zeros >= bits_) {
                consume(bits_);
                if (next >= size) {
                    break;
                }
                continue;
            }
            if (!checkBefore(bitIndex + zeros, status)) {
                return status;
            }
            consume(zeros + 1);
            mode_ = Mode::Code;
            EndOfLine(sink);
            checkAfter = (bitIndex - 1) >> 3;
            continue;
        }
        const T4ColourTable& table = tables_.colour[colour_];
        T4TableEntry e = table.first[acc_ & ((1u << kT4FirstBits) - 1)];
        if (e.leaf == T4Leaf::Next) {
            e = table.second[e.value][(acc_ >> kT4FirstBits) & ((1u << kT4SecondBits) - 1)];
        }
        if (e.length > bits_) {
            if (next >= size) {
                break; // the code word continues in the next block
            }
            continue;
        }
        if (!checkBefore(bitIndex + e.length - 1, status)) {
            return status;
        }
        consume(e.length);
        switch (e.leaf) {
        case T4Leaf::Terminating:
        case T4Leaf::Makeup:
            if (!waiting_ && (position_ >> 3) + (e.value >> 3u) < kLineBufferBytes) {
                if (colour_ != 0) {
                    FillBlack(position_, e.value);
                }
                position_ += e.value;
            }
            if (e.leaf == T4Leaf::Terminating) {
                colour_ ^= 1;
            }
            eolCount_ = 0;
            break;
        case T4Leaf::NoCode:
            mode_ = Mode::Skipping;
            break;
        case T4Leaf::ZeroLoop:
            mode_ = Mode::ZeroLoop;
            break;
        case T4Leaf::Next:
            break;
        }
    }
    if (checkAfter >= 0) {
        if (!sink.AfterByte()) {
            return DecodeStatus::Stopped;
        }
        if (eolCount_ >= 3) {
            return DecodeStatus::EndOfPage;
        }
    }
    return status;
}

} // namespace tolvane
