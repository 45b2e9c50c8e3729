#include "editing/spell/DictionaryFormat.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>

namespace tolvane {
namespace {

uint32_t Get32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24;
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

} // namespace

BlockHeader BlockHeader::Parse(const std::array<uint8_t, kBlockHeaderSize>& bytes) {
    BlockHeader h;
    h.NodesUsed = Get32(&bytes[0]);
    h.Capacity = Get32(&bytes[4]);
    h.WordCount = Get32(&bytes[8]);
    h.Kind = bytes[12];
    h.Offset = Get32(&bytes[13]);
    return h;
}

std::array<uint8_t, kBlockHeaderSize> BlockHeader::Serialize() const {
    std::array<uint8_t, kBlockHeaderSize> bytes{};
    Put32(&bytes[0], NodesUsed);
    Put32(&bytes[4], Capacity);
    Put32(&bytes[8], WordCount);
    bytes[12] = Kind;
    Put32(&bytes[13], Offset);
    return bytes;
}

uint32_t BlockHeader::NodeLimit() const {
    return std::min<uint32_t>(std::max(NodesUsed, Capacity), 0xFFFF);
}

int SkipTextHeader(BinaryFile& file, uint64_t& offset) {
    if (const int rc = file.Seek(0); rc < 0) {
        return rc;
    }
    std::array<uint8_t, 512> buffer{};
    uint64_t position = 0;
    for (;;) {
        size_t got = 0;
        if (const int rc = file.ReadSome(buffer.data(), buffer.size(), got); rc < 0) {
            return rc;
        }
        if (got == 0) {
            return ecDiskRead;
        }
        const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(got);
        const auto mark = std::find(buffer.begin(), end, kTextHeaderEnd);
        if (mark != end) {
            offset = position + static_cast<uint64_t>(mark - buffer.begin()) + 1;
            return ecOK;
        }
        position += got;
    }
}

int ReadBlockHeader(BinaryFile& file, uint64_t offset, BlockHeader& header) {
    if (offset > 0xFFFFFFFFu) { // the header's own offset field is 32 bits
        return ecDiskRead;
    }
    std::array<uint8_t, kBlockHeaderSize> bytes{};
    if (const int rc = file.Seek(offset); rc < 0) {
        return rc;
    }
    if (const int rc = file.ReadExact(bytes.data(), bytes.size()); rc < 0) {
        return rc;
    }
    header = BlockHeader::Parse(bytes);
    header.Offset = static_cast<uint32_t>(offset);
    return ecOK;
}

int WriteBlockHeader(BinaryFile& file, const BlockHeader& header) {
    const auto bytes = header.Serialize();
    if (const int rc = file.Seek(header.Offset); rc < 0) {
        return rc;
    }
    return file.WriteAll(bytes.data(), bytes.size());
}

} // namespace tolvane
