// A file opened for binary access, with every failure as a result code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

class BinaryFile {
public:
    enum class Mode { Read, ReadWrite };

    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Opens an existing file: -2 for an empty name, else 0 or a negative I/O error.
    int Open(const std::string& name, Mode mode = Mode::Read);
    // Creates or truncates a file for reading and writing.
    int Create(const std::string& name);
    int Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Reads exactly n bytes; a short read is -100.
    int ReadExact(void* data, size_t n);
    // Reads up to n bytes; got receives the count (0 at the end of the file).
    int ReadSome(void* data, size_t n, size_t& got);
    int WriteAll(const void* data, size_t n);
    int Seek(uint64_t position);
    int Tell(uint64_t& position) const;
    int Size(uint64_t& size) const;
    int Truncate(uint64_t size);
    int Sync();

private:
    int fd_ = -1;
};

} // namespace tolvane
