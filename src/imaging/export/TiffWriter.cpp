#include "imaging/export/TiffWriter.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>

namespace tolvane {
namespace {

// Tags of baseline bilevel images (TIFF 6.0 section 3) and of T.4 coding (section 11).
constexpr uint16_t kNewSubfileType = 254;
constexpr uint16_t kImageWidth = 256;
constexpr uint16_t kImageLength = 257;
constexpr uint16_t kBitsPerSample = 258;
constexpr uint16_t kCompression = 259;
constexpr uint16_t kPhotometric = 262;
constexpr uint16_t kFillOrder = 266;
constexpr uint16_t kStripOffsets = 273;
constexpr uint16_t kSamplesPerPixel = 277;
constexpr uint16_t kRowsPerStrip = 278;
constexpr uint16_t kStripByteCounts = 279;
constexpr uint16_t kXResolution = 282;
constexpr uint16_t kYResolution = 283;
constexpr uint16_t kT4Options = 292;
constexpr uint16_t kResolutionUnit = 296;
constexpr uint16_t kTiffRational = 5;
constexpr uint16_t kPhotometricMinIsWhite = 0;
constexpr uint16_t kResolutionUnitInch = 2;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> value; // little-endian bytes
};

Entry Short(uint16_t tag, uint32_t v) {
    Entry e{tag, kTiffShort, 1, {}};
    Put16(e.value, v);
    return e;
}

Entry Long(uint16_t tag, uint32_t v) {
    Entry e{tag, kTiffLong, 1, {}};
    Put32(e.value, v);
    return e;
}

Entry Rational(uint16_t tag, TiffRational r) {
    Entry e{tag, kTiffRational, 1, {}};
    Put32(e.value, r.numerator);
    Put32(e.value, r.denominator == 0 ? 1 : r.denominator);
    return e;
}

Entry Extra(const TiffExtraTag& t) {
    Entry e{t.tag, t.type, 0, {}};
    if (t.type == kTiffAscii) {
        e.value.assign(t.text.begin(), t.text.end());
        e.value.push_back(0);
        e.count = static_cast<uint32_t>(e.value.size());
        return e;
    }
    for (const uint32_t v : t.values) {
        if (t.type == kTiffShort) {
            Put16(e.value, v);
        } else {
            Put32(e.value, v);
        }
    }
    e.count = static_cast<uint32_t>(t.values.size());
    return e;
}

} // namespace

TiffWriter::TiffWriter() = default;
TiffWriter::~TiffWriter() {
    Close();
}

int TiffWriter::Create(const std::string& name) {
    pages_ = 0;
    inPage_ = false;
    linkPosition_ = 4;
    if (const int rc = file_.Create(name); rc < 0) {
        return rc;
    }
    out_ = std::make_unique<BufferedWriter>(file_);
    const uint8_t header[8] = {'I', 'I', 42, 0, 0, 0, 0, 0};
    return out_->Write(header, sizeof header);
}

int TiffWriter::BeginPage(const TiffPageInfo& info) {
    if (!out_ || inPage_) {
        return ecNotOpen;
    }
    page_ = info;
    stripOffset_ = out_->Position();
    stripBytes_ = 0;
    inPage_ = true;
    return ecOK;
}

int TiffWriter::WriteData(const void* data, size_t n) {
    if (!inPage_) {
        return ecNotOpen;
    }
    stripBytes_ += n;
    if (n < 16 * BufferedWriter::kBufferSize) {
        return out_->Write(data, n);
    }
    // A whole page raster goes to the file in one write, not through the buffer.
    const uint64_t end = out_->Position() + n;
    if (const int rc = out_->Flush(); rc < 0) {
        return rc;
    }
    if (const int rc = file_.WriteAll(data, n); rc < 0) {
        return rc;
    }
    out_->Reset(end);
    return ecOK;
}

int TiffWriter::EndPage(uint32_t rows) {
    if (!inPage_) {
        return ecNotOpen;
    }
    inPage_ = false;
    if (out_->Position() + stripBytes_ > 0xFFFFFFF0u) {
        return ecDiskFull; // beyond what 32-bit offsets reach
    }
    if (const int rc = WriteIfd(rows); rc < 0) {
        return rc;
    }
    ++pages_;
    return ecOK;
}

int TiffWriter::WriteIfd(uint32_t rows) {
    std::vector<Entry> entries{
        Long(kNewSubfileType, 0),
        Long(kImageWidth, page_.width),
        Long(kImageLength, rows),
        Short(kBitsPerSample, 1),
        Short(kCompression, static_cast<uint16_t>(page_.compression)),
        Short(kPhotometric, kPhotometricMinIsWhite),
        Short(kFillOrder, static_cast<uint16_t>(page_.fillOrder)),
        Long(kStripOffsets, static_cast<uint32_t>(stripOffset_)),
        Short(kSamplesPerPixel, 1),
        Long(kRowsPerStrip, rows),
        Long(kStripByteCounts, static_cast<uint32_t>(stripBytes_)),
        Rational(kXResolution, page_.xResolution),
        Rational(kYResolution, page_.yResolution),
        Short(kResolutionUnit, kResolutionUnitInch),
    };
    if (page_.compression == TiffCompression::CcittT4) {
        entries.push_back(Long(kT4Options, page_.t4Options));
    }
    for (const auto& t : page_.extraTags) {
        // An extra tag replaces a standard one of the same number.
        std::erase_if(entries, [&](const Entry& e) { return e.tag == t.tag; });
        entries.push_back(Extra(t));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });

    std::vector<uint8_t> bytes;
    if (out_->Position() % 2) {
        bytes.push_back(0); // IFDs begin on a word boundary
    }
    const uint64_t ifd = out_->Position() + bytes.size();
    const uint64_t valuesAt = ifd + 2 + 12 * entries.size() + 4;
    std::vector<uint8_t> values;
    Put16(bytes, static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
        Put16(bytes, e.tag);
        Put16(bytes, e.type);
        Put32(bytes, e.count);
        if (e.value.size() <= 4) {
            std::vector<uint8_t> inline4 = e.value;
            inline4.resize(4, 0);
            bytes.insert(bytes.end(), inline4.begin(), inline4.end());
        } else {
            Put32(bytes, static_cast<uint32_t>(valuesAt + values.size()));
            values.insert(values.end(), e.value.begin(), e.value.end());
            if (values.size() % 2) {
                values.push_back(0);
            }
        }
    }
    Put32(bytes, 0); // no next IFD yet
    bytes.insert(bytes.end(), values.begin(), values.end());
    if (const int rc = out_->Write(bytes.data(), bytes.size()); rc < 0) {
        return rc;
    }
    // Link the new IFD from the header or the previous IFD.
    const uint64_t end = out_->Position();
    std::vector<uint8_t> link;
    Put32(link, static_cast<uint32_t>(ifd));
    if (const int rc = out_->Seek(linkPosition_); rc < 0) {
        return rc;
    }
    if (const int rc = out_->Write(link.data(), link.size()); rc < 0) {
        return rc;
    }
    linkPosition_ = ifd + 2 + 12 * entries.size();
    return out_->Seek(end);
}

int TiffWriter::Close() {
    if (!out_) {
        return ecOK;
    }
    int rc = out_->Flush();
    out_.reset();
    if (const int closed = file_.Close(); rc >= 0) {
        rc = closed;
    }
    return rc;
}

} // namespace tolvane
