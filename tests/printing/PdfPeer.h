// Poppler's command-line tools as the peer that reads printed PDF files: page counts and sizes,
// text, and rasterised pages.
#pragma once

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace tolvane::test {

struct PdfInfo {
    int pages = 0;
    double widthPt = 0; // first page
    double heightPt = 0;
};

inline std::optional<PdfInfo> ReadPdfInfo(const std::string& pdf) {
    const auto r = RunCommand("pdfinfo " + ShellQuote(pdf));
    if (r.status != 0) {
        return std::nullopt;
    }
    PdfInfo info;
    std::smatch m;
    if (std::regex_search(r.out, m, std::regex(R"(Pages:\s+(\d+))"))) {
        info.pages = std::stoi(m[1]);
    }
    if (std::regex_search(r.out, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+))"))) {
        info.widthPt = std::stod(m[1]);
        info.heightPt = std::stod(m[2]);
    }
    return info;
}

// The text of one page (1-based), or of all pages with page 0.
inline std::string PdfText(const std::string& pdf, int page = 0) {
    std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return RunCommand("pdftotext -layout" + range + " " + ShellQuote(pdf) + " -").out;
}

// A grey raster of one page; IsBlack tells dark pixels.
struct GreyPage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    bool IsBlack(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x] < 128;
    }
    int BlackInRow(int y, int x0, int x1) const {
        int n = 0;
        for (int x = x0; x < x1; ++x) {
            n += IsBlack(x, y);
        }
        return n;
    }
};

// A black line across at least half the page: its row and extent.
struct PageLine {
    int y = -1;
    int left = 0;
    int right = 0;
};

// The widest such line among rows from..to - 1 (the header or the footer line).
inline PageLine WidestRow(const GreyPage& g, int from, int to) {
    PageLine widest;
    for (int y = from; y < to; ++y) {
        if (g.BlackInRow(y, 0, g.width) < g.width / 2) {
            continue;
        }
        PageLine l{y, 0, g.width - 1};
        while (!g.IsBlack(l.left, y)) {
            ++l.left;
        }
        while (!g.IsBlack(l.right, y)) {
            --l.right;
        }
        if (widest.y < 0 || l.right - l.left > widest.right - widest.left) {
            widest = l;
        }
    }
    return widest;
}

// The extent of the black at a row's ends (the sides of a framed fax page).
inline PageLine RowEnds(const GreyPage& g, int y) {
    PageLine l{y, 0, g.width - 1};
    while (l.left < g.width - 1 && !g.IsBlack(l.left, y)) {
        ++l.left;
    }
    while (l.right > 0 && !g.IsBlack(l.right, y)) {
        --l.right;
    }
    return l;
}

inline std::optional<GreyPage> RasterisePdfPage(const std::string& pdf, int page, int dpi) {
    TempDir dir;
    const std::string base = dir.File("page");
    const auto r =
        RunCommand("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                   " -l " + std::to_string(page) + " " + ShellQuote(pdf) + " " + ShellQuote(base));
    if (r.status != 0) {
        return std::nullopt;
    }
    std::ifstream in(base + ".pgm", std::ios::binary);
    std::string magic;
    GreyPage g;
    int maxValue = 0;
    in >> magic >> g.width >> g.height >> maxValue;
    in.get();
    if (magic != "P5" || maxValue != 255) {
        return std::nullopt;
    }
    g.pixels.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
    in.read(reinterpret_cast<char*>(g.pixels.data()), static_cast<std::streamsize>(g.pixels.size()));
    return g;
}

} // namespace tolvane::test
