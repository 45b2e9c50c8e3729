#include "platform/xbase/FptFile.h"

#include "platform/xbase/ByteOrder.h"

#include <vector>

namespace tolvane {

namespace {

uint32_t FirstBlock(uint32_t blockSize) {
    return (kFptHeaderSize + blockSize - 1) / blockSize;
}

// The header bytes 0-7 (next free and block size).
void HeaderBytes(const FptHeader& h, uint8_t* out8) {
    PutBe32(out8, h.nextFree);
    out8[4] = 0;
    out8[5] = 0;
    out8[6] = static_cast<uint8_t>(h.blockSize >> 8);
    out8[7] = static_cast<uint8_t>(h.blockSize);
}

} // namespace

bool ParseFptHeader(const uint8_t* data, size_t size, FptHeader& header, std::string& error) {
    if (size < kFptHeaderSize) {
        error = "memo file too short for its header";
        return false;
    }
    header.nextFree = Be32(data);
    header.blockSize = static_cast<uint32_t>((data[6] << 8) | data[7]);
    if (header.blockSize == 0) {
        error = "memo file has block size 0";
        return false;
    }
    if (header.nextFree < FirstBlock(header.blockSize)) {
        error = "memo file's next free block lies inside its header";
        return false;
    }
    return true;
}

void FptFile::CreateEmpty(const std::string& path, uint32_t blockSize) {
    XbFile file = XbFile::Create(path);
    std::vector<uint8_t> header(kFptHeaderSize, 0);
    HeaderBytes(FptHeader{FirstBlock(blockSize), blockSize}, header.data());
    file.WriteAt(0, header.data(), header.size());
    file.Sync();
}

void FptFile::Open(const std::string& path, XbFile::Access access) {
    file_ = XbFile::Open(path, access);
    uint8_t header[kFptHeaderSize];
    const size_t got = file_.ReadSomeAt(0, header, sizeof header);
    std::string error;
    if (!ParseFptHeader(header, got, header_, error)) {
        file_.Close();
        throw EXBaseError(XbError::BadMemo, XbBaseName(path) + ": " + error);
    }
}

std::string FptFile::Read(uint32_t block) const {
    const uint64_t size = file_.Size();
    const uint64_t offset = static_cast<uint64_t>(block) * header_.blockSize;
    const auto bad = [&](const std::string& what) {
        return EXBaseError(XbError::BadMemo, XbBaseName(file_.Path()) + ": memo at block " +
                                                 std::to_string(block) + " " + what);
    };
    if (block < FirstBlock(header_.blockSize) || offset + 8 > size) {
        throw bad("lies outside the file");
    }
    uint8_t head[8];
    file_.ReadAt(offset, head, sizeof head);
    const uint32_t type = Be32(head);
    const uint32_t length = Be32(head + 4);
    if (type > 2) {
        throw bad("has an unknown block type");
    }
    if (offset + 8 + length > size) {
        throw bad("is longer than the file");
    }
    std::string data(length, '\0');
    file_.ReadAt(offset + 8, data.data(), length);
    return data;
}

uint32_t FptFile::Append(std::string_view data, uint32_t type) {
    const uint32_t bs = header_.blockSize;
    const uint64_t total = 8 + static_cast<uint64_t>(data.size());
    const uint64_t blocks = (total + bs - 1) / bs;
    if (data.size() > 0x7FFFFFFF || header_.nextFree + blocks > 0xFFFFFFFFull) {
        throw EXBaseError(XbError::BadValue, XbBaseName(file_.Path()) + ": memo file is full");
    }
    uint8_t head[8];
    PutBe32(head, type);
    PutBe32(head + 4, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> run(head, head + 8);
    run.insert(run.end(), data.begin(), data.end());
    run.resize(blocks * bs, 0);
    const uint32_t block = header_.nextFree;
    file_.WriteAt(static_cast<uint64_t>(block) * bs, run.data(), run.size());
    FptHeader next = header_;
    next.nextFree = static_cast<uint32_t>(block + blocks);
    uint8_t nextBytes[8];
    HeaderBytes(next, nextBytes);
    file_.WriteAt(0, nextBytes, 4); // only the next free block changes
    header_ = next;
    return block;
}

} // namespace tolvane
