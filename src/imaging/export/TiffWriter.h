// Writes bilevel TIFF files page by page, one strip per page: the strip's bytes first, then the
// page's IFD, linked from the header or the previous IFD. Little-endian ("II").
//
//   Header (8 bytes): "II", 42, offset of the first IFD
//   per page: strip data, [pad to even], IFD (count, 12-byte entries sorted by tag, offset of
//   the next IFD or 0), values that do not fit in an entry
#pragma once

#include "imaging/io/BinaryFile.h"
#include "imaging/io/BufferedWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

enum class TiffCompression : uint16_t {
    None = 1,
    CcittT4 = 3, // T.4 (Group 3) coding; T4Options says which
};

enum class TiffFillOrder : uint16_t {
    MsbFirst = 1, // the first pixel or code bit in bit 7
    LsbFirst = 2, // the first code bit in bit 0, as fax modems and APF page data have it
};

// T4Options bits.
inline constexpr uint32_t kT4Options2D = 0x1;
inline constexpr uint32_t kT4OptionsUncompressed = 0x2;
inline constexpr uint32_t kT4OptionsFillBits = 0x4; // EOLs end on byte boundaries

inline constexpr uint16_t kTiffShort = 3;
inline constexpr uint16_t kTiffLong = 4;
inline constexpr uint16_t kTiffAscii = 2;

struct TiffRational {
    uint32_t numerator = 0;
    uint32_t denominator = 1;
};

// A further tag of a page (for example PageNumber, or the fax tags of TIFF Class F).
struct TiffExtraTag {
    uint16_t tag = 0;
    uint16_t type = kTiffShort;   // kTiffShort, kTiffLong or kTiffAscii
    std::vector<uint32_t> values; // SHORT or LONG values
    std::string text;             // ASCII, without the terminating 0
};

struct TiffPageInfo {
    uint32_t width = 1728;
    TiffCompression compression = TiffCompression::None;
    TiffFillOrder fillOrder = TiffFillOrder::MsbFirst;
    uint32_t t4Options = 0; // with CcittT4
    // Pixels per inch; a fax line is 204 pixels per inch, 98 or 196 lines per inch.
    TiffRational xResolution{204, 1};
    TiffRational yResolution{196, 1};
    std::vector<TiffExtraTag> extraTags;
};

// Photometric interpretation is always "min is white": a 1 bit is black, as in raster lines.
class TiffWriter {
public:
    TiffWriter();
    ~TiffWriter();
    TiffWriter(const TiffWriter&) = delete;
    TiffWriter& operator=(const TiffWriter&) = delete;

    // Creates or truncates the file and writes the header: 0 or an I/O error.
    int Create(const std::string& name);
    int BeginPage(const TiffPageInfo& info);
    // Strip data of the page: uncompressed rows of (width + 7) / 8 bytes, or the coded data.
    int WriteData(const void* data, size_t n);
    // Writes the page's IFD for `rows` rows and links it in.
    int EndPage(uint32_t rows);
    int Close();

    uint32_t PageCount() const { return pages_; }

private:
    int WriteIfd(uint32_t rows);

    BinaryFile file_;
    std::unique_ptr<BufferedWriter> out_;
    TiffPageInfo page_;
    bool inPage_ = false;
    uint64_t stripOffset_ = 0;
    uint64_t stripBytes_ = 0;
    uint64_t linkPosition_ = 4; // where the offset of the next IFD goes
    uint32_t pages_ = 0;
};

} // namespace tolvane
