// libtiff as a peer: bilevel TIFF files written and read through it, and its tools run on them.
#pragma once

#include "imaging/unpack/UnpackTestSupport.h"
#include "support/RunProcess.h"

#include <tiffio.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tolvane::test {

// An uncompressed bilevel TIFF (0 = white), one strip.
inline void WriteTiff(const std::string& name, const Raster& raster) {
    TIFF* t = TIFFOpen(name.c_str(), "w");
    if (!t) {
        throw std::runtime_error("cannot write " + name);
    }
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(raster.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(raster.rows.size()));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(raster.rows.size()));
    for (size_t y = 0; y < raster.rows.size(); ++y) {
        std::vector<uint8_t> row = raster.rows[y];
        TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(t);
}

struct TiffPage {
    int width = 0;
    uint16_t compression = 0;
    uint16_t photometric = 0;
    uint16_t fillOrder = FILLORDER_MSB2LSB;
    std::vector<std::vector<uint8_t>> rows; // decoded by libtiff, 1 = black for MINISWHITE
    std::vector<uint8_t> raw;               // every strip's coded data, least significant bit first
};

inline uint8_t Reversed(uint8_t b) {
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// Every page (directory) of a TIFF file.
inline std::vector<TiffPage> ReadTiff(const std::string& name) {
    std::vector<TiffPage> pages;
    TIFF* t = TIFFOpen(name.c_str(), "r");
    if (!t) {
        throw std::runtime_error("libtiff cannot read " + name);
    }
    do {
        TiffPage p;
        uint32_t width = 0;
        uint32_t height = 0;
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &p.compression);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &p.photometric);
        TIFFGetFieldDefaulted(t, TIFFTAG_FILLORDER, &p.fillOrder);
        p.width = static_cast<int>(width);
        for (tstrip_t s = 0; s < TIFFNumberOfStrips(t); ++s) {
            const auto size = TIFFRawStripSize(t, s);
            std::vector<uint8_t> strip(static_cast<size_t>(size));
            TIFFReadRawStrip(t, s, strip.data(), size);
            for (auto& b : strip) {
                p.raw.push_back(p.fillOrder == FILLORDER_MSB2LSB ? Reversed(b) : b);
            }
        }
        std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(t)));
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(t, row.data(), y, 0) < 0) {
                throw std::runtime_error("libtiff cannot decode row " + std::to_string(y) + " of " + name);
            }
            p.rows.push_back(row);
        }
        pages.push_back(std::move(p));
    } while (TIFFReadDirectory(t));
    TIFFClose(t);
    return pages;
}

inline void Run(const std::string& command) {
    const auto r = RunCommand(command);
    if (r.status != 0) {
        throw std::runtime_error(command + ": " + r.err);
    }
}

} // namespace tolvane::test
