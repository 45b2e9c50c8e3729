// Writes a page raster as a binary portable bitmap (PBM, "P4"): 1 = black, rows of
// (width + 7) / 8 bytes, leftmost pixel in the most significant bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

// rows holds height rows of rowBytes bytes each (rowBytes >= (width + 7) / 8; the rest of a
// row is not written). 0 or an I/O error.
int WritePbmFile(const std::string& name, int width, int height, const uint8_t* rows, size_t rowBytes);

} // namespace tolvane
