// The built-in fax font as loaded into a conversion context, and drawing text rows with it.
#pragma once

#include "imaging/convert/ConvertTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tolvane {

inline constexpr int kStandardFontBytesPerGlyph = 48; // 20 x 16
inline constexpr int kSmallFontBytesPerGlyph = 16;    // 12 x 8

struct FaxFont {
    int bytesPerGlyph = 0; // 0: no font loaded
    int glyphWidth = 0;    // pixels a glyph advances
    int bytesPerRow = 0;
    int rows = 0;
    // Room for the standard font with its rows doubled.
    std::array<uint8_t, 2 * 256 * kStandardFontBytesPerGlyph> glyphs{};
};

// Copies a font of the built-in resource: 48 bytes per glyph selects the standard font, any
// other value the small one. frHigh doubles every glyph row (standard 20 x 32, small 12 x 16).
// The font file name is accepted and not used. Returns 0.
int LoadFaxFont(FaxFont& font, std::string_view fontFile, int bytesPerGlyph, TFaxResolution resolution);

// Draws row `row` (1 = top, up to font.rows) of every character of `text` (up to a 0 character)
// into the raster, glyph after glyph from pixel 0; the raster must have been cleared. Rows
// outside 1..rows draw nothing; glyphs past the raster's end are left out.
//   raster: kRasterBufferSize bytes.
void RenderTextRow(const FaxFont& font, std::string_view text, int row, uint8_t* raster);

} // namespace tolvane
