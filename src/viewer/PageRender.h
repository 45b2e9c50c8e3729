// Drawing part of a page raster as the viewer shows it: every displayed pixel is mapped to the
// raster pixels behind it by the scale factors (displayed = raster x Mult / Div). When the view
// is reduced a displayed pixel is black if any raster pixel behind it is black, so thin strokes
// stay visible; when it is enlarged raster pixels are repeated. The mapping depends only on the
// displayed coordinate, so bands painted separately while scrolling meet without seams.
#pragma once

#include "imaging/raster/MonoBitmap.h"

#include <QImage>
#include <QRect>
#include <QRgb>

namespace tolvane {

struct TViewScale {
    int HorizMult = 1;
    int HorizDiv = 1;
    int VertMult = 1;
    int VertDiv = 1;

    bool OneToOne() const { return HorizMult == HorizDiv && VertMult == VertDiv; }
    bool operator==(const TViewScale&) const = default;
};

// The displayed-page rectangle `part` (in displayed pixels) of the raster as an RGB32 image: black
// raster pixels in foreground, white ones in background. Displayed pixels beyond the raster are
// background.
QImage RenderPagePart(const MonoBitmap& raster, const QRect& part, const TViewScale& scale, QRgb foreground,
                      QRgb background);

} // namespace tolvane
