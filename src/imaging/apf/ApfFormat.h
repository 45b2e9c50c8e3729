// APF fax file: on-disk layout. All integers little-endian.
//
//   ApfFileHeader (64 bytes, offset 0)
//     0   6  Signature        "APF10" 0x1A
//     6   4  FaxDateTime      packed DOS date and time, 0 when the year is outside 1980..2099
//    10  21  StationID        length byte + 20 characters, spaces after the text
//    31   1  reserved
//    32   2  PageCount
//    34   4  FirstPageOffset  64
//    38  26  reserved
//
//   then per page: ApfPageHeader (16 bytes) + ImageLength bytes of T.4 data
//     0   4  ImageLength
//     4   2  PageFlags        bit 0 fine, bit 1 wide (2048 pixels), bit 2 length-prefixed line records
//     6  10  reserved
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr size_t kApfFileHeaderSize = 64;
inline constexpr size_t kApfPageHeaderSize = 16;
inline constexpr std::array<uint8_t, 6> kApfSignature{'A', 'P', 'F', '1', '0', 0x1A};
inline constexpr size_t kApfStationIdLength = 20;
inline constexpr uint32_t kApfFirstPageOffset = 64;

// PageFlags bits.
inline constexpr uint16_t apfFineResolution = 0x0001; // about 196 lines per inch
inline constexpr uint16_t apfWideWidth = 0x0002;      // 2048 pixels per line
inline constexpr uint16_t apfLengthWords = 0x0004;    // line records with 2-byte lengths

struct ApfFileHeader {
    std::array<uint8_t, 6> Signature{};
    uint32_t FaxDateTime = 0;
    // Short string: StationID[0] is the length, StationID[1..20] the characters.
    std::array<uint8_t, 1 + kApfStationIdLength> StationID{};
    uint16_t PageCount = 0;
    uint32_t FirstPageOffset = 0;

    // A header as writers begin it: signature and FirstPageOffset set, the rest zero.
    static ApfFileHeader Initial();
    static ApfFileHeader Parse(const uint8_t (&bytes)[kApfFileHeaderSize]);
    void Serialize(uint8_t (&bytes)[kApfFileHeaderSize]) const;

    bool HasSignature() const { return Signature == kApfSignature; }
    // The short string as stored (length byte capped at 20).
    std::string StationText() const;
    // The text with trailing spaces removed, for display.
    std::string StationTrimmed() const;
    // The text cut to 20 characters, its real length in the length byte, spaces after it.
    void SetStationID(std::string_view text);
    // The text padded with spaces to 20 characters and length 20 (the receiver's first write).
    void SetStationIDPadded(std::string_view text);
};

struct ApfPageHeader {
    uint32_t ImageLength = 0;
    uint16_t PageFlags = 0;

    static ApfPageHeader Parse(const uint8_t (&bytes)[kApfPageHeaderSize]);
    void Serialize(uint8_t (&bytes)[kApfPageHeaderSize]) const;

    bool Fine() const { return (PageFlags & apfFineResolution) != 0; }
    bool Wide() const { return (PageFlags & apfWideWidth) != 0; }
    bool LengthWords() const { return (PageFlags & apfLengthWords) != 0; }
    // Pixels per scan line: 2048 for wide pages, else 1728.
    int Width() const { return Wide() ? 2048 : 1728; }
};

// Packed DOS date and time of a local time; 0 when the year lies outside 1980..2099.
uint32_t PackDosDateTime(const std::tm& local);
// The packed value of the current local time.
uint32_t DosDateTimeNow();
// The broken-down time of a packed value; nothing for 0 or an impossible date.
std::optional<std::tm> UnpackDosDateTime(uint32_t packed);

} // namespace tolvane
