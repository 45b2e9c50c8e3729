#include "imaging/unpack/FaxUnpacker.h"

#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"

#include <filesystem>

namespace tolvane {

void TCustomFaxUnpacker::SetOptions(TUnpackerOptions options) {
    if (record_) {
        if (options.Has(TUnpackerOption::uoYield)) {
            SetUnpackOptions(*record_, ufYield);
        } else {
            ClearUnpackOptions(*record_, ufYield);
        }
        if (options.Has(TUnpackerOption::uoAbort)) {
            SetUnpackOptions(*record_, ufAbort);
        }
    }
    options_ = options;
}

// File names differ when any character does: on this system letter case tells files apart.
void TCustomFaxUnpacker::SetInFileName(const std::string& name) {
    if (name == inFileName_) {
        return;
    }
    inFileName_ = name;
    outFileName_ = std::filesystem::path(name).replace_extension().string();
}

bool TCustomFaxUnpacker::PrepareRecord() {
    record_.reset();
    std::unique_ptr<UnpackerRecord> record;
    const int rc = CreateUnpacker(
        [this](UnpackerRecord&, unsigned flags, const uint8_t* data, unsigned page, int length) {
            DoOutputLine(flags == ulfStartOfPage, flags == ulfEndOfPage, data, length,
                         static_cast<int>(page));
            return ecOK;
        },
        this, record);
    if (RaiseOnError(this, rc) < 0) {
        return false;
    }
    record->SetStatusSink([this](UnpackerRecord&, const std::string& name, unsigned page, uint32_t done,
                                 uint32_t total) { DoStatus(name, static_cast<int>(page), done, total); });
    record->SetYieldHook([this](UnpackerRecord&) { return DoYield(); });
    ClearUnpackOptions(*record, 0xFFFF);
    if (options_.Has(TUnpackerOption::uoYield)) {
        SetUnpackOptions(*record, ufYield);
    }
    if (autoScaleMode_ == TAutoScaleMode::asDoubleHeight) {
        SetUnpackOptions(*record, ufDoubleHeight);
    } else if (autoScaleMode_ == TAutoScaleMode::asHalfWidth) {
        SetUnpackOptions(*record, ufHalfWidth);
    }
    if (whitespaceCompression_ &&
        RaiseOnError(this, SetWhitespace(*record, whitespaceFrom_, whitespaceTo_)) < 0) {
        return false;
    }
    if (scaling_) {
        tolvane::SetScaling(*record, horizMult_, horizDiv_, vertMult_, vertDiv_);
    }
    record_ = std::move(record);
    return true;
}

int TCustomFaxUnpacker::CountPages() {
    if (!PrepareRecord()) {
        return 0;
    }
    ApfFileHeader header;
    if (ReadApfHeader(*record_, inFileName_, header) < 0) {
        return 0;
    }
    return header.PageCount;
}

int TCustomFaxUnpacker::ReadFirstPageFlags(uint16_t& flags) {
    flags = 0;
    if (!PrepareRecord()) {
        return ecOK;
    }
    ApfPageHeader page;
    const int rc = RaiseOnError(this, ReadPageHeader(*record_, inFileName_, 1, page));
    if (rc >= 0) {
        flags = page.PageFlags;
    }
    return rc;
}

bool TCustomFaxUnpacker::FirstPageFine() {
    uint16_t flags;
    ReadFirstPageFlags(flags);
    return (flags & apfFineResolution) != 0;
}

bool TCustomFaxUnpacker::FirstPageWide() {
    uint16_t flags;
    ReadFirstPageFlags(flags);
    return (flags & apfWideWidth) != 0;
}

MonoBitmap TCustomFaxUnpacker::PageToBitmap(int page) {
    if (!PrepareRecord()) {
        return {};
    }
    UnpackedBitmap result;
    const unsigned number = page < 0 ? 0 : static_cast<unsigned>(page);
    if (RaiseOnError(this, PageToBitmapHandle(*record_, inFileName_, number, true, result)) < 0) {
        return {};
    }
    return std::move(result.bitmap);
}

void TCustomFaxUnpacker::DoOutputLine(bool starting, bool ending, const uint8_t* data, int length,
                                      int pageNum) {
    if (OnOutputLine) {
        OnOutputLine(*this, starting, ending, data, length, pageNum);
    }
}

void TCustomFaxUnpacker::DoStatus(const std::string& fileName, int pageNum, long bytesUnpacked,
                                  long bytesToUnpack) {
    if (OnStatus) {
        OnStatus(*this, fileName, pageNum, bytesUnpacked, bytesToUnpack);
    }
}

int TCustomFaxUnpacker::DoYield() {
    return OnYield ? OnYield(*this) : ecOK;
}

} // namespace tolvane
