#include "FaxPeer.h"
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/FaxConverter.h"
#include "imaging/errors/ResultCodes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

using test::TempDir;

struct TextPage {
    std::vector<std::vector<uint8_t>> lines; // raster lines
    std::vector<int> lengths;
};

// Pages as the text reader delivers them.
std::vector<TextPage> ReadText(const std::string& text, int linesPerPage = 0, int tabStop = 4,
                               TFaxResolution resolution = TFaxResolution::frNormal) {
    TempDir dir;
    test::WriteAll(dir.File("in.txt"), std::vector<uint8_t>(text.begin(), text.end()));
    ConverterPtr ctx;
    CreateTextConverter(ctx);
    ctx->linesPerPage = linesPerPage;
    ctx->tabStop = tabStop;
    LoadFaxFont(*ctx, "", 48, resolution);
    std::vector<TextPage> pages(1);
    EXPECT_EQ(ctx->reader->Open(*ctx, dir.File("in.txt")), 0);
    for (int guard = 0; guard < 100000; ++guard) {
        std::vector<uint8_t> raster(kRasterBufferSize, 0);
        LineRead line;
        ++ctx->lineNumber;
        EXPECT_EQ(ctx->reader->ReadLine(*ctx, raster.data(), line), 0);
        if (line.endOfPage) {
            if (!line.morePages) {
                break;
            }
            pages.emplace_back();
            ctx->lineNumber = 0;
            continue;
        }
        raster.resize(216);
        pages.back().lines.push_back(raster);
        pages.back().lengths.push_back(line.length);
    }
    ctx->reader->Close(*ctx);
    return pages;
}

// The 16 raster lines of one text line as the font draws it.
std::vector<std::vector<uint8_t>> Drawn(const std::string& text) {
    FaxFont font;
    LoadFaxFont(font, "", 48, TFaxResolution::frNormal);
    std::vector<std::vector<uint8_t>> rows;
    for (int r = 1; r <= 16; ++r) {
        std::vector<uint8_t> raster(kRasterBufferSize, 0);
        RenderTextRow(font, text, r, raster.data());
        raster.resize(216);
        rows.push_back(raster);
    }
    return rows;
}

std::vector<std::vector<uint8_t>> Lines(const TextPage& page, size_t textLine) {
    return {page.lines.begin() + static_cast<long>(16 * textLine),
            page.lines.begin() + static_cast<long>(16 * textLine + 16)};
}

TEST(TextInput, LongLinesAreCutAndTabsExpanded) {
    const auto pages = ReadText(std::string(100, 'x') + "\nabcde\tX\r\n\tY\rend");
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].lines.size(), 4u * 16);
    EXPECT_EQ(pages[0].lengths[0], (84 * 20 + 7) / 8);
    EXPECT_TRUE(Lines(pages[0], 0) == Drawn(std::string(84, 'x')));
    EXPECT_TRUE(Lines(pages[0], 1) == Drawn("abcde   X"));
    EXPECT_TRUE(Lines(pages[0], 2) == Drawn("    Y"));
    EXPECT_TRUE(Lines(pages[0], 3) == Drawn("end"));
}

TEST(TextInput, LinesPerPageSplitsTheFile) {
    std::string text;
    for (int i = 1; i <= 130; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    const auto pages = ReadText(text, 60);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].lines.size(), 60u * 16);
    EXPECT_EQ(pages[1].lines.size(), 60u * 16);
    EXPECT_EQ(pages[2].lines.size(), 10u * 16);
    EXPECT_TRUE(Lines(pages[1], 0) == Drawn("line 61"));
    EXPECT_TRUE(Lines(pages[2], 9) == Drawn("line 130"));
    // Exactly 120 lines give two pages, not an empty third.
    text.clear();
    for (int i = 1; i <= 120; ++i) {
        text += "l\n";
    }
    EXPECT_EQ(ReadText(text, 60).size(), 2u);
}

