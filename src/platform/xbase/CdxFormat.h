// Structural CDX compound index, compact format. Little-endian, except the record number and
// child offset inside branch entries (big-endian). The file is 512-byte pages; every pointer is
// a byte offset; -1 is 0xFFFFFFFF.
//
//   File map as written here
//     0x000  bag header (1024 bytes, tag header layout)  root = tag directory
//     0x400  tag directory: a leaf of tag names (key length 10), "record" = tag header offset
//     0x600  tag 1 header (1024 bytes), its leaves, then its branch levels; tag 2 ...
//
//   Tag header (1024 bytes)
//   Off Size  Content
//     0    4  root page offset          12   2  key length (1-240)
//     4    4  free list (0 or -1)       14   1  options: 0x01 unique, 0x08 FOR, 0x20 compact,
//     8    4  change counter (ignored)              0x40 compound, 0x80 tag directory
//    15    1  signature 1              502   2  order: 0 ascending, 1 descending
//   504    2  FOR offset in the pool   506   2  FOR length with its NUL (1 = none)
//   508    2  key offset in the pool   510   2  key length with its NUL
//   512  512  expression pool
//
//   Branch page: attributes (bit 0x01 root, 0x02 leaf), entry count, left, right sibling, then
//   entries of key + record (BE) + child (BE); each entry is the last of its child's subtree.
//
//   Leaf page
//     0  2 attributes   2  2 count   4  4 left    8  4 right   12  2 free bytes
//    14  4 record mask 18  1 dup mask 19 1 trail mask 20 1 R bits 21 1 D bits 22 1 T bits
//    23  1 bytes per entry E; 24.. entries (record low, then dup, then trail count) from the
//    front, the stored key bytes from the back of the page, each key without its shared
//    prefix (dup) and its trailing pad bytes (trail).
//
// Descending tags are stored in ascending order and walked backwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr size_t kCdxPage = 512;
inline constexpr size_t kCdxMaxKeyLength = 240;

// One tag as read from a file.
struct CdxTagRead {
    std::string name;
    std::string keyExpression;
    std::string forExpression;
    bool descending = false;
    bool unique = false;
    size_t keyLength = 0;
    // Entries in ascending order; only meaningful when pagesOk.
    std::vector<uint8_t> keys;
    std::vector<uint32_t> records;
    bool pagesOk = false;
    std::string fault; // what is wrong with the pages
};

// The pad byte of a key expression's keys (' ' or 0), or -1 with a reason when the expression
// cannot be used.
using CdxPadOf = std::function<int(const std::string& keyExpression, std::string& reason)>;

// Reads the tag directory and every tag. False (with error) when the file's header or tag
// directory cannot be read; a tag whose header or expression cannot be used is left out with a
// note in dropped; a tag whose pages are damaged comes back with pagesOk false. Record numbers
// above recordCount are damage.
bool ReadCdx(const std::vector<uint8_t>& file, uint32_t recordCount, const CdxPadOf& padOf,
             std::vector<CdxTagRead>& tags, std::vector<std::string>& dropped, std::string& error);

// One tag to write; entries in ascending order.
struct CdxTagWrite {
    std::string name; // upper case, up to 10 characters
    std::string keyExpression;
    std::string forExpression;
    bool descending = false;
    bool unique = false;
    size_t keyLength = 0;
    uint8_t pad = ' '; // trailing bytes not stored: blank for character keys, 0 otherwise
    const std::vector<uint8_t>* keys = nullptr;
    const std::vector<uint32_t>* records = nullptr;
};

// The bytes of a complete index file. Raises EXBaseError (BadIndex) when a record number does
// not fit the key length's entry format or there are too many tags.
std::vector<uint8_t> WriteCdx(const std::vector<CdxTagWrite>& tags);

} // namespace tolvane
