// faxtool export FILE.apf -o PATTERN [--page N] [--format pbm|tiff] [--g3] [--bitmap
//   [--autoscale double-height|half-width|none] [--scale HM/HD,VM/VD]]
// writes pages as images. Without --bitmap each page is its full-width raster (1728 or 2048
// pixels, every decoded line); with it, what the unpacker component makes for display.
#include "Command.h"
#include "imaging/apf/ApfFile.h"
#include "imaging/convert/LineCoder.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/export/PbmWriter.h"
#include "imaging/export/TiffWriter.h"
#include "imaging/unpack/FaxUnpacker.h"
#include "imaging/unpack/UnpackerRecord.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

namespace faxtool {
namespace {

using namespace tolvane;

enum class Format { Pbm, Tiff };

struct Options {
    std::string input;
    std::string pattern;
    unsigned page = 0; // 0: every page
    std::optional<Format> format;
    bool bitmap = false;
    bool g3 = false; // TIFF coded with T.4 one-dimensional coding
    std::optional<TAutoScaleMode> autoscale;
    unsigned scale[4] = {1, 1, 1, 1}; // HM, HD, VM, VD
    bool scaling = false;
};

// A page image: rows of rowBytes bytes, 1 = black.
struct PageImage {
    int width = 0;
    int height = 0;
    size_t rowBytes = 0;
    std::vector<uint8_t> bits;
    TiffRational xResolution{204, 1};
    TiffRational yResolution{196, 1};
};

// The pattern with its one %d (printf flags and width allowed, "%%" for a percent sign)
// replaced by the page number; nothing when the pattern has another conversion.
std::optional<std::string> ExpandPattern(const std::string& pattern, unsigned page, bool& numbered) {
    std::string out;
    numbered = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        const bool zero = j < pattern.size() && pattern[j] == '0';
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') {
            ++j;
        }
        if (j >= pattern.size() || pattern[j] != 'd' || numbered || j - i > 4) {
            return std::nullopt;
        }
        const int width = j > i + 1 ? std::stoi(pattern.substr(i + 1, j - i - 1)) : 0;
        char number[32];
        std::snprintf(number, sizeof number, zero ? "%0*u" : "%*u", width, page);
        out += number;
        numbered = true;
        i = j;
    }
    return out;
}

bool ParseUnsigned(const std::string& text, unsigned& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = static_cast<unsigned>(std::stoul(text));
    return true;
}

bool ParseScale(const std::string& text, unsigned (&f)[4]) {
    unsigned values[4];
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const char end = i == 0 || i == 2 ? '/' : i == 1 ? ',' : '\0';
        const size_t stop = end ? text.find(end, at) : text.size();
        if (stop == std::string::npos || !ParseUnsigned(text.substr(at, stop - at), values[i]) ||
            values[i] == 0) {
            return false;
        }
        at = stop + 1;
    }
    std::copy(std::begin(values), std::end(values), std::begin(f));
    return true;
}

const char* const kUsage =
    "usage: faxtool export FILE.apf -o PATTERN [--page N] [--format pbm|tiff] [--bitmap "
    "[--autoscale double-height|half-width|none] [--scale HM/HD,VM/VD]]";

std::optional<int> ParseArgs(const Args& args, Options& o) {
    bool bitmapOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (a == "-o") {
            const auto* v = value();
            if (!v || v->empty()) {
                return Fail(kUsage);
            }
            o.pattern = *v;
        } else if (a == "--page") {
            const auto* v = value();
            if (!v || !ParseUnsigned(*v, o.page) || o.page == 0) {
                return Fail("export: --page needs a page number from 1");
            }
        } else if (a == "--format") {
            const auto* v = value();
            if (v && *v == "pbm") {
                o.format = Format::Pbm;
            } else if (v && *v == "tiff") {
                o.format = Format::Tiff;
            } else {
                return Fail("export: --format is pbm or tiff");
            }
        } else if (a == "--bitmap") {
            o.bitmap = true;
        } else if (a == "--g3") {
            o.g3 = true;
        } else if (a == "--autoscale") {
            const auto* v = value();
            if (v && *v == "double-height") {
                o.autoscale = TAutoScaleMode::asDoubleHeight;
            } else if (v && *v == "half-width") {
                o.autoscale = TAutoScaleMode::asHalfWidth;
            } else if (v && *v == "none") {
                o.autoscale = TAutoScaleMode::asNone;
            } else {
                return Fail("export: --autoscale is double-height, half-width or none");
            }
            bitmapOnly = true;
        } else if (a == "--scale") {
            const auto* v = value();
            if (!v || !ParseScale(*v, o.scale)) {
                return Fail("export: --scale is HM/HD,VM/VD with factors from 1");
            }
            o.scaling = true;
            bitmapOnly = true;
        } else if (!a.empty() && a[0] == '-') {
            return Fail("export: unknown option " + a);
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            return Fail("export: one file at a time");
        }
    }
    if (o.input.empty() || o.pattern.empty()) {
        return Fail(kUsage);
    }
    if (bitmapOnly && !o.bitmap) {
        return Fail("export: --autoscale and --scale need --bitmap");
    }
    if (!o.format) {
        const std::string ext = std::filesystem::path(o.pattern).extension().string();
        const bool tiff = ext == ".tif" || ext == ".tiff" || ext == ".TIF" || ext == ".TIFF";
        o.format = o.g3 || tiff ? Format::Tiff : Format::Pbm;
    }
    if (o.g3 && o.format != Format::Tiff) {
        return Fail("export: --g3 is for TIFF output");
    }
    return std::nullopt;
}

