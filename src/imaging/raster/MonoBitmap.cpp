#include "imaging/raster/MonoBitmap.h"

#include <cassert>
#include <utility>

namespace tolvane {

MonoBitmap::MonoBitmap(int width, int height)
    : width_(width), height_(height), rowBytes_(RowBytesFor(width)),
      bits_(static_cast<size_t>(RowBytesFor(width)) * static_cast<size_t>(height), 0xFF) {}

MonoBitmap MonoBitmap::FromBits(int width, int height, int rowBytes, std::vector<uint8_t> bits) {
    assert(rowBytes % 2 == 0 && rowBytes * 8 >= width);
    assert(bits.size() == static_cast<size_t>(rowBytes) * static_cast<size_t>(height));
    MonoBitmap b;
    b.width_ = width;
    b.height_ = height;
    b.rowBytes_ = rowBytes;
    b.bits_ = std::move(bits);
    return b;
}

} // namespace tolvane
