#include "viewer/PageRotation.h"

#include "imaging/errors/ResultCodes.h"

#include <new>

namespace tolvane {

int RotatePage(const MonoBitmap& source, int turns, MonoBitmap& result) {
    turns &= 3;
    if (turns == 0) {
        result = source;
        return ecOK;
    }
    const int w = source.Width();
    const int h = source.Height();
    try {
        MonoBitmap out = turns == 2 ? MonoBitmap(w, h) : MonoBitmap(h, w);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = source.Row(y);
            for (int x = 0; x < w; ++x) {
                if ((row[x >> 3] & (0x80 >> (x & 7))) != 0) {
                    continue; // white: the new bitmap starts white
                }
                switch (turns) {
                case 1: // clockwise: (x, y) -> (h - 1 - y, x)
                    out.SetBlack(h - 1 - y, x);
                    break;
                case 2:
                    out.SetBlack(w - 1 - x, h - 1 - y);
                    break;
                default: // counter-clockwise: (x, y) -> (y, w - 1 - x)
                    out.SetBlack(y, w - 1 - x);
                    break;
                }
            }
        }
        result = std::move(out);
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    return ecOK;
}

} // namespace tolvane