// Every decoded line at the page's full width, as the line sink gets it.
int RasterPage(ApfReader& reader, const std::string& file, unsigned page, PageImage& image) {
    std::unique_ptr<UnpackerRecord> record;
    if (const int rc = CreateUnpacker(nullptr, nullptr, record); rc < 0) {
        return rc;
    }
    ClearUnpackOptions(*record, 0xFFFF);
    int rows = 0;
    record->SetLineSink([&](UnpackerRecord& r, unsigned flags, const uint8_t* data, unsigned, int length) {
        if (flags == ulfStartOfPage) {
            image.width = r.PageHeader().Width();
            image.rowBytes = static_cast<size_t>(image.width / 8);
            image.yResolution = {r.PageHeader().Fine() ? 196u : 98u, 1};
            image.bits.clear(); // the capacity stays for the next page
        } else if (flags == ulfLine) {
            // A line of the other width is cut or filled with white.
            const size_t at = image.bits.size();
            image.bits.resize(at + image.rowBytes, 0);
            std::memcpy(image.bits.data() + at, data, std::min(image.rowBytes, static_cast<size_t>(length)));
            ++rows;
        }
        return ecOK;
    });
    const int rc = UnpackPage(*record, reader, file, page);
    image.height = rows;
    return rc;
}

// What PageToBitmap makes, turned back to 1 = black. The component raises its errors.
int BitmapPage(const Options& o, unsigned page, PageImage& image) {
    TFaxUnpacker unpacker;
    unpacker.SetInFileName(o.input);
    unpacker.SetOptions({});
    const TAutoScaleMode mode = o.autoscale.value_or(TAutoScaleMode::asDoubleHeight);
    unpacker.SetAutoScaleMode(mode);
    unpacker.SetScaling(o.scaling);
    unpacker.SetHorizMult(o.scale[0]);
    unpacker.SetHorizDiv(o.scale[1]);
    unpacker.SetVertMult(o.scale[2]);
    unpacker.SetVertDiv(o.scale[3]);
    ApfPageHeader header;
    {
        std::unique_ptr<UnpackerRecord> record;
        CreateUnpacker(nullptr, nullptr, record);
        if (const int rc = ReadPageHeader(*record, o.input, page, header); rc < 0) {
            return rc;
        }
    }
    const MonoBitmap bitmap = unpacker.PageToBitmap(static_cast<int>(page)); // raises on errors
    image.width = bitmap.Width();
    image.height = bitmap.Height();
    image.rowBytes = static_cast<size_t>((image.width + 7) / 8);
    image.bits.resize(image.rowBytes * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* from = bitmap.Row(y);
        uint8_t* to = image.bits.data() + static_cast<size_t>(y) * image.rowBytes;
        for (size_t i = 0; i < image.rowBytes; ++i) {
            to[i] = static_cast<uint8_t>(~from[i]);
        }
        if (image.width % 8) {
            to[image.rowBytes - 1] =
                static_cast<uint8_t>(to[image.rowBytes - 1] & (0xFF << (8 - image.width % 8)));
        }
    }
    // The resolution the image has after aspect correction and scaling.
    const bool normal = !header.Fine();
    image.xResolution = {204 * o.scale[0],
                         o.scale[1] * (normal && mode == TAutoScaleMode::asHalfWidth ? 2 : 1)};
    image.yResolution = {(normal ? 98 : 196) * (normal && mode == TAutoScaleMode::asDoubleHeight ? 2u : 1u) *
                             o.scale[2],
                         o.scale[3]};
    return ecOK;
}

