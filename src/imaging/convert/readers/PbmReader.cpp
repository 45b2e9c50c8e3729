// idPbm input: netpbm PBM images, raw (P4) or plain (P1); every image of the file is a page.
//
//   "P4" or "P1", whitespace, width, whitespace, height (decimal), then
//     P4: one whitespace character and height rows of (width + 7) / 8 bytes, most significant
//         bit first, 1 = black, the last byte of a row padded;
//     P1: width * height characters '0' (white) and '1' (black), whitespace between allowed.
//   '#' starts a comment up to the end of the line wherever whitespace may stand in the header.
//   Further images may follow, each with its own header; whitespace between images is skipped.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/InputBuffer.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"

#include <array>

namespace tolvane {
namespace {

constexpr int kMaxDimension = 1 << 24;

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

class PbmReader : public InputReader {
public:
    int Open(ConverterContext& ctx, const std::string& name) override {
        if (const int rc = in_.Open(name); rc < 0) {
            return rc;
        }
        ctx.bytesToConvert = static_cast<int64_t>(in_.Size());
        return StartImage(ctx);
    }

    int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) override {
        if (row_ >= height_) {
            line.endOfPage = true;
            int rc = ecOK;
            int c = in_.Peek(rc);
            while (IsSpace(c)) {
                in_.Get(rc);
                c = in_.Peek(rc);
            }
            if (rc < 0) {
                return rc;
            }
            line.morePages = c >= 0;
            return line.morePages ? StartImage(ctx) : ecOK;
        }
        const int rc = plain_ ? ReadPlainRow() : in_.Read(rowBuffer_.data(), rowBytes_);
        if (rc < 0) {
            return rc;
        }
        PlaceRow(ctx, rowBuffer_.data(), width_, RowSense::BlackIsOne, raster);
        ++row_;
        ctx.bytesConverted = static_cast<int64_t>(in_.Position());
        line.length = ctx.pageWidth / 8;
        return ecOK;
    }

    void Close(ConverterContext& /*ctx*/) override { in_.Close(); }

private:
    int StartImage(ConverterContext& ctx) {
        int rc = ecOK;
        const int p = in_.Get(rc);
        const int kind = in_.Get(rc);
        if (rc < 0) {
            return rc;
        }
        if (p != 'P' || (kind != '1' && kind != '4')) {
            return ecBadGraphicsFormat;
        }
        plain_ = kind == '1';
        if (const int r = ReadNumber(width_); r < 0) {
            return r;
        }
        if (const int r = ReadNumber(height_); r < 0) {
            return r;
        }
        if (width_ < 1 || width_ > ctx.pageWidth || height_ < 1) {
            return ecBadGraphicsFormat;
        }
        if (!plain_ && !IsSpace(in_.Get(rc))) {
            return rc < 0 ? rc : ecBadGraphicsFormat;
        }
        rowBytes_ = static_cast<size_t>(width_ + 7) / 8;
        row_ = 0;
        DecidePageGeometry(ctx, width_);
        return ecOK;
    }

    // Skips whitespace and comments, then reads a decimal number.
    int ReadNumber(int& value) {
        int rc = ecOK;
        int c = in_.Get(rc);
        for (;;) {
            if (c == '#') {
                while (c >= 0 && c != '\n' && c != '\r') {
                    c = in_.Get(rc);
                }
            } else if (IsSpace(c)) {
                c = in_.Get(rc);
            } else {
                break;
            }
        }
        if (c < '0' || c > '9') {
            return rc < 0 ? rc : ecBadGraphicsFormat;
        }
        value = 0;
        while (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (value > kMaxDimension) {
                return ecBadGraphicsFormat;
            }
            if (in_.Peek(rc) < '0' || in_.Peek(rc) > '9') {
                break;
            }
            c = in_.Get(rc);
        }
        return rc;
    }

    int ReadPlainRow() {
        rowBuffer_.fill(0);
        int rc = ecOK;
        for (int x = 0; x < width_; ++x) {
            int c = in_.Get(rc);
            while (IsSpace(c)) {
                c = in_.Get(rc);
            }
            if (c == '1') {
                rowBuffer_[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else if (c != '0') {
                return rc < 0 ? rc : c < 0 ? ecDiskRead : ecBadGraphicsFormat;
            }
        }
        return ecOK;
    }

    InputBuffer in_;
    bool plain_ = false;
    int width_ = 0;
    int height_ = 0;
    size_t rowBytes_ = 0;
    int row_ = 0;
    std::array<uint8_t, kMaxCodedWidth / 8> rowBuffer_{};
};

} // namespace

std::unique_ptr<InputReader> MakePbmReader() {
    return std::make_unique<PbmReader>();
}

} // namespace tolvane
