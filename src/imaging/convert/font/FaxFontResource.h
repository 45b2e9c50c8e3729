// The built-in fax font resource ("FAXFONT"): two fonts of 256 glyphs, code page 1252.
//
//   Offset  Font      Bytes/glyph  Width  Bytes/row  Rows
//        0  small          16        12       2        8
//     4096  standard       48        20       3       16
//
// Glyph c starts at c * (bytes per glyph) of its font, row r (0 = top) at r * (bytes per row);
// pixels packed like a raster line (leftmost in bit 7, 1 = black), bits beyond the width 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane {

inline constexpr size_t kFaxFontResourceSize = 16384;
inline constexpr size_t kSmallFontOffset = 0;
inline constexpr size_t kStandardFontOffset = 4096;

extern const std::array<uint8_t, kFaxFontResourceSize> kFaxFontResource;

} // namespace tolvane
