#include "imaging/io/BufferedWriter.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <cstring>

namespace tolvane {

int BufferedWriter::Write(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        if (used_ == 0 && n >= kBufferSize) {
            const size_t direct = n - n % kBufferSize;
            if (const int rc = file_.WriteAll(p, direct); rc < 0) {
                return rc;
            }
            filePosition_ += direct;
            p += direct;
            n -= direct;
            continue;
        }
        const size_t take = std::min(n, kBufferSize - used_);
        std::memcpy(buffer_.data() + used_, p, take);
        used_ += take;
        p += take;
        n -= take;
        if (used_ == kBufferSize) {
            if (const int rc = Flush(); rc < 0) {
                return rc;
            }
        }
    }
    return ecOK;
}

int BufferedWriter::Flush() {
    if (used_ == 0) {
        return ecOK;
    }
    const int rc = file_.WriteAll(buffer_.data(), used_);
    if (rc < 0) {
        return rc;
    }
    filePosition_ += used_;
    used_ = 0;
    return ecOK;
}

int BufferedWriter::Seek(uint64_t position) {
    if (const int rc = Flush(); rc < 0) {
        return rc;
    }
    if (const int rc = file_.Seek(position); rc < 0) {
        return rc;
    }
    filePosition_ = position;
    return ecOK;
}

void BufferedWriter::Reset(uint64_t position) {
    used_ = 0;
    filePosition_ = position;
}

} // namespace tolvane
