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

#include <algorithm>
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
        position_ = 0;
        word_ = 0;
    }

    template <class Sink> DecodeStatus Feed(const uint8_t* data, size_t size, Sink& sink);

private:
    enum class Mode : uint8_t {
        Code,     // at the root of the current colour's tree
        Skipping, // after a bit string that begins no code word: 1 bits are ignored
        ZeroLoop, // eleven or more 0 bits seen: the next 1 bit is the EOL
    };

    // The line is written 64 pixels at a time, front to back: word_ holds the pixels of the
    // 64-pixel word that contains `position_` (leftmost pixel in the most significant bit);
    // every word before it is already in line_. Nothing is read back, so a line costs no
    // clearing and no read-modify-write of memory.
    void Store(unsigned index, uint64_t pixels) {
        if constexpr (std::endian::native == std::endian::little) {
            pixels = __builtin_bswap64(pixels);
        }
        std::memcpy(line_.data() + index * 8, &pixels, 8);
    }
    // Moves on to the word of `to`, storing the current one and filling those between.
    void Advance(unsigned from, unsigned to, uint64_t& word, uint64_t between) {
        const unsigned w0 = from >> 6;
        const unsigned w1 = to >> 6;
        Store(w0, word);
        for (unsigned w = w0 + 1; w < w1; ++w) {
            Store(w, between);
        }
        word = 0;
    }

    const T4DecodeTables& tables_;
    uint64_t acc_ = 0; // undecoded bits, the next one in bit 0
    int bits_ = 0;     // valid bits in acc_
    Mode mode_ = Mode::Code;
    int colour_ = 0; // 0 white, 1 black
    bool waiting_ = true;
    int eolCount_ = 0;
    unsigned position_ = 0; // pixels in the line
    uint64_t word_ = 0;     // the pixels of the word that holds position_
    // 4096 pixels, and the word a last run may reach past byte 512 (pixels stay below 4103).
    std::array<uint8_t, kLineBufferBytes + 8> line_{};
};