TEST(TextInput, FormFeedStartsANewPageWithTheTextAfterIt) {
    const auto pages = ReadText("one\ftwo\nthree\n\fsix\f\n");
    ASSERT_EQ(pages.size(), 3u);
    ASSERT_EQ(pages[0].lines.size(), 16u);
    EXPECT_TRUE(Lines(pages[0], 0) == Drawn("one"));
    ASSERT_EQ(pages[1].lines.size(), 32u);
    EXPECT_TRUE(Lines(pages[1], 0) == Drawn("two"));
    EXPECT_TRUE(Lines(pages[1], 1) == Drawn("three"));
    ASSERT_EQ(pages[2].lines.size(), 16u);
    EXPECT_TRUE(Lines(pages[2], 0) == Drawn("six"));
}

TEST(TextInput, EmptyFileGivesOnePageWithOneBlankLine) {
    const auto pages = ReadText("");
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].lines.size(), 1u);
    EXPECT_EQ(pages[0].lines[0], std::vector<uint8_t>(216, 0));
}

TEST(TextInput, Utf8IsMappedToCodePage1252) {
    const auto pages = ReadText("Gr\xC3\xBC\xC3\x9F"
                                "e \xE2\x82\xAC 5\n"
                                "caf\xE9 latin-1\n");
    ASSERT_EQ(pages[0].lines.size(), 32u);
    EXPECT_TRUE(Lines(pages[0], 0) == Drawn("Gr\xFC\xDF"
                                            "e \x80 5"));
    EXPECT_TRUE(Lines(pages[0], 1) == Drawn("caf\xE9 latin-1"));
}

TEST(TextInput, FineResolutionDrawsThirtyTwoLinesPerTextLine) {
    const auto pages = ReadText("a\nb\n", 0, 4, TFaxResolution::frHigh);
    EXPECT_EQ(pages[0].lines.size(), 64u);
}

TEST(TextInput, ComponentConvertsATextFileWithItsProperties) {
    TempDir dir;
    std::string text;
    for (int i = 1; i <= 25; ++i) {
        text += "Line " + std::to_string(i) + "\n";
    }
    test::WriteAll(dir.File("LETTER.txt"), std::vector<uint8_t>(text.begin(), text.end()));
    TFaxConverter cvt;
    cvt.SetInputDocumentType(TFaxInputDocumentType::idText);
    cvt.SetLinesPerPage(10);
    cvt.SetFontType(TFaxFont::ffSmall);
    cvt.SetDocumentFile(dir.File("LETTER")); // the extension is found
    EXPECT_EQ(cvt.ConvertDocument(), 3);
    EXPECT_EQ(test::PageRecords(dir.File("LETTER.APF"), 1).size(), 80u);
    EXPECT_EQ(test::PageRecords(dir.File("LETTER.APF"), 3).size(), 40u);

    const auto peer = test::DecodeApfPage(dir.File("LETTER.APF"), 3);
    EXPECT_EQ(peer.problems, "");
    FaxFont small;
    LoadFaxFont(small, "", 16, TFaxResolution::frNormal);
    std::vector<uint8_t> raster(kRasterBufferSize, 0);
    RenderTextRow(small, "Line 21", 4, raster.data());
    for (int x = 0; x < 7 * 12; ++x) {
        EXPECT_EQ(peer.raster.Black(50 + x, 3), ((raster[x / 8] >> (7 - x % 8)) & 1) != 0) << x;
    }
}

TEST(TextInput, MissingFontAndMissingFile) {
    TempDir dir;
    ConverterPtr ctx;
    CreateTextConverter(ctx);
    test::WriteAll(dir.File("a.txt"), {'a'});
    EXPECT_EQ(ctx->reader->Open(*ctx, dir.File("a.txt")), ecFontFileNotFound);
    ctx->reader->Close(*ctx);

    TFaxConverter cvt;
    cvt.SetInputDocumentType(TFaxInputDocumentType::idText);
    cvt.SetDocumentFile(dir.File("nothing.txt"));
    cvt.SetLoading(true);
    EXPECT_EQ(cvt.ConvertDocument(), ecFileNotFound);
    EXPECT_EQ(cvt.FailedFile(), dir.File("nothing.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("nothing.APF")));
}

} // namespace
} // namespace tolvane
