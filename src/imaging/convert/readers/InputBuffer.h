// Sequential reading of an input file through a fixed buffer, with seeking for the readers
// whose formats point into the file.
#pragma once

#include "imaging/io/BinaryFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tolvane {

class InputBuffer {
public:
    explicit InputBuffer(size_t bufferSize = 65536);

    // Opens the file and notes its size: 0, -2 (empty name) or an I/O error.
    int Open(const std::string& name);
    void Close();
    uint64_t Size() const { return size_; }
    // Offset of the next byte to be read.
    uint64_t Position() const { return bufferStart_ + used_; }
    bool AtEnd() const { return Position() >= size_; }

    int Seek(uint64_t position);
    // Reads exactly n bytes: -100 when the file ends first.
    int Read(void* data, size_t n);
    // Next byte, or -1 at the end of the file; a read error gives its negative code in rc.
    int Get(int& rc) {
        if (used_ < filled_) {
            return buffer_[used_++];
        }
        return Refill(rc) ? buffer_[used_++] : -1;
    }
    // Looks at the next byte without taking it (-1 at the end).
    int Peek(int& rc) {
        if (used_ < filled_) {
            return buffer_[used_];
        }
        return Refill(rc) ? buffer_[used_] : -1;
    }

private:
    bool Refill(int& rc);

    BinaryFile file_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacity_;
    size_t filled_ = 0;
    size_t used_ = 0;
    uint64_t bufferStart_ = 0;
    uint64_t size_ = 0;
};

} // namespace tolvane
