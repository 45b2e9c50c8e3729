// idPcx and idDcx input: monochrome PCX images; a DCX file is a table of PCX pages.
//
//   PCX header (128 bytes, little-endian)
//     0   1  manufacturer     10
//     1   1  version
//     2   1  encoding         1 (run-length)
//     3   1  bits per pixel   1
//     4   8  xmin, ymin, xmax, ymax (2 bytes each); width = xmax - xmin + 1 <= page width
//    12   4  horizontal and vertical resolution
//    16  48  colour map
//    64   1  reserved
//    65   1  planes           1 (0 in some old files)
//    66   2  bytes per line   at least (width + 7) / 8
//    68  60  palette info, filler
//   then the rows, run-length coded: a byte of 192 or more repeats the next byte (its low 6 bits
//   times); any other byte is itself. Bit value 1 = white. Runs may cross rows.
//
//   DCX: 4-byte magic 987654321, then up to 1023 4-byte offsets of PCX pages, ended by 0.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/InputBuffer.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tolvane {
namespace {

constexpr size_t kPcxHeaderSize = 128;
constexpr uint32_t kDcxMagic = 987654321;
constexpr size_t kMaxDcxPages = 1023;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// One PCX image read row by row from an input buffer.
class PcxImage {
public:
    // Reads the header at the buffer's position and checks it.
    int Start(InputBuffer& in, int pageWidth) {
        uint8_t h[kPcxHeaderSize];
        if (const int rc = in.Read(h, sizeof h); rc < 0) {
            return rc == ecDiskRead ? ecBadGraphicsFormat : rc;
        }
        const int xmin = Le16(h + 4), ymin = Le16(h + 6), xmax = Le16(h + 8), ymax = Le16(h + 10);
        width_ = xmax - xmin + 1;
        height_ = ymax - ymin + 1;
        bytesPerLine_ = Le16(h + 66);
        if (h[0] != 10 || h[2] != 1 || h[3] != 1 || h[65] > 1 || width_ < 1 || width_ > pageWidth ||
            height_ < 1 || bytesPerLine_ < (width_ + 7) / 8) {
            return ecBadGraphicsFormat;
        }
        row_ = 0;
        count_ = 0;
        return ecOK;
    }

    int Width() const { return width_; }
    bool Done() const { return row_ >= height_; }

    // Decodes one row; keeps its first (width + 7) / 8 bytes.
    int ReadRow(InputBuffer& in, uint8_t* row) {
        const int keep = (width_ + 7) / 8;
        int rc = ecOK;
        for (int i = 0; i < bytesPerLine_; ++i) {
            if (count_ == 0) {
                const int b = in.Get(rc);
                if (b < 0) {
                    return rc < 0 ? rc : ecDiskRead;
                }
                if (b >= 192) {
                    const int v = in.Get(rc);
                    if (v < 0) {
                        return rc < 0 ? rc : ecDiskRead;
                    }
                    count_ = b & 63;
                    value_ = static_cast<uint8_t>(v);
                    if (count_ == 0) {
                        --i; // a run of nothing
                        continue;
                    }
                } else {
                    count_ = 1;
                    value_ = static_cast<uint8_t>(b);
                }
            }
            --count_;
            if (i < keep) {
                row[i] = value_;
            }
        }
        ++row_;
        return ecOK;
    }

private:
    int width_ = 0;
    int height_ = 0;
    int bytesPerLine_ = 0;
    int row_ = 0;
    int count_ = 0; // bytes left of the current run
    uint8_t value_ = 0;
};

// Pages at the given offsets (one page at the current position for plain PCX).
class PcxReader : public InputReader {
public:
    explicit PcxReader(bool dcx) : dcx_(dcx) {}

    int Open(ConverterContext& ctx, const std::string& name) override {
        if (const int rc = in_.Open(name); rc < 0) {
            return rc;
        }
        ctx.bytesToConvert = static_cast<int64_t>(in_.Size());
        pages_.clear();
        if (dcx_) {
            if (const int rc = ReadPageTable(); rc < 0) {
                return rc;
            }
        } else {
            pages_.push_back(0);
        }
        page_ = 0;
        return StartPage(ctx);
    }

    int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) override {
        if (image_.Done()) {
            line.endOfPage = true;
            line.morePages = ++page_ < pages_.size();
            return line.morePages ? StartPage(ctx) : ecOK;
        }
        if (const int rc = image_.ReadRow(in_, row_.data()); rc < 0) {
            return rc;
        }
        PlaceRow(ctx, row_.data(), image_.Width(), RowSense::WhiteIsOne, raster);
        ctx.bytesConverted = static_cast<int64_t>(in_.Position());
        line.length = ctx.pageWidth / 8;
        return ecOK;
    }

    void Close(ConverterContext& /*ctx*/) override { in_.Close(); }

private:
    int ReadPageTable() {
        uint8_t magic[4];
        if (const int rc = in_.Read(magic, 4); rc < 0 || Le32(magic) != kDcxMagic) {
            return rc < 0 && rc != ecDiskRead ? rc : ecBadGraphicsFormat;
        }
        while (pages_.size() < kMaxDcxPages) {
            uint8_t entry[4];
            if (const int rc = in_.Read(entry, 4); rc < 0) {
                return rc == ecDiskRead ? ecBadGraphicsFormat : rc;
            }
            const uint32_t offset = Le32(entry);
            if (offset == 0) {
                break;
            }
            if (offset < 8 || offset >= in_.Size()) {
                return ecBadGraphicsFormat;
            }
            pages_.push_back(offset);
        }
        return pages_.empty() ? ecBadGraphicsFormat : ecOK;
    }

    int StartPage(ConverterContext& ctx) {
        if (const int rc = in_.Seek(pages_[page_]); rc < 0) {
            return rc;
        }
        if (const int rc = image_.Start(in_, ctx.pageWidth); rc < 0) {
            return rc;
        }
        DecidePageGeometry(ctx, image_.Width());
        return ecOK;
    }

    bool dcx_;
    InputBuffer in_{16384};
    std::vector<uint32_t> pages_;
    size_t page_ = 0;
    PcxImage image_;
    std::array<uint8_t, kRasterBufferSize> row_{};
};

} // namespace

std::unique_ptr<InputReader> MakePcxReader() {
    return std::make_unique<PcxReader>(false);
}

std::unique_ptr<InputReader> MakeDcxReader() {
    return std::make_unique<PcxReader>(true);
}

} // namespace tolvane
