#include "editing/spell/DictionaryBlock.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>

namespace tolvane {

DictionaryBlock::DictionaryBlock(std::shared_ptr<BinaryFile> file, BlockKind kind, const BlockHeader& header,
                                 int identifier)
    : file_(std::move(file)), kind_(kind), header_(header), identifier_(identifier) {}

bool DictionaryBlock::ReadNode(uint32_t index, DictionaryNode& node) {
    if (index == 0 || index > header_.NodeLimit()) {
        return false;
    }
    return kind_ == BlockKind::User ? ReadUserNode(index, node) : ReadCachedNode(index, node);
}

bool DictionaryBlock::ReadUserNode(uint32_t index, DictionaryNode& node) {
    if (!userNodesRead_ || userNodesHeader_ != header_.Serialize()) {
        userNodesRead_ = false;
        userNodes_.resize(size_t{header_.NodeLimit()} * kNodeSize);
        size_t got = 0;
        if (file_->Seek(header_.NodeBase() + kNodeSize) < 0 ||
            file_->ReadSome(userNodes_.data(), userNodes_.size(), got) < 0) {
            return false;
        }
        userNodes_.resize(got - got % kNodeSize);
        userNodesHeader_ = header_.Serialize();
        userNodesRead_ = true;
    }
    const size_t at = size_t{index - 1} * kNodeSize;
    if (at + kNodeSize > userNodes_.size()) {
        return false;
    }
    node = DictionaryNode::Parse(&userNodes_[at]);
    return true;
}

bool DictionaryBlock::ReadCachedNode(uint32_t index, DictionaryNode& node) {
    if (cache_.empty()) {
        const size_t groups = header_.NodeLimit() / kNodesPerLine + 1;
        cache_.resize(std::min(kCacheLines, groups));
    }
    const uint32_t group = index - index % kNodesPerLine;
    const uint64_t groupOffset = uint64_t{group} * kNodeSize + header_.NodeBase();
    const auto lineFor = [&](uint64_t offset) -> CacheLine& {
        return cache_[(offset / 8) % kCacheLines % cache_.size()];
    };
    CacheLine& line = lineFor(groupOffset);
    if (line.GroupOffset != groupOffset) {
        constexpr size_t kLineBytes = kNodesPerLine * kNodeSize;
        const size_t lines = std::min(kReadAheadLines, cache_.size());
        std::array<uint8_t, kReadAheadLines * kLineBytes> bytes{};
        size_t got = 0;
        line.GroupOffset = UINT64_MAX;
        if (file_->Seek(groupOffset) < 0 || file_->ReadSome(bytes.data(), lines * kLineBytes, got) < 0) {
            return false;
        }
        for (size_t k = lines; k-- > 0;) { // the requested group last, so it stays
            CacheLine& fill = lineFor(groupOffset + k * kLineBytes);
            const size_t from = k * kLineBytes;
            fill.GroupOffset = groupOffset + k * kLineBytes;
            fill.Valid = static_cast<uint8_t>(got > from ? std::min(got - from, kLineBytes) : 0);
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), kLineBytes, fill.Bytes.begin());
        }
    }
    const size_t at = (index - group) * kNodeSize;
    if (at + kNodeSize > line.Valid) {
        return false;
    }
    node = DictionaryNode::Parse(&line.Bytes[at]);
    return true;
}

uint32_t DictionaryBlock::NodesPresent() const {
    uint64_t size = 0;
    if (file_->Size(size) < 0 || size < header_.NodeBase() + kNodeSize) {
        return 0;
    }
    return static_cast<uint32_t>(
        std::min<uint64_t>(header_.NodeLimit(), (size - header_.NodeBase()) / kNodeSize - 1));
}

int DictionaryBlock::RefreshHeader() {
    BlockHeader fresh;
    if (const int rc = ReadBlockHeader(*file_, header_.Offset, fresh); rc < 0) {
        return rc;
    }
    header_ = fresh;
    return ecOK;
}

int DictionaryBlock::ReadNodes(uint32_t first, uint32_t count, std::vector<DictionaryNode>& nodes) {
    std::vector<uint8_t> bytes(size_t{count} * kNodeSize);
    if (const int rc = file_->Seek(header_.NodeBase() + uint64_t{kNodeSize} * first); rc < 0) {
        return rc;
    }
    if (const int rc = file_->ReadExact(bytes.data(), bytes.size()); rc < 0) {
        return rc;
    }
    nodes.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        nodes[i] = DictionaryNode::Parse(&bytes[size_t{i} * kNodeSize]);
    }
    return ecOK;
}

int DictionaryBlock::WriteNodes(uint32_t first, const DictionaryNode* nodes, uint32_t count) {
    std::vector<uint8_t> bytes(size_t{count} * kNodeSize);
    for (uint32_t i = 0; i < count; ++i) {
        nodes[i].Serialize(&bytes[size_t{i} * kNodeSize]);
    }
    if (const int rc = file_->Seek(header_.NodeBase() + uint64_t{kNodeSize} * first); rc < 0) {
        return rc;
    }
    return file_->WriteAll(bytes.data(), bytes.size());
}

} // namespace tolvane