// The rows coded line by line, each with its EOL ending on a byte boundary, least significant
// bit first. Widths are coded in whole bytes: the coder takes a line whose first width / 8 bytes
// are white for a white line.
std::vector<uint8_t> CodeG3(const PageImage& image, uint32_t& width) {
    width = static_cast<uint32_t>(image.rowBytes * 8);
    const T4LineFormat format{static_cast<int>(width), 0, RunScale::Single};
    std::vector<uint8_t> coded;
    std::vector<uint8_t> line(kRasterBufferSize + kCodedLineSlack);
    for (int y = 0; y < image.height; ++y) {
        const size_t n = EncodeT4Line(image.bits.data() + static_cast<size_t>(y) * image.rowBytes,
                                      image.rowBytes, format, line.data());
        coded.insert(coded.end(), line.begin(), line.begin() + static_cast<long>(n));
    }
    return coded;
}

int WriteImage(const std::string& name, const Options& o, const PageImage& image) {
    if (*o.format == Format::Pbm) {
        return WritePbmFile(name, image.width, image.height, image.bits.data(), image.rowBytes);
    }
    TiffWriter tiff;
    int rc = tiff.Create(name);
    TiffPageInfo info;
    info.width = static_cast<uint32_t>(image.width);
    info.xResolution = image.xResolution;
    info.yResolution = image.yResolution;
    std::vector<uint8_t> coded;
    if (o.g3) {
        coded = CodeG3(image, info.width);
        info.compression = TiffCompression::CcittT4;
        info.fillOrder = TiffFillOrder::LsbFirst;
        info.t4Options = kT4OptionsFillBits;
    }
    if (rc >= 0) {
        rc = tiff.BeginPage(info);
    }
    if (rc >= 0) {
        rc = o.g3 ? tiff.WriteData(coded.data(), coded.size())
                  : tiff.WriteData(image.bits.data(), image.bits.size());
    }
    if (rc >= 0) {
        rc = tiff.EndPage(static_cast<uint32_t>(image.height));
    }
    if (const int closed = tiff.Close(); rc >= 0) {
        rc = closed;
    }
    return rc;
}

int RunExport(const Args& args) {
    Options o;
    if (const auto failed = ParseArgs(args, o)) {
        return *failed;
    }
    bool numbered = false;
    if (!ExpandPattern(o.pattern, 1, numbered)) {
        return Fail("export: PATTERN may hold one %d (with a width) and %% only");
    }
    ApfReader reader; // one open file for all the pages
    if (const int rc = reader.Open(o.input); rc < 0) {
        return FailCode(rc, o.input);
    }
    const ApfFileHeader& header = reader.Header();
    if (o.page > header.PageCount) {
        return Fail(o.input + ": there is no page " + std::to_string(o.page) + " (the file has " +
                    std::to_string(header.PageCount) + ")");
    }
    const unsigned first = o.page ? o.page : 1;
    const unsigned last = o.page ? o.page : header.PageCount;
    if (last > first && !numbered) {
        return Fail("export: PATTERN needs %d for a file of several pages");
    }
    PageImage image; // one buffer for every page: no fresh memory to fault in per page
    for (unsigned page = first; page <= last; ++page) {
        const std::string name = *ExpandPattern(o.pattern, page, numbered);
        const std::string where = o.input + " page " + std::to_string(page);
        image.height = 0;
        try {
            if (const int rc =
                    o.bitmap ? BitmapPage(o, page, image) : RasterPage(reader, o.input, page, image);
                rc < 0) {
                return FailCode(rc, where);
            }
        } catch (const tolvane::Exception& e) {
            return Fail(where + ": " + e.Message());
        }
        if (image.height == 0) {
            return Fail(where + ": no scan line could be decoded");
        }
        if (const int rc = WriteImage(name, o, image); rc < 0) {
            std::error_code ignored;
            std::filesystem::remove(name, ignored); // nothing half-written stays behind
            return FailCode(rc, name);
        }
        std::cout << name << ": page " << page << ", " << image.width << " x " << image.height << '\n';
    }
    return 0;
}

[[maybe_unused]] const bool registered = RegisterCommand(
    {"export",
     "export FILE.apf -o PATTERN [--page N] [--format pbm|tiff] [--g3] [--bitmap ...]  pages as images",
     &RunExport});

} // namespace
} // namespace faxtool
