#include "imaging/unpack/UnpackerRecord.h"

#include "imaging/apf/ApfFile.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/BitmapBuilder.h"
#include "imaging/unpack/MonoStretch.h"

#include <algorithm>
#include <new>
#include <utility>

namespace tolvane {
namespace {

// Output nibble of half-width packing: bit k is input bit 2k OR 2k + 1.
constexpr std::array<uint8_t, 256> kHalfNibble = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned n = 0;
        for (unsigned k = 0; k < 4; ++k) {
            if ((b >> (6 - 2 * k)) & 3) { // the two pixels 2k, 2k + 1 from the left
                n |= 0x8u >> k;
            }
        }
        t[b] = static_cast<uint8_t>(n);
    }
    return t;
}();

bool AllZero(const uint8_t* data, int length) {
    return std::all_of(data, data + length, [](uint8_t b) { return b == 0; });
}

} // namespace

// The state of one page being unpacked; the decoder's sink.
class PageUnpack {
public:
    PageUnpack(UnpackerRecord& record, const std::string& fileName) : r_(record), fileName_(fileName) {}

    // Opens the file, then as Run(reader, page).
    int Run(unsigned page);
    int Run(ApfReader& reader, unsigned page);

    void Line(uint8_t* data, int length) {
        if (result_ < 0) {
            return;
        }
        if (r_.whitespaceFrom_ != 0 && r_.whitespaceTo_ != 0) {
            if (AllZero(data, length)) {
                ++r_.pendingBlank_;
                ++r_.linesProduced_;
                return;
            }
            const unsigned blank =
                r_.pendingBlank_ >= r_.whitespaceFrom_ ? r_.whitespaceTo_ : r_.pendingBlank_;
            r_.pendingBlank_ = 0;
            EmitBlank(blank);
        }
        PassOn(data, length);
        ++r_.linesProduced_;
    }

    bool AfterByte() {
        if (result_ < 0) {
            return false;
        }
        const bool yieldDue =
            firstByteOfBlock_ || (r_.linesProduced_ % 16 == 0 && r_.linesProduced_ != lastYield_);
        if (yieldDue) {
            lastYield_ = r_.linesProduced_;
            if ((r_.options_ & ufYield) && r_.yieldHook_) {
                if (const int rc = r_.yieldHook_(r_); rc < 0) {
                    result_ = rc;
                    return false;
                }
            }
            if (r_.abortHook_ && r_.abortHook_(r_)) {
                r_.options_ |= ufAbort;
            }
        }
        if (firstByteOfBlock_) {
            firstByteOfBlock_ = false;
            Status();
        }
        return (r_.options_ & ufAbort) == 0;
    }

private:
    int Sink(unsigned flags, const uint8_t* data, int length) {
        if (!r_.lineSink_) {
            return ecOK;
        }
        return r_.lineSink_(r_, flags, data, r_.pageNumber_, length);
    }

    void Hand(const uint8_t* data, int length) {
        if (result_ >= 0) {
            if (const int rc = Sink(ulfLine, data, length); rc < 0) {
                result_ = rc;
            }
        }
    }

    void EmitBlank(unsigned count) {
        for (unsigned i = 0; i < count && result_ >= 0; ++i) {
            PassOn(&blank_, 0);
        }
    }

    // Inversion and aspect correction, then the sink.
    void PassOn(uint8_t* data, int length) {
        if (r_.invert_) {
            for (int i = 0; i < length; ++i) {
                data[i] = static_cast<uint8_t>(~data[i]);
            }
        }
        if (r_.pageHeader_.Fine()) {
            Hand(data, length);
        } else if (r_.options_ & ufDoubleHeight) {
            Hand(data, length);
            Hand(data, length);
        } else if ((r_.options_ & ufHalfWidth) && length > 0) {
            const int half = length / 2;
            for (int j = 0; j < half; ++j) {
                r_.halfLine_[static_cast<size_t>(j)] =
                    static_cast<uint8_t>((kHalfNibble[data[2 * j]] << 4) | kHalfNibble[data[2 * j + 1]]);
            }
            Hand(r_.halfLine_.data(), half);
        } else {
            Hand(data, length);
        }
    }

    void Status() {
        if (r_.statusSink_) {
            r_.statusSink_(r_, fileName_, r_.pageNumber_, std::min(r_.bytesUnpacked_, r_.bytesToUnpack_),
                           r_.bytesToUnpack_);
        }
    }

