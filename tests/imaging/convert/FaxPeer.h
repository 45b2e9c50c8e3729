// Test support: libtiff's fax2tiff (and netpbm's tifftopnm) as the independent T.4 decoder, and
// raster helpers for comparing what was coded with what comes back.
#pragma once

#include "imaging/apf/ApfFile.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::test {

// A page of rows, each (width + 7) / 8 bytes, 1 = black, leftmost pixel in the MSB.
struct Raster {
    int width = 0;
    std::vector<std::vector<uint8_t>> rows;

    Raster() = default;
    Raster(int w, int h) : width(w), rows(static_cast<size_t>(h), std::vector<uint8_t>((w + 7) / 8, 0)) {}
    int Height() const { return static_cast<int>(rows.size()); }
    bool Black(int x, int y) const {
        return (rows[static_cast<size_t>(y)][static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
    }
    void Set(int x, int y, bool black = true) {
        auto& b = rows[static_cast<size_t>(y)][static_cast<size_t>(x / 8)];
        const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
        b = black ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
    }
};

// Parses a raw PBM (P4) image.
inline bool ParsePbm(const std::vector<uint8_t>& bytes, Raster& out) {
    size_t p = 0;
    auto number = [&](int& v) {
        while (p < bytes.size() &&
               (bytes[p] == ' ' || bytes[p] == '\n' || bytes[p] == '\t' || bytes[p] == '\r')) {
            ++p;
        }
        v = 0;
        bool any = false;
        while (p < bytes.size() && bytes[p] >= '0' && bytes[p] <= '9') {
            v = v * 10 + (bytes[p++] - '0');
            any = true;
        }
        return any;
    };
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '4') {
        return false;
    }
    p = 2;
    int w = 0, h = 0;
    if (!number(w) || !number(h)) {
        return false;
    }
    ++p;
    out = Raster(w, h);
    const size_t rowBytes = static_cast<size_t>(w + 7) / 8;
    if (bytes.size() < p + rowBytes * static_cast<size_t>(h)) {
        return false;
    }
    for (int y = 0; y < h; ++y) {
        std::copy_n(bytes.begin() + static_cast<long>(p + rowBytes * static_cast<size_t>(y)), rowBytes,
                    out.rows[static_cast<size_t>(y)].begin());
    }
    return true;
}

struct PeerResult {
    Raster raster;
    std::string problems; // decoder warnings other than the end of the data
};

// Decodes a plain 1-D T.4 stream (bits least significant first) with fax2tiff.
inline PeerResult DecodeWithFax2Tiff(const std::vector<uint8_t>& stream, int width, int rows) {
    TempDir dir;
    WriteAll(dir.File("page.raw"), stream);
    PeerResult result;
    const auto fax = RunCommand("timeout 30 fax2tiff -1 -L -m -X " + std::to_string(width) + " -o " +
                                ShellQuote(dir.File("page.tif")) + " " + ShellQuote(dir.File("page.raw")));
    // The decoder reports the empty row it finds at the end of the data.
    const std::string endOfData = "Premature EOL at line " + std::to_string(rows) + " ";
    size_t start = 0;
    while (start < fax.err.size()) {
        size_t end = fax.err.find('\n', start);
        end = end == std::string::npos ? fax.err.size() : end;
        const std::string line = fax.err.substr(start, end - start);
        if (!line.empty() && line.find(endOfData) == std::string::npos) {
            result.problems += line + "\n";
        }
        start = end + 1;
    }
    if (fax.status != 0) {
        result.problems += "fax2tiff failed\n";
        return result;
    }
    const auto pnm = RunCommand("tifftopnm " + ShellQuote(dir.File("page.tif")) + " > " +
                                ShellQuote(dir.File("page.pbm")));
    if (pnm.status != 0 || !ParsePbm(ReadAll(dir.File("page.pbm")), result.raster)) {
        result.problems += "tifftopnm failed: " + pnm.err;
    }
    return result;
}

// The line records of an APF page (length words removed), the end-of-page record left out.
inline std::vector<std::vector<uint8_t>> PageRecords(const std::string& file, unsigned page,
                                                     ApfPageHeader* header = nullptr) {
    ApfReader reader;
    std::vector<std::vector<uint8_t>> records;
    ApfPageHeader h;
    if (reader.Open(file) < 0 || reader.LocatePage(page, h) < 0) {
        return records;
    }
    if (header) {
        *header = h;
    }
    for (uint32_t done = 0; done < h.ImageLength;) {
        uint8_t len[2];
        if (reader.ReadExact(len, 2) < 0) {
            break;
        }
        std::vector<uint8_t> r(static_cast<size_t>(len[0] | len[1] << 8));
        if (reader.ReadExact(r.data(), r.size()) < 0) {
            break;
        }
        done += 2 + static_cast<uint32_t>(r.size());
        records.push_back(std::move(r));
    }
    if (!records.empty()) {
        records.pop_back();
    }
    return records;
}

inline std::vector<uint8_t> Joined(const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> all;
    for (const auto& r : records) {
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

// Decodes page n of an APF file with the peer; the page width comes from its flags.
inline PeerResult DecodeApfPage(const std::string& file, unsigned page) {
    ApfPageHeader h;
    const auto records = PageRecords(file, page, &h);
    return DecodeWithFax2Tiff(Joined(records), h.Width(), static_cast<int>(records.size()));
}

} // namespace tolvane::test
