// DBF table file, FoxPro 2.x layout. All integers little-endian.
//
//   Header (32 bytes)
//   Off Size  Content
//     0    1  version: 0x03 no memo, 0xF5 with FPT memo (0x30-0x32 read: later layout)
//     1    3  last update: year % 100, month, day
//     4    4  record count (deleted records included)
//     8    2  header length = offset of record 1
//    10    2  record length = 1 + sum of field widths
//    12   16  reserved (zero)
//    28    1  table flags: 0x01 structural index exists
//    29    1  code page mark
//    30    2  reserved
//   Field descriptors from offset 32, 32 bytes each, ended by 0x0D:
//     0   11  name, NUL padded       16  1  width
//    11    1  type letter            17  1  decimals
//    12    4  offset in the record   18 14  reserved
//   Records from the header length: byte 0 ' ' live or '*' deleted, then the fields as ASCII.
//   FoxPro writes 0x1A after the last record; readers never rely on it.
#pragma once

#include "platform/xbase/XbRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr uint8_t kDbfNoMemo = 0x03;
inline constexpr uint8_t kDbfWithMemo = 0xF5;
inline constexpr uint8_t kDbfFlagStructuralIndex = 0x01;
inline constexpr uint8_t kDbfCodePageAnsi = 0x03;
inline constexpr uint8_t kDbfEndOfFile = 0x1A;
inline constexpr uint8_t kDbfLive = ' ';
inline constexpr uint8_t kDbfDeleted = '*';
inline constexpr size_t kDbfHeaderSize = 32;
inline constexpr size_t kDbfFieldSize = 32;
inline constexpr size_t kDbfMaxFields = 255;

struct DbfHeader {
    uint8_t version = kDbfNoMemo;
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    uint8_t flags = 0;
    uint8_t codePage = kDbfCodePageAnsi;
    bool binaryMemoPointers = false; // later layout: 4-byte memo block numbers
    std::vector<XbFieldLayout> fields;
    uint8_t fixed[kDbfHeaderSize] = {}; // the 32 leading bytes as read, reserved bytes kept
};

// Parses the header and field descriptors from the first bytes of a table file. On failure
// returns false with a description of the fault in error. fileSize is checked against the
// record count.
bool ParseDbfHeader(const uint8_t* data, size_t size, uint64_t fileSize, DbfHeader& header,
                    std::string& error);

// How many bytes ParseDbfHeader needs at most: the header and every descriptor.
inline constexpr size_t kDbfMaxHeaderRead = kDbfHeaderSize + kDbfFieldSize * (kDbfMaxFields + 1) + 1;

// Checks a field list for a new table and fills in fixed widths and offsets; raises BadFieldList.
std::vector<XbFieldLayout> PrepareFields(const std::vector<XbFieldDef>& defs);

// The header bytes (32 + 32 n + 1) of a new table file in the FoxPro 2.x layout.
std::vector<uint8_t> BuildDbfHeader(const DbfHeader& header);

// Puts count, flags and today's date into header.fixed, for rewriting the 32 leading bytes.
void UpdateDbfFixedHeader(DbfHeader& header);

} // namespace tolvane
