// One block of an open dictionary file: its header, its file and, for main dictionaries, the
// read cache through which its nodes are read. User-dictionary nodes are read from a copy of the
// used nodes that is taken again whenever the header read before each operation has changed
// (every addition changes it), so words added by another instance are seen at once.
#pragma once

#include "editing/spell/DictionaryFormat.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tolvane {

enum class BlockKind {
    MainFirst,   // first block of a main dictionary
    MainFurther, // a further block of the same main dictionary (shares its file)
    User,        // the one block of a user dictionary
};

class DictionaryBlock {
public:
    DictionaryBlock(std::shared_ptr<BinaryFile> file, BlockKind kind, const BlockHeader& header,
                    int identifier = -1);

    BlockKind Kind() const { return kind_; }
    bool IsUser() const { return kind_ == BlockKind::User; }
    int Identifier() const { return identifier_; }
    const BlockHeader& Header() const { return header_; }
    void SetHeader(const BlockHeader& header) { header_ = header; }

    // Node index (1-based): false when it lies outside the block or the file.
    bool ReadNode(uint32_t index, DictionaryNode& node);

    // The highest node index below the limit that the file holds in full.
    uint32_t NodesPresent() const;

    // Reads the header again from the file (another instance may have added words).
    int RefreshHeader();
    int WriteHeader() { return WriteBlockHeader(*file_, header_); }
    // Nodes first .. first + count - 1, read or written in one piece.
    int ReadNodes(uint32_t first, uint32_t count, std::vector<DictionaryNode>& nodes);
    int WriteNodes(uint32_t first, const DictionaryNode* nodes, uint32_t count);
    int FileSize(uint64_t& size) const { return file_->Size(size); }
    int TruncateFile(uint64_t size) { return file_->Truncate(size); }

private:
    // 1024 lines of 8 nodes; a block smaller than that gets one line per group of 8 nodes. A
    // miss also fills the lines of the groups that follow: the tree is laid out depth first, so
    // a walk reads on from where it is.
    static constexpr size_t kCacheLines = 1024;
    static constexpr uint32_t kNodesPerLine = 8;
    static constexpr size_t kReadAheadLines = 16;
    struct CacheLine {
        uint64_t GroupOffset = UINT64_MAX; // file offset of the line's first node; none yet
        uint8_t Valid = 0;                 // bytes read (short at the end of the file)
        std::array<uint8_t, kNodesPerLine * kNodeSize> Bytes{};
    };

    bool ReadCachedNode(uint32_t index, DictionaryNode& node);
    bool ReadUserNode(uint32_t index, DictionaryNode& node);

    std::shared_ptr<BinaryFile> file_;
    BlockKind kind_;
    BlockHeader header_;
    int identifier_;
    std::vector<CacheLine> cache_;                            // allocated on first use
    std::vector<uint8_t> userNodes_;                          // nodes 1.. of a user dictionary as last read
    std::array<uint8_t, kBlockHeaderSize> userNodesHeader_{}; // the header they were read under
    bool userNodesRead_ = false;
};

} // namespace tolvane
