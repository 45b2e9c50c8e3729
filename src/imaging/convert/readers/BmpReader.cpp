// idBmp input: Windows BMP files. 1-bit bitmaps are taken as they are; bitmaps with more bits
// per pixel are dithered to black and white row by row as they are read.
//
//   File header (14 bytes, little-endian)
//     0   2  "BM"
//     2   4  file size
//     6   4  reserved
//    10   4  offset of the pixel rows
//   Information header (at 14)
//     0   4  header size       40 (108 and 124 for the V4 and V5 headers that extend it)
//     4   4  width             1 .. page width
//     8   4  height            rows stored bottom-up; negative: top-down
//    12   2  planes            1
//    14   2  bits per pixel    1, 4, 8 (colour table), 16 (5-5-5), 24, 32 (blue, green, red)
//    16   4  compression       0 (none)
//    20  20  image size, resolution, colours used (32), colours important
//   Colour table behind the information header: 4-byte entries blue, green, red, 0; colours
//   used entries, or 2^bits when 0. Each row is padded to a multiple of 4 bytes.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/io/BinaryFile.h"

#include <array>
#include <cstdlib>

namespace tolvane {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// 16 x 16 threshold matrix: M[i][j] = 4 * f(i, j), f built in four steps of
// f = 2f | 2((i xor j) and 1) | (j and 1) with i and j shifted right after each step.
struct DitherMatrix {
    std::array<std::array<uint8_t, 16>, 16> m{};
    DitherMatrix() {
        for (unsigned i0 = 0; i0 < 16; ++i0) {
            for (unsigned j0 = 0; j0 < 16; ++j0) {
                unsigned f = 0, i = i0, j = j0;
                for (int step = 0; step < 4; ++step) {
                    f = (2 * f) | (2 * ((i ^ j) & 1)) | (j & 1);
                    i >>= 1;
                    j >>= 1;
                }
                m[i0][j0] = static_cast<uint8_t>(4 * f);
            }
        }
    }
};

const DitherMatrix& Matrix() {
    static const DitherMatrix matrix;
    return matrix;
}

class BmpReader : public InputReader {
public:
    int Open(ConverterContext& ctx, const std::string& name) override {
        if (const int rc = file_.Open(name); rc < 0) {
            return rc;
        }
        if (const int rc = ReadHeaders(ctx.pageWidth); rc < 0) {
            return rc;
        }
        ctx.bytesToConvert = static_cast<int64_t>(stride_) * height_;
        row_ = 0;
        DecidePageGeometry(ctx, width_);
        return ecOK;
    }

    int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) override {
        if (row_ >= height_) {
            line.endOfPage = true;
            line.morePages = false;
            return ecOK;
        }
        const int stored = topDown_ ? row_ : height_ - 1 - row_;
        if (const int rc = file_.Seek(pixelOffset_ + static_cast<uint64_t>(stored) * stride_); rc < 0) {
            return rc;
        }
        if (const int rc = file_.ReadExact(pixels_.data(), stride_); rc < 0) {
            return rc;
        }
        if (bits_ == 1) {
            PlaceRow(ctx, pixels_.data(), width_, zeroIsBlack_ ? RowSense::WhiteIsOne : RowSense::BlackIsOne,
                     raster);
        } else {
            Dither(row_);
            PlaceRow(ctx, mono_.data(), width_, RowSense::BlackIsOne, raster);
        }
        ++row_;
        ctx.bytesConverted += stride_;
        line.length = ctx.pageWidth / 8;
        return ecOK;
    }

