// Turning a page raster by quarter turns clockwise. The result keeps every pixel of the page;
// what the row padding adds stays white.
#pragma once

#include "imaging/raster/MonoBitmap.h"

namespace tolvane {

// result becomes source turned by `turns` quarter turns clockwise (0 to 3): 0, or -8 when the
// memory for it cannot be had (result is then unchanged).
int RotatePage(const MonoBitmap& source, int turns, MonoBitmap& result);

} // namespace tolvane
