// Collects the lines of one page into rows of a monochrome bitmap, then trims the rows to the
// widest content (rounded up to an even number of bytes).
#pragma once

#include "imaging/raster/MonoBitmap.h"

#include <cstdint>
#include <vector>

namespace tolvane {

class BitmapBuilder {
public:
    static constexpr int kRowsPerGrowth = 1024;

    // A page of rowBytes-byte rows; invert says lines come with 1 = white. 0 or -8.
    int Start(int rowBytes, bool invert);
    // One line: length 0 makes a white row; longer lines are cut to the row. 0 or -8.
    int Line(const uint8_t* data, int length);
    // The trimmed bitmap ((used width rounded up to even bytes) × 8 pixels by rows); an empty
    // bitmap when no line came. 0 or -8005.
    int Finish(MonoBitmap& bitmap);

    int Rows() const { return rows_; }
    int UsedBytes() const { return usedBytes_; }

private:
    std::vector<uint8_t> block_;
    int rowBytes_ = 0;
    int rows_ = 0;
    int usedBytes_ = 1;
    uint8_t white_ = 0;
};

} // namespace tolvane
