// Spell-check dictionary file: on-disk layout. All integers little-endian.
//
//   text header   free text ended by the byte 1Ah; readers skip up to and including the first 1Ah
//   block header  17 bytes
//      0  4  NodesUsed    nodes of the block in use (N)
//      4  4  Capacity     nodes reserved for the block (a new user dictionary reserves 500)
//      8  4  WordCount
//     12  1  Kind         non-zero: main dictionary; 0: user dictionary
//     13  4  Offset       file offset of this block header (readers use where they found it)
//   nodes         3 bytes each; node i (1-based) at NodeBase + 3 * i, NodeBase = header end - 3
//      0  2  Child        first child, 1-based; 0 = none; 65000 = a free node never used
//      2  1  Letter       bits 0-5 letter code, 40h last node of its sibling run, 80h a word ends here
//
// A main dictionary may hold further blocks: the next header starts at header end + 3 * Capacity
// when that position plus 20 is still inside the file. A user dictionary holds one block.
// The children of a node are a run of consecutive nodes ended by the last-of-run flag; the roots
// are the run that starts at node 1. A word is a path from a root to a word-end node.
#pragma once

#include "imaging/io/BinaryFile.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane {

inline constexpr uint8_t kTextHeaderEnd = 0x1A;
inline constexpr size_t kBlockHeaderSize = 17;
inline constexpr size_t kNodeSize = 3;
inline constexpr uint16_t kFreeNode = 65000;
inline constexpr uint8_t kLetterMask = 0x3F;
inline constexpr uint8_t kLastOfRun = 0x40;
inline constexpr uint8_t kWordEnd = 0x80;
// A following block needs room for its header and one node.
inline constexpr uint64_t kMinBlockBytes = 20;
// Node indexes are 16 bits and 65000 marks a free node, so a block holds at most 64999 nodes.
inline constexpr uint32_t kMaxBlockNodes = 64999;
inline constexpr uint32_t kUserCapacity = 500;

struct BlockHeader {
    uint32_t NodesUsed = 0;
    uint32_t Capacity = 0;
    uint32_t WordCount = 0;
    uint8_t Kind = 0;
    uint32_t Offset = 0;

    static BlockHeader Parse(const std::array<uint8_t, kBlockHeaderSize>& bytes);
    std::array<uint8_t, kBlockHeaderSize> Serialize() const;
    uint64_t End() const { return uint64_t{Offset} + kBlockHeaderSize; }
    uint64_t NodeBase() const { return End() - kNodeSize; }
    // The highest node index a reader may visit: used nodes beyond the capacity count (older
    // user dictionaries grew past it), and indexes are 16 bits.
    uint32_t NodeLimit() const;
};

struct DictionaryNode {
    uint16_t Child = 0;
    uint8_t Letter = 0; // letter code and flags as stored

    uint8_t Code() const { return Letter & kLetterMask; }
    bool LastOfRun() const { return (Letter & kLastOfRun) != 0; }
    bool WordEnd() const { return (Letter & kWordEnd) != 0; }
    bool HasChildren() const { return Child != 0 && Child != kFreeNode; }

    static DictionaryNode Parse(const uint8_t* bytes) {
        return {static_cast<uint16_t>(bytes[0] | bytes[1] << 8), bytes[2]};
    }
    void Serialize(uint8_t* bytes) const {
        bytes[0] = static_cast<uint8_t>(Child);
        bytes[1] = static_cast<uint8_t>(Child >> 8);
        bytes[2] = Letter;
    }
};

// Reads from the start of the file up to and including the first 1Ah; offset receives the
// position after it. -100 when the file has no 1Ah.
int SkipTextHeader(BinaryFile& file, uint64_t& offset);
// Reads the block header at offset and sets its Offset field to that position.
int ReadBlockHeader(BinaryFile& file, uint64_t offset, BlockHeader& header);
int WriteBlockHeader(BinaryFile& file, const BlockHeader& header);

} // namespace tolvane
