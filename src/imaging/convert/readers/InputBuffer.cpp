#include "imaging/convert/readers/InputBuffer.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <cstring>

namespace tolvane {

InputBuffer::InputBuffer(size_t bufferSize) : buffer_(new uint8_t[bufferSize]), capacity_(bufferSize) {}

int InputBuffer::Open(const std::string& name) {
    filled_ = used_ = 0;
    bufferStart_ = 0;
    if (const int rc = file_.Open(name); rc < 0) {
        return rc;
    }
    return file_.Size(size_);
}

void InputBuffer::Close() {
    file_.Close();
}

int InputBuffer::Seek(uint64_t position) {
    if (position >= bufferStart_ && position <= bufferStart_ + filled_) {
        used_ = static_cast<size_t>(position - bufferStart_);
        return ecOK;
    }
    if (const int rc = file_.Seek(position); rc < 0) {
        return rc;
    }
    bufferStart_ = position;
    filled_ = used_ = 0;
    return ecOK;
}

bool InputBuffer::Refill(int& rc) {
    bufferStart_ += filled_;
    filled_ = used_ = 0;
    size_t got = 0;
    if (const int r = file_.ReadSome(buffer_.get(), capacity_, got); r < 0) {
        rc = r;
        return false;
    }
    filled_ = got;
    return got > 0;
}

int InputBuffer::Read(void* data, size_t n) {
    auto* out = static_cast<uint8_t*>(data);
    while (n > 0) {
        if (used_ == filled_) {
            int rc = ecOK;
            if (!Refill(rc)) {
                return rc < 0 ? rc : ecDiskRead;
            }
        }
        const size_t take = std::min(n, filled_ - used_);
        std::memcpy(out, buffer_.get() + used_, take);
        used_ += take;
        out += take;
        n -= take;
    }
    return ecOK;
}

} // namespace tolvane
