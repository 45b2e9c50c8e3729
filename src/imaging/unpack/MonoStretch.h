// Stretching a monochrome bitmap (1 = white) the way a device context does by default: when a
// dimension is reduced, a destination pixel is black if any source pixel it covers is black;
// when it is enlarged, source pixels are repeated.
#pragma once

#include "imaging/raster/MonoBitmap.h"

#include <cstdint>

namespace tolvane {

// The largest bitmap a stretch makes, in bytes.
inline constexpr uint64_t kMaxStretchBytes = 256u << 20;

// result becomes source stretched to width × height: 0, or -8005 when the size is not positive,
// the bitmap would exceed kMaxStretchBytes or the source is empty.
int StretchMonoBitmap(const MonoBitmap& source, int width, int height, MonoBitmap& result);

} // namespace tolvane
