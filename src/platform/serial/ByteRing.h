// A fixed-capacity first-in first-out byte buffer (the port's input and output buffers).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

class ByteRing {
public:
    explicit ByteRing(size_t capacity = 0) : data_(capacity) {}

    size_t Capacity() const { return data_.size(); }
    size_t Size() const { return size_; }
    size_t Free() const { return data_.size() - size_; }
    bool Empty() const { return size_ == 0; }

    // Appends as much as fits; returns the count appended.
    size_t Push(const uint8_t* bytes, size_t n) {
        n = std::min(n, Free());
        for (size_t i = 0; i < n; ++i) {
            data_[(head_ + size_ + i) % data_.size()] = bytes[i];
        }
        size_ += n;
        return n;
    }
    // Removes up to n bytes from the front into out; returns the count.
    size_t Pop(uint8_t* out, size_t n) {
        n = std::min(n, size_);
        for (size_t i = 0; i < n; ++i) {
            out[i] = data_[(head_ + i) % data_.size()];
        }
        Drop(n);
        return n;
    }
    void Drop(size_t n) {
        n = std::min(n, size_);
        head_ = size_ == n ? 0 : (head_ + n) % data_.size();
        size_ -= n;
    }
    // The longest run of bytes at the front that lies contiguously in memory.
    const uint8_t* FrontRun(size_t& n) const {
        n = std::min(size_, data_.size() - head_);
        return data_.data() + head_;
    }
    void Clear() {
        head_ = 0;
        size_ = 0;
    }

private:
    std::vector<uint8_t> data_;
    size_t head_ = 0;
    size_t size_ = 0;
};

} // namespace tolvane
