// Fax files for the printing and viewer tests: pages drawn as rasters and written as APF files
// with the T.4 encoder of the unpacker tests.
#pragma once

#include "imaging/apf/ApfFormat.h"
#include "imaging/unpack/UnpackTestSupport.h"

#include <string>
#include <vector>

namespace tolvane::test {

// A black rectangle (x, y inclusive-exclusive) on a raster.
inline void FillRect(Raster& r, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            Raster::Set(r.rows[static_cast<size_t>(y)], x);
        }
    }
}

// A white page with a black frame `thick` pixels wide along its edges, so that its bitmap keeps
// the full width and the printed image's extent can be measured.
inline Raster FramedRaster(int width, int rows, int thick) {
    Raster r = WhiteRaster(width, rows);
    FillRect(r, 0, 0, width, thick);
    FillRect(r, 0, rows - thick, width, rows);
    FillRect(r, 0, 0, thick, rows);
    FillRect(r, width - thick, 0, width, rows);
    return r;
}

inline TestPage EncodedPage(const Raster& raster, uint16_t flags) {
    TestPage page;
    page.flags = static_cast<uint16_t>(flags | (raster.width == 2048 ? apfWideWidth : 0));
    page.data = EncodeStream(raster);
    return page;
}

// A fax of `pages` copies of raster.
inline void WriteFax(const std::string& name, const Raster& raster, int pages,
                     uint16_t flags = apfFineResolution) {
    const TestPage page = EncodedPage(raster, flags);
    WriteApf(name, std::vector<TestPage>(static_cast<size_t>(pages), page));
}

} // namespace tolvane::test
