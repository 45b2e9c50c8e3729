#include "viewer/PageRender.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tolvane {
namespace {

struct Span {
    int from;
    int to; // one past the last raster index; from == to: beyond the raster
};

// The raster pixels behind displayed pixels first .. first + count - 1 along one axis.
std::vector<Span> Spans(int first, int count, int mult, int div, int rasterSize) {
    std::vector<Span> spans(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int64_t d = first + i;
        auto from = static_cast<int>(d * div / mult);
        auto to = static_cast<int>((d + 1) * div / mult);
        if (to <= from) {
            to = from + 1; // enlarged: one raster pixel, repeated
        }
        from = std::min(from, rasterSize);
        to = std::min(to, rasterSize);
        spans[static_cast<size_t>(i)] = {from, to};
    }
    return spans;
}

bool AnyBlack(const uint8_t* row, int from, int to) {
    for (int x = from; x < to; ++x) {
        if ((row[x >> 3] & (0x80 >> (x & 7))) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

QImage RenderPagePart(const MonoBitmap& raster, const QRect& part, const TViewScale& scale, QRgb foreground,
                      QRgb background) {
    QImage image(part.size(), QImage::Format_RGB32);
    if (part.isEmpty()) {
        return image;
    }
    image.fill(background);
    if (raster.Empty()) {
        return image;
    }
    const auto columns = Spans(part.left(), part.width(), scale.HorizMult, scale.HorizDiv, raster.Width());
    const auto rows = Spans(part.top(), part.height(), scale.VertMult, scale.VertDiv, raster.Height());
    // The raster bytes the columns need.
    const int firstByte = columns.front().from >> 3;
    const int endByte = std::min(raster.RowBytes(), (columns.back().to + 7) / 8 + 1);
    if (endByte <= firstByte) {
        return image;
    }
    std::vector<uint8_t> combined(static_cast<size_t>(raster.RowBytes()), 0xFF);
    for (int y = 0; y < part.height(); ++y) {
        const Span& r = rows[static_cast<size_t>(y)];
        if (r.from >= r.to) {
            break; // below the raster
        }
        // A raster pixel black in any covered row stays black (0 bits AND together).
        const uint8_t* source = raster.Row(r.from);
        if (r.to - r.from > 1) {
            std::copy(source + firstByte, source + endByte, combined.begin() + firstByte);
            for (int sy = r.from + 1; sy < r.to; ++sy) {
                const uint8_t* row = raster.Row(sy);
                for (int i = firstByte; i < endByte; ++i) {
                    combined[static_cast<size_t>(i)] &= row[i];
                }
            }
            source = combined.data();
        }
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            const Span& c = columns[static_cast<size_t>(x)];
            if (AnyBlack(source, c.from, c.to)) {
                out[x] = foreground;
            }
        }
    }
    return image;
}

} // namespace tolvane
