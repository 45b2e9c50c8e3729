// idTiff input: the first image of a bilevel TIFF file, uncompressed or PackBits, strip by strip.
//
//   Header (8 bytes)
//     0  2  byte order          "II" little-endian, "MM" big-endian
//     2  2  42
//     4  4  offset of the first image file directory (IFD)
//   IFD: 2-byte entry count, then 12-byte entries sorted by tag
//     0  2  tag
//     2  2  type                1 BYTE, 3 SHORT, 4 LONG
//     4  4  count
//     8  4  the values when they fit in 4 bytes, else their offset
//
//   Tags used                   required  accepted values
//     256 ImageWidth            yes
//     257 ImageLength           yes
//     258 BitsPerSample         no        1 (default 1)
//     259 Compression           no        1 none, 32773 PackBits (default 1)
//     262 Photometric           no        0 WhiteIsZero; any other value inverts the data
//     266 FillOrder             no        1, or 2 for bits stored least significant first
//     273 StripOffsets          yes
//     277 SamplesPerPixel       no        1
//     278 RowsPerStrip          no        default: all rows in one strip
//     279 StripByteCounts       no        default: up to the end of the file (PackBits) or the
//                                         rows of the strip (uncompressed)
// Anything else is -8002; data outside the file is -8002, data ending early -100.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/InputBuffer.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <array>

namespace tolvane {
namespace {

constexpr uint16_t kTagWidth = 256;
constexpr uint16_t kTagLength = 257;
constexpr uint16_t kTagBitsPerSample = 258;
constexpr uint16_t kTagCompression = 259;
constexpr uint16_t kTagPhotometric = 262;
constexpr uint16_t kTagFillOrder = 266;
constexpr uint16_t kTagStripOffsets = 273;
constexpr uint16_t kTagSamplesPerPixel = 277;
constexpr uint16_t kTagRowsPerStrip = 278;
constexpr uint16_t kTagStripByteCounts = 279;

constexpr uint32_t kCompressionNone = 1;
constexpr uint32_t kCompressionPackBits = 32773;

// One directory entry: where its values are.
struct TiffField {
    bool present = false;
    uint16_t type = 0;
    uint32_t count = 0;
    std::array<uint8_t, 4> inlineBytes{};
    uint32_t offset = 0;

