// Fax converter speed: pages per second for a text page, an all-white page and a densely
// dithered page, 1728 x 2156 pixels at fine resolution (the application's page), through the
// line coder alone and through the whole conversion into an APF file.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/FaxConverter.h"
#include "imaging/convert/FaxFont.h"
#include "imaging/convert/LineCoder.h"
#include "imaging/raster/MonoBitmap.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tolvane;

constexpr int kWidth = 1728;
constexpr int kHeight = 2156;

enum class Page { Text, White, Dithered };

// The page as the application draws it: 1 = white, rows word-aligned.
MonoBitmap MakePage(Page kind) {
    MonoBitmap page(kWidth, kHeight);
    if (kind == Page::Text) {
        FaxFont font;
        LoadFaxFont(font, "", kStandardFontBytesPerGlyph, TFaxResolution::frHigh);
        const std::string words =
            "The quick brown fox jumps over the lazy dog; Tolvane sends faxes 0123456789. ";
        std::vector<uint8_t> raster(kRasterBufferSize);
        for (int line = 0; line < 62; ++line) {
            std::string text;
            while (text.size() < 84) {
                text += words.substr(static_cast<size_t>(line) % 20);
            }
            text.resize(line % 7 == 6 ? 40 : 84); // paragraph ends
            for (int r = 1; r <= font.rows; ++r) {
                std::fill(raster.begin(), raster.end(), 0);
                RenderTextRow(font, text, r, raster.data());
                const int y = 80 + line * font.rows + r - 1;
                for (int x = 0; x < kWidth; ++x) {
                    if ((raster[static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1) {
                        page.SetBlack(x, y);
                    }
                }
            }
        }
    } else if (kind == Page::Dithered) {
        // A diagonal grey ramp, ordered dither with an 8 x 8 Bayer matrix.
        static const int bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int grey = 32 + (x + y) * 192 / (kWidth + kHeight);
                if (grey / 4 <= bayer[y % 8][x % 8]) {
                    page.SetBlack(x, y);
                }
            }
        }
    }
    return page;
}

// Raster lines (1 = black) of a page, each in a buffer of the coder's size.
std::vector<std::vector<uint8_t>> Rasters(const MonoBitmap& page) {
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < page.Height(); ++y) {
        std::vector<uint8_t> raster(kRasterBufferSize, 0);
        for (int i = 0; i < page.RowBytes(); ++i) {
            raster[static_cast<size_t>(i)] = static_cast<uint8_t>(~page.Row(y)[i]);
        }
        rows.push_back(std::move(raster));
    }
    return rows;
}

void CodeLines(benchmark::State& state, Page kind) {
    const auto rows = Rasters(MakePage(kind));
    std::vector<uint8_t> out(kRasterBufferSize + kCodedLineSlack);
    const T4LineFormat format{kWidth, 0, RunScale::Single};
    size_t bytes = 0;
    for (auto _ : state) {
        for (const auto& row : rows) {
            bytes += EncodeT4Line(row.data(), row.size(), format, out.data());
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes/page"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

void ConvertPage(benchmark::State& state, Page kind) {
    const MonoBitmap page = MakePage(kind);
    TFaxConverter converter;
    converter.SetResolution(TFaxResolution::frHigh);
    converter.SetOptions(0);
    converter.SetLeftMargin(0);
    const std::string out = "/tmp/tolvane-convert-bench-" + std::to_string(::getpid()) + ".apf";
    converter.SetOutFileName(out);
    for (auto _ : state) {
        converter.BitmapToApf(page);
    }
    std::remove(out.c_str());
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(CodeLines, text, Page::Text)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CodeLines, white, Page::White)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CodeLines, dithered, Page::Dithered)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertPage, text, Page::Text)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertPage, white, Page::White)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertPage, dithered, Page::Dithered)->Unit(benchmark::kMillisecond);

} // namespace
