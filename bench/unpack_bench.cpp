// Decoding speed of the unpacker: text, white and dense (noise) fine pages of 1728 x 2200
// decoded to rasters, from memory and from an APF file, and into bitmaps.
#include "../tests/imaging/unpack/UnpackTestSupport.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/T4Decoder.h"
#include "imaging/unpack/UnpackerRecord.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

namespace {

using namespace tolvane;

constexpr int kRows = 2200;

const test::Raster& PageRaster(int kind) {
    static const std::map<int, test::Raster> pages{{0, test::TextRaster(1728, kRows, 1)},
                                                   {1, test::WhiteRaster(1728, kRows)},
                                                   {2, test::NoiseRaster(1728, kRows, 2)}};
    return pages.at(kind);
}

const std::vector<uint8_t>& PageStream(int kind) {
    static std::map<int, std::vector<uint8_t>> streams;
    auto& s = streams[kind];
    if (s.empty()) {
        s = test::EncodeStream(PageRaster(kind));
    }
    return s;
}

// One APF file per kind, in the temporary folder, removed at exit.
const std::string& PageFile(int kind) {
    static std::map<int, std::string> files;
    auto& name = files[kind];
    if (name.empty()) {
        name = (std::filesystem::temp_directory_path() /
                ("tolvane-bench-" + std::to_string(::getpid()) + "-" + std::to_string(kind) + ".apf"))
                   .string();
        test::WriteApf(name, {{apfFineResolution, PageStream(kind)}});
        static struct Cleanup {
            ~Cleanup() {
                for (const auto& [k, n] : files) {
                    std::filesystem::remove(n);
                }
            }
        } cleanup;
    }
    return name;
}

// The rows of a page raster, as an exporter fills them.
struct RasterSink {
    std::vector<uint8_t> rows = std::vector<uint8_t>(216u * kRows);
    size_t at = 0;
    void Line(uint8_t* data, int length) {
        if (at + static_cast<size_t>(length) <= rows.size()) {
            std::memcpy(rows.data() + at, data, static_cast<size_t>(length));
            at += static_cast<size_t>(length);
        }
    }
    bool AfterByte() { return true; }
};

void DecodeFromMemory(benchmark::State& state) {
    const auto& stream = PageStream(static_cast<int>(state.range(0)));
    T4Decoder decoder;
    RasterSink sink;
    for (auto _ : state) {
        decoder.Reset();
        sink.at = 0;
        for (size_t i = 0; i < stream.size(); i += 4096) {
            if (decoder.Feed(stream.data() + i, std::min<size_t>(4096, stream.size() - i), sink) !=
                DecodeStatus::NeedData) {
                break;
            }
        }
        benchmark::DoNotOptimize(sink.rows.data());
    }
    if (sink.at != 216u * kRows) {
        state.SkipWithError("wrong number of rows");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void UnpackPageFromFile(benchmark::State& state) {
    const auto& name = PageFile(static_cast<int>(state.range(0)));
    std::vector<uint8_t> rows(216u * kRows);
    size_t at = 0;
    std::unique_ptr<UnpackerRecord> record;
    CreateUnpacker(
        [&](UnpackerRecord&, unsigned flags, const uint8_t* data, unsigned, int length) {
            if (flags == ulfLine && at + static_cast<size_t>(length) <= rows.size()) {
                std::memcpy(rows.data() + at, data, static_cast<size_t>(length));
                at += static_cast<size_t>(length);
            }
            return ecOK;
        },
        nullptr, record);
    ClearUnpackOptions(*record, 0xFFFF);
    for (auto _ : state) {
        at = 0;
        if (UnpackPage(*record, name, 1) < 0) {
            state.SkipWithError("unpack failed");
        }
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void PageToBitmap(benchmark::State& state) {
    const auto& name = PageFile(static_cast<int>(state.range(0)));
    std::unique_ptr<UnpackerRecord> record;
    CreateUnpacker(nullptr, nullptr, record);
    for (auto _ : state) {
        UnpackedBitmap bitmap;
        if (PageToBitmapHandle(*record, name, 1, true, bitmap) < 0) {
            state.SkipWithError("unpack failed");
        }
        benchmark::DoNotOptimize(bitmap.bitmap.Bits().data());
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// 0 text, 1 white, 2 dense.
BENCHMARK(DecodeFromMemory)->ArgName("text0_white1_dense2")->DenseRange(0, 2);
BENCHMARK(UnpackPageFromFile)->ArgName("text0_white1_dense2")->DenseRange(0, 2);
BENCHMARK(PageToBitmap)->ArgName("text0_white1_dense2")->DenseRange(0, 2);

} // namespace