template <class Sink> DecodeStatus T4Decoder::Feed(const uint8_t* data, size_t size, Sink& sink) {
    if (size == 0) {
        return DecodeStatus::NeedData;
    }
    // The state lives in locals while decoding, so that stores to the line cannot make the
    // compiler reload it.
    uint64_t acc = acc_;
    int bits = bits_;
    Mode mode = mode_;
    int colour = colour_;
    bool waiting = waiting_;
    int eolCount = eolCount_;
    unsigned position = position_;
    uint64_t word = word_;
    const auto save = [&] {
        acc_ = acc;
        bits_ = bits;
        mode_ = mode;
        colour_ = colour;
        waiting_ = waiting;
        eolCount_ = eolCount;
        position_ = position;
        word_ = word;
    };

    size_t next = 0; // next byte of data to load into acc
    // The stream bit in acc's bit 0, counted from the first bit of data (negative for bits
    // left over from the previous block).
    const auto bitIndex = [&] { return static_cast<int64_t>(next) * 8 - bits; };
    // Runs may be added while the line stays below 4096 pixels (and none before the first EOL).
    unsigned limit = waiting ? 0 : 8 * kLineBufferBytes;
    // Byte after which the sink and the EOL count are checked: the check is made before the
    // first leaf that ends in a later byte, or when the data runs out. After the first byte of
    // every block, and after every byte in which a line ended.
    int64_t checkAfter = 0;
    // The check due before a leaf whose last bit is lastBit; a status to stop with, or NeedData.
    const auto check = [&](int64_t lastBit) {
        if (checkAfter >= 0 && (lastBit >> 3) > checkAfter) {
            checkAfter = -1;
            if (!sink.AfterByte()) {
                return DecodeStatus::Stopped;
            }
            if (eolCount >= 3) {
                return DecodeStatus::EndOfPage;
            }
        }
        return DecodeStatus::NeedData;
    };
    const auto consume = [&](int n) {
        acc = n >= 64 ? 0 : acc >> n;
        bits -= n;
    };
    const auto white = [&](unsigned run) {
        const unsigned to = position + run;
        if ((to ^ position) >> 6) {
            Advance(position, to, word, 0);
        }
        position = to;
    };
    const auto black = [&](unsigned run) {
        const unsigned to = position + run;
        const uint64_t from = ~uint64_t{0} >> (position & 63);
        if (((to ^ position) >> 6) == 0) {
            word |= from & ~(~uint64_t{0} >> (to & 63));
        } else {
            word |= from;
            Advance(position, to, word, ~uint64_t{0});
            if (to & 63) {
                word = ~(~uint64_t{0} >> (to & 63));
            }
        }
        position = to;
    };
    // A run of the current colour, with the checks of the tree walk.
    const auto addRun = [&](unsigned run) {
        if (!waiting && (position >> 3) + (run >> 3) < kLineBufferBytes) {
            if (colour != 0) {
                black(run);
            } else {
                white(run);
            }
        }
    };
    const auto endOfLine = [&] {
        const unsigned bytes = position >> 3;
        if (position > 0 && (bytes == kNarrowLineBytes || bytes == kWideLineBytes)) {
            Store(position >> 6, word);
            sink.Line(line_.data(), static_cast<int>(bytes));
        }
        position = 0;
        word = 0;
        colour = 0;
        waiting = false;
        limit = 8 * kLineBufferBytes;
        ++eolCount;
        checkAfter = (bitIndex() - 1) >> 3;
    };

    const T4MultiEntry* const multi = tables_.multi.data();
    for (;;) {
        if (bits < 16) {
            if (next + 8 <= size) {
                uint64_t w;
                std::memcpy(&w, data + next, 8);
                if constexpr (std::endian::native == std::endian::big) {
                    w = __builtin_bswap64(w);
                }
                acc |= w << bits;
                const int take = (63 - bits) >> 3;
                bits += take * 8;
                next += static_cast<size_t>(take);
            } else {
                while (bits <= 55 && next < size) {
                    acc |= static_cast<uint64_t>(data[next++]) << bits;
                    bits += 8;
                }
            }
        }
        if (mode != Mode::Code) [[unlikely]] {
            if (mode == Mode::Skipping) {
                const int ones = std::countr_one(acc);
                if (ones >= bits) {
                    consume(bits);
                    if (next >= size) {
                        break;
                    }
                    continue;
                }
                consume(ones);
                mode = Mode::Code;
            } else {
                const int zeros = std::countr_zero(acc);
                if (zeros >= bits) {
                    consume(bits);
                    if (next >= size) {
                        break;
                    }
                    continue;
                }
                if (const auto stop = check(bitIndex() + zeros); stop != DecodeStatus::NeedData) {
                    save();
                    return stop;
                }
                consume(zeros + 1);
                mode = Mode::Code;
                endOfLine();
                continue;
            }
        }
        // Several short run codes at once, unless a check is due, the block runs out, or a run
        // might meet the checks of the tree walk (before the first EOL, near 4096 pixels).
        if (checkAfter < 0 && bits >= kT4MultiBits) [[likely]] {
            const T4MultiEntry m =
                multi[static_cast<unsigned>(colour) << kT4MultiBits | (acc & ((1u << kT4MultiBits) - 1))];
            if (m.bits > 0 && position + m.total < limit) [[likely]] {
                // Their pixels go into this word and maybe the next.
                const unsigned shift = position & 63;
                const uint64_t pixels = static_cast<uint64_t>(m.pattern) << 32;
                word |= pixels >> shift;
                const unsigned to = position + m.total;
                if ((to ^ position) >> 6) {
                    const uint64_t spill = shift > 32 ? pixels << (64 - shift) : 0;
                    Store(position >> 6, word);
                    const unsigned w1 = to >> 6;
                    word = spill;
                    for (unsigned w = (position >> 6) + 1; w < w1; ++w) {
                        Store(w, word); // a long white run: the spill, then white words
                        word = 0;
                    }
                }
                position = to;
                colour ^= m.flip;
                eolCount = 0;
                acc >>= m.bits;
                bits -= m.bits;
                continue;
            }
        }
        const T4ColourTable& table = tables_.colour[colour];
        T4TableEntry e = table.first[acc & ((1u << kT4FirstBits) - 1)];
        if (e.leaf == T4Leaf::Next) {
            e = table.second[e.value][(acc >> kT4FirstBits) & ((1u << kT4SecondBits) - 1)];
        }
        if (e.length > bits) [[unlikely]] {
            if (next >= size) {
                break; // the code word continues in the next block
            }
            continue;
        }
        if (checkAfter >= 0) [[unlikely]] {
            if (const auto stop = check(bitIndex() + e.length - 1); stop != DecodeStatus::NeedData) {
                save();
                return stop;
            }
        }
        consume(e.length);
        if (e.leaf <= T4Leaf::Makeup) [[likely]] {
            addRun(e.value);
            colour ^= e.leaf == T4Leaf::Terminating ? 1 : 0;
            eolCount = 0;
        } else if (e.leaf == T4Leaf::NoCode) {
            mode = Mode::Skipping;
        } else {
            mode = Mode::ZeroLoop;
        }
    }
    save();
    if (checkAfter >= 0) {
        if (!sink.AfterByte()) {
            return DecodeStatus::Stopped;
        }
        if (eolCount >= 3) {
            return DecodeStatus::EndOfPage;
        }
    }
    return DecodeStatus::NeedData;
}

} // namespace tolvane
