#include "imaging/unpack/MonoStretch.h"

#include "imaging/errors/ResultCodes.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace tolvane {
namespace {

struct Span {
    int from;
    int to; // one past the last source index
};

// The source pixels (or rows) behind each destination pixel.
std::vector<Span> Spans(int source, int destination) {
    std::vector<Span> spans(static_cast<size_t>(destination));
    for (int d = 0; d < destination; ++d) {
        const auto from = static_cast<int>(static_cast<int64_t>(d) * source / destination);
        auto to = static_cast<int>(static_cast<int64_t>(d + 1) * source / destination);
        if (to <= from) {
            to = from + 1; // enlarging: one source pixel, repeated
        }
        spans[static_cast<size_t>(d)] = {from, to};
    }
    return spans;
}

bool AllWhite(const uint8_t* row, int from, int to) {
    for (int x = from; x < to; ++x) {
        if ((row[x >> 3] & (0x80 >> (x & 7))) == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

int StretchMonoBitmap(const MonoBitmap& source, int width, int height, MonoBitmap& result) {
    if (width <= 0 || height <= 0 || source.Empty()) {
        return ecCantMakeBitmap;
    }
    const uint64_t bytes =
        static_cast<uint64_t>(MonoBitmap::RowBytesFor(width)) * static_cast<uint64_t>(height);
    if (bytes > kMaxStretchBytes) {
        return ecCantMakeBitmap;
    }
    try {
        MonoBitmap out(width, height);
        const auto columns = Spans(source.Width(), width);
        const auto rows = Spans(source.Height(), height);
        const auto sourceBytes = static_cast<size_t>(source.RowBytes());
        std::vector<uint8_t> combined(sourceBytes);
        for (int y = 0; y < height; ++y) {
            const Span& r = rows[static_cast<size_t>(y)];
            // Bits AND together: a black (0) pixel in any covered row stays black.
            std::memcpy(combined.data(), source.Row(r.from), sourceBytes);
            for (int sy = r.from + 1; sy < r.to; ++sy) {
                const uint8_t* row = source.Row(sy);
                for (size_t i = 0; i < sourceBytes; ++i) {
                    combined[i] &= row[i];
                }
            }
            uint8_t* to = out.Row(y);
            if (width == source.Width()) {
                std::memcpy(to, combined.data(), sourceBytes);
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const Span& c = columns[static_cast<size_t>(x)];
                if (!AllWhite(combined.data(), c.from, c.to)) {
                    to[x >> 3] = static_cast<uint8_t>(to[x >> 3] & ~(0x80 >> (x & 7)));
                }
            }
        }
        result = std::move(out);
    } catch (const std::bad_alloc&) {
        return ecCantMakeBitmap;
    }
    return ecOK;
}

} // namespace tolvane