    // Feeds one block; true while the page goes on.
    bool Feed(const uint8_t* data, size_t size) {
        if (size == 0) {
            return true;
        }
        firstByteOfBlock_ = true;
        const DecodeStatus status = r_.decoder_.Feed(data, size, *this);
        return status == DecodeStatus::NeedData;
    }

    int Decode(ApfReader& reader);

    UnpackerRecord& r_;
    const std::string& fileName_;
    int result_ = ecOK;
    bool firstByteOfBlock_ = false;
    unsigned lastYield_ = ~0u;
    uint8_t blank_ = 0;
};

int PageUnpack::Decode(ApfReader& reader) {
    const uint32_t limit = r_.pageHeader_.ImageLength; // 0: the data runs to the end of the file
    uint32_t read = 0;
    const auto atEnd = [&] { return limit > 0 && read >= limit; };
    const auto count = [&](uint32_t n) {
        read += n;
        r_.bytesUnpacked_ += n;
    };
    if (r_.pageHeader_.LengthWords()) {
        // Line records: a 2-byte length and that many bytes. The page ends at ImageLength, so a
        // page without its end-of-page record does not run into the next page's header.
        while (!atEnd()) {
            uint8_t word[2];
            if (const int rc = reader.ReadExact(word, 2); rc < 0) {
                return rc;
            }
            count(2);
            uint32_t length = word[0] | static_cast<uint32_t>(word[1]) << 8;
            if (limit > 0) {
                length = std::min(length, limit - std::min(limit, read));
            }
            while (length > 0) {
                const uint32_t chunk = std::min(length, static_cast<uint32_t>(r_.block_.size()));
                if (const int rc = reader.ReadExact(r_.block_.data(), chunk); rc < 0) {
                    return rc;
                }
                count(chunk);
                length -= chunk;
                if (!Feed(r_.block_.data(), chunk)) {
                    return result_;
                }
            }
        }
        return result_;
    }
    // A plain stream, in blocks of 4096 bytes that end at the page's end.
    while (!atEnd()) {
        size_t want = r_.block_.size();
        if (limit > 0) {
            want = std::min<size_t>(want, limit - read);
        }
        size_t got = 0;
        if (const int rc = reader.ReadSome(r_.block_.data(), want, got); rc < 0) {
            return rc;
        }
        if (got == 0) {
            return ecFaxBadFormat;
        }
        count(static_cast<uint32_t>(got));
        if (!Feed(r_.block_.data(), got)) {
            return result_;
        }
    }
    return result_;
}

int PageUnpack::Run(unsigned page) {
    if (fileName_.empty()) {
        return ecFileNotFound;
    }
    ApfReader reader;
    if (const int rc = reader.Open(fileName_); rc < 0) {
        return rc;
    }
    return Run(reader, page);
}

int PageUnpack::Run(ApfReader& reader, unsigned page) {
    r_.pageNumber_ = page;
    r_.pendingBlank_ = 0;
    r_.linesProduced_ = 0;
    r_.bytesUnpacked_ = 0;
    r_.bytesToUnpack_ = 0;
    r_.fileHeader_ = reader.Header();
    if (const int rc = reader.LocatePage(page, r_.pageHeader_); rc < 0) {
        return rc;
    }
    r_.bytesToUnpack_ = r_.pageHeader_.ImageLength;
    r_.decoder_.Reset();
    if (const int rc = Sink(ulfStartOfPage, nullptr, 0); rc < 0) {
        return rc;
    }
    if (const int rc = Decode(reader); rc < 0) {
        return rc;
    }
    Status();
    if (r_.pendingBlank_ > 0 && r_.whitespaceFrom_ != r_.whitespaceTo_) {
        EmitBlank(r_.pendingBlank_ < r_.whitespaceFrom_ ? r_.pendingBlank_ : r_.whitespaceTo_);
        if (result_ < 0) {
            return result_;
        }
    }
    return Sink(ulfEndOfPage, nullptr, 0);
}

UnpackerRecord::UnpackerRecord(UnpackLineSink sink, void* owner)
    : lineSink_(std::move(sink)), owner_(owner) {}

