#include "imaging/unpack/BitmapBuilder.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

namespace tolvane {

int BitmapBuilder::Start(int rowBytes, bool invert) {
    rowBytes_ = rowBytes;
    rows_ = 0;
    usedBytes_ = 1;
    white_ = invert ? 0xFF : 0x00;
    try {
        block_.assign(static_cast<size_t>(kRowsPerGrowth) * static_cast<size_t>(rowBytes), 0);
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    return ecOK;
}

int BitmapBuilder::Line(const uint8_t* data, int length) {
    const auto rowBytes = static_cast<size_t>(rowBytes_);
    if (rows_ > 0 && rows_ % kRowsPerGrowth == 0) {
        try {
            block_.resize(block_.size() + static_cast<size_t>(kRowsPerGrowth) * rowBytes, 0);
        } catch (const std::bad_alloc&) {
            return ecOutOfMemory;
        }
    }
    uint8_t* row = block_.data() + static_cast<size_t>(rows_) * rowBytes;
    if (length == 0) {
        std::memset(row, white_, rowBytes);
    } else {
        // A wide line on a narrow page is cut to the row instead of running into the next one.
        const int copy = std::min(length, rowBytes_);
        std::memcpy(row, data, static_cast<size_t>(copy));
        int end = copy;
        while (end > usedBytes_ && row[end - 1] == white_) {
            --end;
        }
        usedBytes_ = std::max(usedBytes_, end);
    }
    ++rows_;
    return ecOK;
}

int BitmapBuilder::Finish(MonoBitmap& bitmap) {
    if (rows_ == 0) {
        bitmap = MonoBitmap();
        block_ = {};
        return ecOK;
    }
    const int width = (usedBytes_ + 1) & ~1;
    const auto newBytes = static_cast<size_t>(width);
    const bool odd = (usedBytes_ & 1) != 0;
    for (int r = 0; r < rows_; ++r) {
        uint8_t* to = block_.data() + static_cast<size_t>(r) * newBytes;
        if (r > 0) {
            std::memmove(to, block_.data() + static_cast<size_t>(r) * static_cast<size_t>(rowBytes_),
                         newBytes);
        }
        if (odd) {
            to[newBytes - 1] = white_;
        }
    }
    block_.resize(static_cast<size_t>(rows_) * newBytes);
    block_.shrink_to_fit();
    bitmap = MonoBitmap::FromBits(width * 8, rows_, width, std::move(block_));
    block_ = {};
    return ecOK;
}

} // namespace tolvane