    size_t ValueSize() const { return type == 3 ? 2 : type == 4 ? 4 : 1; }
    bool Inline() const { return static_cast<uint64_t>(count) * ValueSize() <= 4; }
};

uint8_t Reversed(uint8_t b) {
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

bool Used(uint16_t tag) {
    switch (tag) {
    case kTagWidth:
    case kTagLength:
    case kTagBitsPerSample:
    case kTagCompression:
    case kTagPhotometric:
    case kTagFillOrder:
    case kTagStripOffsets:
    case kTagSamplesPerPixel:
    case kTagRowsPerStrip:
    case kTagStripByteCounts:
        return true;
    default:
        return false;
    }
}

class TiffReader : public InputReader {
public:
    int Open(ConverterContext& ctx, const std::string& name) override {
        if (const int rc = in_.Open(name); rc < 0) {
            return rc;
        }
        ctx.bytesToConvert = static_cast<int64_t>(in_.Size());
        if (const int rc = ReadDirectory(); rc < 0) {
            return rc;
        }
        row_ = 0;
        strip_ = 0;
        rowsLeftInStrip_ = 0;
        DecidePageGeometry(ctx, static_cast<int>(std::min<uint32_t>(width_, 1u << 20)));
        return ecOK;
    }

    int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) override {
        if (row_ >= length_) {
            line.endOfPage = true;
            line.morePages = false;
            return ecOK;
        }
        if (rowsLeftInStrip_ == 0) {
            if (const int rc = StartStrip(); rc < 0) {
                return rc;
            }
        }
        const size_t keep = std::min(rowBytes_, rowBuffer_.size());
        const int rc = packBits_ ? UnpackRow(keep) : CopyRow(keep);
        if (rc < 0) {
            return rc;
        }
        if (reverseBits_ && !packBits_) {
            for (size_t i = 0; i < keep; ++i) {
                rowBuffer_[i] = Reversed(rowBuffer_[i]);
            }
        }
        const int pixels = static_cast<int>(std::min<uint64_t>(width_, keep * 8));
        PlaceRow(ctx, rowBuffer_.data(), pixels, invert_ ? RowSense::WhiteIsOne : RowSense::BlackIsOne,
                 raster);
        ++row_;
        --rowsLeftInStrip_;
        ctx.bytesConverted = static_cast<int64_t>(in_.Position());
        line.length = ctx.pageWidth / 8;
        return ecOK;
    }

    void Close(ConverterContext& /*ctx*/) override { in_.Close(); }

private:
    uint16_t U16(const uint8_t* p) const {
        return bigEndian_ ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
    }
    uint32_t U32(const uint8_t* p) const {
        return bigEndian_ ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                          : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }

    int ReadDirectory() {
        uint8_t header[8];
        if (const int rc = in_.Read(header, sizeof header); rc < 0) {
            return rc == ecDiskRead ? ecBadGraphicsFormat : rc;
        }
        if ((header[0] != 'I' || header[1] != 'I') && (header[0] != 'M' || header[1] != 'M')) {
            return ecBadGraphicsFormat;
        }
        bigEndian_ = header[0] == 'M';
        if (U16(header + 2) != 42) {
            return ecBadGraphicsFormat;
        }
        const uint32_t ifd = U32(header + 4);
        uint8_t countBytes[2];
        if (ifd < 8 || ifd > in_.Size() || in_.Seek(ifd) < 0 || in_.Read(countBytes, 2) < 0) {
            return ecBadGraphicsFormat;
        }
        fields_ = {};
        for (unsigned n = U16(countBytes); n > 0; --n) {
            uint8_t e[12];
            if (in_.Read(e, sizeof e) < 0) {
                return ecBadGraphicsFormat;
            }
            const uint16_t tag = U16(e);
            if (!Used(tag)) {
                continue;
            }
            TiffField& f = fields_[tag - kTagWidth];
            f.present = true;
            f.type = U16(e + 2);
            f.count = U32(e + 4);
            std::copy(e + 8, e + 12, f.inlineBytes.begin());
            f.offset = U32(e + 8);
            if (f.count == 0 || (f.type != 1 && f.type != 3 && f.type != 4) ||
                (!f.Inline() &&
                 static_cast<uint64_t>(f.offset) + uint64_t{f.count} * f.ValueSize() > in_.Size())) {
                return ecBadGraphicsFormat;
            }
        }
        const TiffField& offsets = Field(kTagStripOffsets);
        if (!Field(kTagWidth).present || !Field(kTagLength).present || !offsets.present) {
            return ecBadGraphicsFormat;
        }
        uint32_t bits = 1, samples = 1, compression = kCompressionNone, photometric = 0, fill = 1;
        if (ValueOr(kTagBitsPerSample, 1, bits) < 0 || ValueOr(kTagSamplesPerPixel, 1, samples) < 0 ||
            ValueOr(kTagCompression, kCompressionNone, compression) < 0 ||
            ValueOr(kTagPhotometric, 0, photometric) < 0 || ValueOr(kTagFillOrder, 1, fill) < 0 ||
            ValueOr(kTagWidth, 0, width_) < 0 || ValueOr(kTagLength, 0, length_) < 0 ||
            ValueOr(kTagRowsPerStrip, 0xFFFFFFFF, rowsPerStrip_) < 0) {
            return ecBadGraphicsFormat;
        }
        if (bits != 1 || samples != 1 ||
            (compression != kCompressionNone && compression != kCompressionPackBits) ||
            (fill != 1 && fill != 2) || width_ == 0 || length_ == 0 || rowsPerStrip_ == 0) {
            return ecBadGraphicsFormat;
        }
        packBits_ = compression == kCompressionPackBits;
        invert_ = photometric != 0;
        reverseBits_ = fill == 2;
        rowBytes_ = (static_cast<size_t>(width_) + 7) / 8;
        rowsPerStrip_ = std::min(rowsPerStrip_, length_);
        const uint64_t strips = (uint64_t{length_} + rowsPerStrip_ - 1) / rowsPerStrip_;
        const TiffField& counts = Field(kTagStripByteCounts);
        if (offsets.count < strips || (counts.present && counts.count < strips)) {
            return ecBadGraphicsFormat;
        }
        return ecOK;
    }

    const TiffField& Field(uint16_t tag) const { return fields_[tag - kTagWidth]; }

    // Value i of a field.
    int Value(const TiffField& f, uint32_t i, uint32_t& value) {
        const size_t size = f.ValueSize();
        uint8_t bytes[4];
        if (f.Inline()) {
            std::copy(f.inlineBytes.begin() + static_cast<long>(i * size),
                      f.inlineBytes.begin() + static_cast<long>((i + 1) * size), bytes);
        } else {
            if (const int rc = in_.Seek(uint64_t{f.offset} + uint64_t{i} * size); rc < 0) {
                return rc;
            }
            if (const int rc = in_.Read(bytes, size); rc < 0) {
                return rc;
            }
        }
        value = size == 1 ? bytes[0] : size == 2 ? U16(bytes) : U32(bytes);
        return ecOK;
    }

    int ValueOr(uint16_t tag, uint32_t fallback, uint32_t& value) {
        const TiffField& f = Field(tag);
        if (!f.present) {
            value = fallback;
            return ecOK;
        }
        return Value(f, 0, value);
    }

    int StartStrip() {
        uint32_t offset = 0;
        if (const int rc = Value(Field(kTagStripOffsets), strip_, offset); rc < 0) {
            return rc;
        }
        rowsLeftInStrip_ = std::min(rowsPerStrip_, length_ - row_);
        uint64_t count = 0;
        if (Field(kTagStripByteCounts).present) {
            uint32_t c = 0;
            if (const int rc = Value(Field(kTagStripByteCounts), strip_, c); rc < 0) {
                return rc;
            }
            count = c;
        } else if (packBits_) {
            count = offset < in_.Size() ? in_.Size() - offset : 0;
        } else {
            count = uint64_t{rowsLeftInStrip_} * rowBytes_;
        }
        if (uint64_t{offset} + count > in_.Size() ||
            (!packBits_ && count < uint64_t{rowsLeftInStrip_} * rowBytes_)) {
            return ecBadGraphicsFormat;
        }
        ++strip_;
        stripBytesLeft_ = count; // bounds PackBits data
        literal_ = repeat_ = 0;
        return in_.Seek(offset);
    }

    // Uncompressed: the row's first bytes, the rest skipped.
    int CopyRow(size_t keep) {
        if (const int rc = in_.Read(rowBuffer_.data(), keep); rc < 0) {
            return rc;
        }
        return rowBytes_ > keep ? in_.Seek(in_.Position() + (rowBytes_ - keep)) : ecOK;
    }

    // Next byte of the strip's coded data (bit-reversed for fill order 2, which applies to the
    // coded bytes): -8002 past the strip's byte count, -100 past the end of the file.
    int NextCoded(int& value) {
        if (stripBytesLeft_ == 0) {
            return ecBadGraphicsFormat;
        }
        int rc = ecOK;
        value = in_.Get(rc);
        if (value < 0) {
            return rc < 0 ? rc : ecDiskRead;
        }
        --stripBytesLeft_;
        if (reverseBits_) {
            value = Reversed(static_cast<uint8_t>(value));
        }
        return ecOK;
    }

    // PackBits: a signed count byte n, then n + 1 literal bytes (n >= 0) or one byte repeated
    // 1 - n times (n < 0, -128 is a no-op). Runs may cross rows.
    int UnpackRow(size_t keep) {
        for (size_t i = 0; i < rowBytes_; ++i) {
            while (literal_ == 0 && repeat_ == 0) {
                int n = 0;
                if (const int rc = NextCoded(n); rc < 0) {
                    return rc;
                }
                if (n < 128) {
                    literal_ = static_cast<unsigned>(n) + 1;
                } else if (n > 128) {
                    int v = 0;
                    if (const int rc = NextCoded(v); rc < 0) {
                        return rc;
                    }
                    repeat_ = 257u - static_cast<unsigned>(n);
                    repeatByte_ = static_cast<uint8_t>(v);
                }
            }
            uint8_t b = repeatByte_;
            if (literal_ > 0) {
                int v = 0;
                if (const int rc = NextCoded(v); rc < 0) {
                    return rc;
                }
                --literal_;
                b = static_cast<uint8_t>(v);
            } else {
                --repeat_;
            }
            if (i < keep) {
                rowBuffer_[i] = b;
            }
        }
        return ecOK;
    }

    InputBuffer in_;
    std::array<TiffField, kTagStripByteCounts - kTagWidth + 1> fields_{};
    bool bigEndian_ = false;
    bool packBits_ = false;
    bool invert_ = false;
    bool reverseBits_ = false;
    uint32_t width_ = 0;
    uint32_t length_ = 0;
    uint32_t rowsPerStrip_ = 0;
    size_t rowBytes_ = 0;
    std::array<uint8_t, kRasterBufferSize> rowBuffer_{};
    uint32_t row_ = 0;
    uint32_t strip_ = 0;
    uint32_t rowsLeftInStrip_ = 0;
    uint64_t stripBytesLeft_ = 0;
    unsigned literal_ = 0;
    unsigned repeat_ = 0;
    uint8_t repeatByte_ = 0;
};

} // namespace

std::unique_ptr<InputReader> MakeTiffReader() {
    return std::make_unique<TiffReader>();
}

} // namespace tolvane