int CreateUnpacker(UnpackLineSink sink, void* owner, std::unique_ptr<UnpackerRecord>& record) {
    try {
        record = std::make_unique<UnpackerRecord>(std::move(sink), owner);
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    return ecOK;
}

void FreeUnpacker(std::unique_ptr<UnpackerRecord>& record) {
    record.reset();
}

void SetUnpackOptions(UnpackerRecord& record, uint16_t bits) {
    constexpr uint16_t both = ufDoubleHeight | ufHalfWidth;
    if ((bits & both) == both) {
        return;
    }
    if (((record.options_ | bits) & both) == both) {
        record.options_ = static_cast<uint16_t>(record.options_ & ~both);
    }
    record.options_ |= bits;
}

void ClearUnpackOptions(UnpackerRecord& record, uint16_t bits) {
    record.options_ = static_cast<uint16_t>(record.options_ & ~bits);
}

int SetWhitespace(UnpackerRecord& record, unsigned from, unsigned to) {
    if (from < to || (from == 0 && to != 0)) {
        return ecBadArgument;
    }
    record.whitespaceFrom_ = from;
    record.whitespaceTo_ = to;
    return ecOK;
}

void SetScaling(UnpackerRecord& record, unsigned horizMult, unsigned horizDiv, unsigned vertMult,
                unsigned vertDiv) {
    const auto one = [](unsigned v) { return v == 0 ? 1u : v; };
    record.horizMult_ = one(horizMult);
    record.horizDiv_ = one(horizDiv);
    record.vertMult_ = one(vertMult);
    record.vertDiv_ = one(vertDiv);
}

int ReadApfHeader(UnpackerRecord&, const std::string& fileName, ApfFileHeader& header) {
    if (fileName.empty()) {
        return ecFileNotFound;
    }
    return ReadApfHeader(fileName, header);
}

int ReadPageHeader(UnpackerRecord&, const std::string& fileName, unsigned page, ApfPageHeader& header) {
    if (fileName.empty()) {
        return ecFileNotFound;
    }
    ApfReader reader;
    if (const int rc = reader.Open(fileName); rc < 0) {
        return rc;
    }
    return reader.LocatePage(page, header);
}

int UnpackPage(UnpackerRecord& record, const std::string& fileName, unsigned page) {
    PageUnpack unpack(record, fileName);
    return unpack.Run(page);
}

int UnpackPage(UnpackerRecord& record, ApfReader& reader, const std::string& fileName, unsigned page) {
    PageUnpack unpack(record, fileName);
    return unpack.Run(reader, page);
}

int PageToBitmapHandle(UnpackerRecord& record, const std::string& fileName, unsigned page, bool invert,
                       UnpackedBitmap& result) {
    BitmapBuilder builder;
    MonoBitmap bitmap;
    UnpackLineSink saved = std::move(record.lineSink_);
    record.lineSink_ = [&](UnpackerRecord& r, unsigned flags, const uint8_t* data, unsigned, int length) {
        switch (flags) {
        case ulfStartOfPage:
            return builder.Start(r.pageHeader_.Wide() ? kWideLineBytes : kNarrowLineBytes, invert);
        case ulfEndOfPage:
            return builder.Finish(bitmap);
        default:
            return builder.Line(data, length);
        }
    };
    record.invert_ = invert;
    int rc = UnpackPage(record, fileName, page);
    record.lineSink_ = std::move(saved);
    record.invert_ = false;
    if (rc < 0) {
        return rc;
    }
    if (!bitmap.Empty() && (record.horizMult_ != record.horizDiv_ || record.vertMult_ != record.vertDiv_)) {
        const uint64_t width = static_cast<uint64_t>(record.horizMult_) *
                               static_cast<uint64_t>(bitmap.Width()) / record.horizDiv_;
        const uint64_t height = static_cast<uint64_t>(bitmap.Height()) * record.vertMult_ / record.vertDiv_;
        if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
            return ecCantMakeBitmap;
        }
        MonoBitmap scaled;
        rc = StretchMonoBitmap(bitmap, static_cast<int>(width), static_cast<int>(height), scaled);
        if (rc < 0) {
            return rc;
        }
        bitmap = std::move(scaled);
    }
    result.width = bitmap.Width();
    result.height = bitmap.Height();
    result.bitmap = std::move(bitmap);
    return ecOK;
}

} // namespace tolvane
