#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/FaxFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

// Pixels x0 .. x0 + n - 1 of a raster line as '#' (black) and '.'.
std::string Pixels(const uint8_t* raster, int x0, int n) {
    std::string s;
    for (int x = x0; x < x0 + n; ++x) {
        s += (raster[x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
    }
    return s;
}

std::string GlyphRow(const FaxFont& font, char c, int row) {
    std::vector<uint8_t> raster(kRasterBufferSize, 0);
    RenderTextRow(font, std::string(1, c), row, raster.data());
    return Pixels(raster.data(), 0, font.glyphWidth);
}

TEST(FaxFont, PinnedGlyphRows) {
    FaxFont standard, small;
    ASSERT_EQ(LoadFaxFont(standard, "DEROFAX.FNT", 48, TFaxResolution::frNormal), 0);
    ASSERT_EQ(LoadFaxFont(small, "", 16, TFaxResolution::frNormal), 0);
    EXPECT_EQ(standard.rows, 16);
    EXPECT_EQ(standard.glyphWidth, 20);
    EXPECT_EQ(small.rows, 8);
    EXPECT_EQ(small.glyphWidth, 12);

    EXPECT_EQ(GlyphRow(standard, 'A', 4), ".........##.........");
    EXPECT_EQ(GlyphRow(standard, 'A', 10), "...##############...");
    EXPECT_EQ(GlyphRow(standard, ' ', 10), "....................");
    EXPECT_EQ(GlyphRow(standard, '\xE4', 2), "...................."); // a umlaut: dots on row 4
    EXPECT_EQ(GlyphRow(standard, '\xE4', 4), ".....##......##.....");
    EXPECT_EQ(GlyphRow(standard, '\x80', 8), "...##########......."); // euro sign
    EXPECT_EQ(GlyphRow(small, 'A', 5), ".########...");
    EXPECT_EQ(GlyphRow(small, 'g', 8), "...####.....");
}

TEST(FaxFont, RowsAreDrawnGlyphAfterGlyphFromPixelZero) {
    FaxFont font;
    LoadFaxFont(font, "", 48, TFaxResolution::frNormal);
    std::vector<uint8_t> raster(kRasterBufferSize, 0);
    RenderTextRow(font, std::string("AAA\0A", 5), 10, raster.data());
    const std::string a = GlyphRow(font, 'A', 10);
    EXPECT_EQ(Pixels(raster.data(), 0, 80), a + a + a + std::string(20, '.')); // stops at the 0 character

    std::vector<uint8_t> untouched(kRasterBufferSize, 0);
    RenderTextRow(font, "A", 0, untouched.data());
    RenderTextRow(font, "A", 17, untouched.data());
    EXPECT_EQ(untouched, std::vector<uint8_t>(kRasterBufferSize, 0));
}

TEST(FaxFont, FineResolutionDoublesEveryRow) {
    FaxFont normal, fine;
    LoadFaxFont(normal, "", 48, TFaxResolution::frNormal);
    LoadFaxFont(fine, "", 48, TFaxResolution::frHigh);
    EXPECT_EQ(fine.rows, 32);
    EXPECT_EQ(fine.bytesPerGlyph, 96);
    for (const char c : std::string("AgW\xE4\xFF")) {
        for (int r = 1; r <= 16; ++r) {
            EXPECT_EQ(GlyphRow(fine, c, 2 * r - 1), GlyphRow(normal, c, r)) << c << r;
            EXPECT_EQ(GlyphRow(fine, c, 2 * r), GlyphRow(normal, c, r)) << c << r;
        }
    }
}

TEST(FaxFont, PrintableCharactersAndLatinLettersHaveGlyphs) {
    FaxFont font;
    LoadFaxFont(font, "", 48, TFaxResolution::frNormal);
    // Every character of code page 1252 that has a visible shape.
    const auto visible = [](int c) {
        return c != 0x7F && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D && c != 0xA0 &&
               c != 0xAD;
    };
    for (int c = 33; c < 256; ++c) {
        if (!visible(c)) {
            continue;
        }
        const uint8_t* g = font.glyphs.data() + c * 48;
        bool any = false;
        for (int i = 0; i < 48; ++i) {
            any |= g[i] != 0;
        }
        EXPECT_TRUE(any) << "character " << c;
    }
}

TEST(FaxFont, TextConverterHasTheDefaultsAndRendersThroughTheContext) {
    ConverterPtr ctx;
    ASSERT_EQ(CreateTextConverter(ctx), 0);
    EXPECT_EQ(ctx->pageWidth, 1728);
    EXPECT_EQ(ctx->leftMargin, 50);
    EXPECT_EQ(ctx->topMargin, 0);
    EXPECT_EQ(ctx->options, 13);
    EXPECT_EQ(ctx->tabStop, 4);
    EXPECT_EQ(ctx->linesPerPage, 0);
    ASSERT_EQ(LoadFaxFont(*ctx, "DEROFAX.FNT", 48, TFaxResolution::frHigh), 0);
    std::vector<uint8_t> raster(kRasterBufferSize, 0);
    RenderTextRow(*ctx, "A", 20, raster.data());
    EXPECT_EQ(Pixels(raster.data(), 0, 20), "...##############...");
    const size_t n = EncodeRasterLine(*ctx, raster.data());
    EXPECT_EQ(n, ctx->codedLength);
    EXPECT_EQ(ctx->CodedLine()[0], 0x00);
    EXPECT_EQ(ctx->CodedLine()[1], 0x80);
    uint8_t eop[12];
    EXPECT_EQ(EncodeEndOfPage(*ctx, eop), 12u);
}

} // namespace
} // namespace tolvane
