// T.4 one-dimensional (Modified Huffman) coding of raster lines, as APF line records and fax
// page data carry them: bits are placed from bit 0 of each byte upwards.
//
// A raster line holds pixels packed 8 to a byte, the leftmost pixel in the most significant bit
// of the first byte, 1 = black. Usable on its own (TIFF G3 export, header lines) or through a
// conversion context (ConverterContext.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane {

// Size of a raster line buffer and of a coded line buffer.
inline constexpr size_t kRasterBufferSize = 4096;
// Bytes the coder may write past the end of the coded line; a coded-line buffer needs
// kRasterBufferSize + kCodedLineSlack bytes.
inline constexpr size_t kCodedLineSlack = 8;
// Widest line the coder accepts; wider widths are cut to it.
inline constexpr int kMaxCodedWidth = 4096;
// Length of the end-of-page bytes.
inline constexpr size_t kEndOfPageSize = 12;

enum class RunScale {
    Single, // every raster pixel once
    Double, // every raster pixel twice (double width)
};

struct T4LineFormat {
    int width = 1728;                  // page width W: pixels coded per line
    int leftMargin = 50;               // white pixels in front of the raster (0..W)
    RunScale scale = RunScale::Single; // Double: raster pixels 0..(W - margin)/2 - 1 fill the line
};

// Codes one raster line: the fill-and-EOL bytes 00 80 (an EOL that ends on a byte boundary),
// the run codes of exactly W pixels, zero bits to the end of the byte holding the last code
// bit and one more zero byte. A line whose first W/8 raster bytes are all 0 is one white run of
// W (the margin is not coded for it).
//   raster:      rasterBytes bytes; pixels beyond them count as white.
//   out:         kRasterBufferSize + kCodedLineSlack bytes.
// Returns the length of the coded line in bytes (at most 2 + 4.5 * W / 8 + 4). Does not allocate.
size_t EncodeT4Line(const uint8_t* raster, size_t rasterBytes, const T4LineFormat& format, uint8_t* out);

// Writes the 12 end-of-page bytes 00 80 00 08 80 00 08 80 00 08 80 00 (fill-and-EOL, six EOLs,
// eight 0 bits) and returns 12.
size_t EncodeT4EndOfPage(uint8_t* out);

} // namespace tolvane
