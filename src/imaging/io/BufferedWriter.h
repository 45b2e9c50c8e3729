// Output through a 4096-byte buffer: writes that fit are copied into it, larger ones go
// to the file in whole 4096-byte multiples. The buffer is flushed before every seek.
#pragma once

#include "imaging/io/BinaryFile.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane {

class BufferedWriter {
public:
    static constexpr size_t kBufferSize = 4096;

    explicit BufferedWriter(BinaryFile& file) : file_(file) {}

    int Write(const void* data, size_t n);
    int Flush();
    // Flushes, then moves the file position.
    int Seek(uint64_t position);
    // Position at which the next byte lands.
    uint64_t Position() const { return filePosition_ + used_; }
    // Call after the file position was set outside this writer.
    void Reset(uint64_t position);

private:
    BinaryFile& file_;
    std::array<uint8_t, kBufferSize> buffer_{};
    size_t used_ = 0;
    uint64_t filePosition_ = 0;
};

} // namespace tolvane
