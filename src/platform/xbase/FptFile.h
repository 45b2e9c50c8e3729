// FPT memo file. All integers big-endian.
//
//   Header (512 bytes)
//   Off Size  Content
//     0    4  next free block: where the next memo goes
//     4    2  unused (zero)
//     6    2  block size in bytes
//     8  504  unused (zero)
//   A memo is one run of blocks starting at block b (offset b * blockSize):
//     0    4  block type: 1 text, 0 picture, 2 object
//     4    4  data length n
//     8    n  data; the rest of the last block is slack
//   Memos are never rewritten in place: a changed memo goes to a new run, so a process killed
//   while writing one never damages the value the record still points to. Pack reclaims runs.
#pragma once

#include "platform/xbase/XbFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr uint32_t kFptHeaderSize = 512;
inline constexpr uint32_t kFptDefaultBlockSize = 64;
inline constexpr uint32_t kFptTypeText = 1;

struct FptHeader {
    uint32_t nextFree = 0;
    uint32_t blockSize = 0;
};

// Parses the 512-byte header; false with a description of the fault otherwise.
bool ParseFptHeader(const uint8_t* data, size_t size, FptHeader& header, std::string& error);

class FptFile {
public:
    // Creates a new empty memo file.
    static void CreateEmpty(const std::string& path, uint32_t blockSize = kFptDefaultBlockSize);

    // Opens an existing file; BadMemo when its header cannot be parsed.
    void Open(const std::string& path, XbFile::Access access);
    void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& Path() const { return file_.Path(); }
    const FptHeader& Header() const { return header_; }

    // The memo starting at block; BadMemo when the block does not hold a memo.
    std::string Read(uint32_t block) const;
    // Appends a memo and returns its first block (data first, then the header's next free).
    uint32_t Append(std::string_view data, uint32_t type = kFptTypeText);
    void Sync() { file_.Sync(); }

private:
    XbFile file_;
    FptHeader header_;
};

} // namespace tolvane