    void Close(ConverterContext& /*ctx*/) override { file_.Close(); }

private:
    int ReadHeaders(int pageWidth) {
        uint8_t h[kFileHeaderSize + kInfoHeaderSize];
        if (const int rc = file_.ReadExact(h, sizeof h); rc < 0) {
            return rc == ecDiskRead ? ecBadGraphicsFormat : rc;
        }
        const uint8_t* info = h + kFileHeaderSize;
        const uint32_t infoSize = Le32(info);
        const auto width = static_cast<int32_t>(Le32(info + 4));
        const auto height = static_cast<int32_t>(Le32(info + 8));
        bits_ = Le16(info + 14);
        if (h[0] != 'B' || h[1] != 'M' || infoSize < kInfoHeaderSize || infoSize > 4096 ||
            Le16(info + 12) != 1 || Le32(info + 16) != 0 || width < 1 || width > pageWidth || height == 0 ||
            height == INT32_MIN ||
            (bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 16 && bits_ != 24 && bits_ != 32)) {
            return ecBadGraphicsFormat;
        }
        width_ = width;
        height_ = std::abs(height);
        topDown_ = height < 0;
        stride_ = ((static_cast<size_t>(width_) * bits_ + 31) / 32) * 4;
        pixelOffset_ = Le32(h + 10);
        uint64_t size = 0;
        if (const int rc = file_.Size(size); rc < 0) {
            return rc;
        }
        if (pixelOffset_ + static_cast<uint64_t>(stride_) * static_cast<uint64_t>(height_) > size) {
            return ecBadGraphicsFormat;
        }
        if (bits_ <= 8) {
            uint32_t colours = Le32(info + 32);
            const uint32_t maxColours = 1u << bits_;
            if (colours == 0 || colours > maxColours) {
                colours = maxColours;
            }
            uint8_t table[4 * 256];
            if (file_.Seek(kFileHeaderSize + infoSize) < 0 ||
                file_.ReadExact(table, 4 * size_t{colours}) < 0) {
                return ecBadGraphicsFormat;
            }
            grey_.fill(0);
            for (uint32_t c = 0; c < colours; ++c) {
                grey_[c] = static_cast<uint8_t>((table[4 * c] + table[4 * c + 1] + table[4 * c + 2]) / 3);
            }
            // 1 bit: the darker of the two colours is black (the usual table has black first).
            zeroIsBlack_ = colours < 2 || grey_[0] <= grey_[1];
        }
        return ecOK;
    }

    // Grey (red + green + blue) div 3 of pixel x of the row read.
    unsigned Grey(int x) const {
        const uint8_t* p = pixels_.data();
        switch (bits_) {
        case 4:
            return grey_[(p[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
        case 8:
            return grey_[p[x]];
        case 16: {
            const unsigned v = Le16(p + 2 * x);
            const unsigned r = (v >> 10 & 31) * 255 / 31, g = (v >> 5 & 31) * 255 / 31,
                           b = (v & 31) * 255 / 31;
            return (r + g + b) / 3;
        }
        case 24:
            return (unsigned{p[3 * x]} + p[3 * x + 1] + p[3 * x + 2]) / 3;
        default:
            return (unsigned{p[4 * x]} + p[4 * x + 1] + p[4 * x + 2]) / 3;
        }
    }

    // Pixel (x, y) is white when its grey is above M[x mod 16][y mod 16].
    void Dither(int y) {
        const auto& m = Matrix().m;
        mono_.fill(0);
        for (int x = 0; x < width_; ++x) {
            if (Grey(x) <= m[static_cast<size_t>(x % 16)][static_cast<size_t>(y % 16)]) {
                mono_[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }

    BinaryFile file_;
    int width_ = 0;
    int height_ = 0;
    bool topDown_ = false;
    unsigned bits_ = 0;
    size_t stride_ = 0;
    uint64_t pixelOffset_ = 0;
    std::array<uint8_t, 256> grey_{};
    bool zeroIsBlack_ = true;
    int row_ = 0;
    std::array<uint8_t, 4 * kMaxCodedWidth> pixels_{}; // a row of up to 4096 pixels of 32 bits
    std::array<uint8_t, kMaxCodedWidth / 8> mono_{};
};

} // namespace

std::unique_ptr<InputReader> MakeBmpReader() {
    return std::make_unique<BmpReader>();
}

} // namespace tolvane
