#include "imaging/convert/FaxFont.h"

#include "imaging/convert/LineCoder.h"
#include "imaging/convert/font/FaxFontResource.h"
#include "imaging/errors/ResultCodes.h"

#include <cstring>

namespace tolvane {

int LoadFaxFont(FaxFont& font, std::string_view /*fontFile*/, int bytesPerGlyph, TFaxResolution resolution) {
    const bool standard = bytesPerGlyph == kStandardFontBytesPerGlyph;
    font.bytesPerGlyph = standard ? kStandardFontBytesPerGlyph : kSmallFontBytesPerGlyph;
    font.glyphWidth = standard ? 20 : 12;
    font.bytesPerRow = standard ? 3 : 2;
    font.rows = standard ? 16 : 8;
    const size_t size = 256 * static_cast<size_t>(font.bytesPerGlyph);
    std::memcpy(font.glyphs.data(),
                kFaxFontResource.data() + (standard ? kStandardFontOffset : kSmallFontOffset), size);
    if (resolution == TFaxResolution::frHigh) {
        // Expand in place from the last glyph down: every row twice.
        const auto bpg = static_cast<size_t>(font.bytesPerGlyph);
        const auto bpr = static_cast<size_t>(font.bytesPerRow);
        for (size_t g = 256; g-- > 0;) {
            for (size_t r = static_cast<size_t>(font.rows); r-- > 0;) {
                const uint8_t* from = font.glyphs.data() + g * bpg + r * bpr;
                uint8_t* to = font.glyphs.data() + g * 2 * bpg + 2 * r * bpr;
                std::memmove(to + bpr, from, bpr);
                std::memmove(to, from, bpr);
            }
        }
        font.bytesPerGlyph *= 2;
        font.rows *= 2;
    }
    return ecOK;
}

void RenderTextRow(const FaxFont& font, std::string_view text, int row, uint8_t* raster) {
    if (row < 1 || row > font.rows) {
        return;
    }
    const auto bpr = static_cast<size_t>(font.bytesPerRow);
    const size_t rowOffset = static_cast<size_t>(row - 1) * bpr;
    size_t x = 0;
    for (const char ch : text) {
        if (ch == '\0') {
            break;
        }
        const size_t byte = x / 8;
        if (byte + 4 > kRasterBufferSize) {
            break;
        }
        const uint8_t* g = font.glyphs.data() +
                           static_cast<uint8_t>(ch) * static_cast<size_t>(font.bytesPerGlyph) + rowOffset;
        uint32_t bits = uint32_t{g[0]} << 24 | uint32_t{g[1]} << 16;
        if (bpr == 3) {
            bits |= uint32_t{g[2]} << 8;
        }
        if (bits != 0) {
            bits >>= x % 8;
            raster[byte] |= static_cast<uint8_t>(bits >> 24);
            raster[byte + 1] |= static_cast<uint8_t>(bits >> 16);
            raster[byte + 2] |= static_cast<uint8_t>(bits >> 8);
            raster[byte + 3] |= static_cast<uint8_t>(bits);
        }
        x += static_cast<size_t>(font.glyphWidth);
    }
}

} // namespace tolvane
