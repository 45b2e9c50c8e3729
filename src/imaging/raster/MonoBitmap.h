// A 1-bit-per-pixel bitmap as a monochrome device bitmap stores it: rows top to bottom, each
// row padded to a whole number of 16-bit words, leftmost pixel in the most significant bit,
// bit value 1 = white. (Raster lines of the T.4 coder use the opposite sense: 1 = black.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

class MonoBitmap {
public:
    MonoBitmap() = default;
    // An all-white bitmap.
    MonoBitmap(int width, int height);

    // Bytes per row for a width: rounded up to an even number of bytes.
    static int RowBytesFor(int width) { return ((width + 15) / 16) * 2; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int RowBytes() const { return rowBytes_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(rowBytes_); }
    const uint8_t* Row(int y) const {
        return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(rowBytes_);
    }
    std::vector<uint8_t>& Bits() { return bits_; }
    const std::vector<uint8_t>& Bits() const { return bits_; }

    bool IsBlack(int x, int y) const { return (Row(y)[x >> 3] & (0x80 >> (x & 7))) == 0; }
    void SetBlack(int x, int y, bool black = true) {
        uint8_t& b = Row(y)[x >> 3];
        const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
        b = black ? static_cast<uint8_t>(b & ~mask) : static_cast<uint8_t>(b | mask);
    }

    // Takes rows already in this layout (rowBytes must be even and cover the width).
    static MonoBitmap FromBits(int width, int height, int rowBytes, std::vector<uint8_t> bits);

private:
    int width_ = 0;
    int height_ = 0;
    int rowBytes_ = 0;
    std::vector<uint8_t> bits_;
};

} // namespace tolvane
