#include "imaging/convert/ConverterContext.h"

#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/raster/MonoBitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tolvane {
namespace {

struct ReaderKind {
    std::unique_ptr<InputReader> (*make)();
    const char* defaultExtension;
};

ReaderKind KindOf(TFaxInputDocumentType type) {
    switch (type) {
    case TFaxInputDocumentType::idText:
        return {&MakeTextReader, "TXT"};
    case TFaxInputDocumentType::idTiff:
        return {&MakeTiffReader, "TIF"};
    case TFaxInputDocumentType::idPcx:
        return {&MakePcxReader, "PCX"};
    case TFaxInputDocumentType::idDcx:
        return {&MakeDcxReader, "DCX"};
    case TFaxInputDocumentType::idBmp:
        return {&MakeBmpReader, "BMP"};
    case TFaxInputDocumentType::idBitmap:
        return {&MakeBitmapReader, ""};
    case TFaxInputDocumentType::idUser:
        return {&MakeUserReader, ""};
    case TFaxInputDocumentType::idPbm:
        return {&MakePbmReader, "PBM"};
    case TFaxInputDocumentType::idNone:
        break;
    }
    return {nullptr, ""};
}

} // namespace

void ConverterDeleter::operator()(ConverterContext* ctx) const {
    FreeConverter(ctx);
}

int CreateConverter(TFaxInputDocumentType type, ConverterPtr& ctx) {
    ctx.reset(new (std::nothrow) ConverterContext);
    if (!ctx) {
        return ecOutOfMemory;
    }
    const ReaderKind kind = KindOf(type);
    ctx->inputType = type;
    ctx->defaultExtension = kind.defaultExtension;
    if (kind.make) {
        ctx->reader = kind.make();
    }
    return ecOK;
}

int CreateTextConverter(ConverterPtr& ctx) {
    return CreateConverter(TFaxInputDocumentType::idText, ctx);
}

void FreeConverter(ConverterContext* ctx) {
    delete ctx;
}

int LoadFaxFont(ConverterContext& ctx, std::string_view fontFile, int bytesPerGlyph,
                TFaxResolution resolution) {
    return LoadFaxFont(ctx.font, fontFile, bytesPerGlyph, resolution);
}

void RenderTextRow(const ConverterContext& ctx, std::string_view text, int row, uint8_t* raster) {
    RenderTextRow(ctx.font, text, row, raster);
}

size_t EncodeRasterLine(ConverterContext& ctx, const uint8_t* raster) {
    const T4LineFormat format{ctx.pageWidth, ctx.leftMargin,
                              ctx.doubleWidth ? RunScale::Double : RunScale::Single};
    ctx.codedLength = EncodeT4Line(raster, kRasterBufferSize, format, ctx.record.data() + 2);
    return ctx.codedLength;
}

size_t EncodeEndOfPage(ConverterContext& /*ctx*/, uint8_t* dest) {
    return EncodeT4EndOfPage(dest);
}

int SetConverterBitmap(ConverterContext& ctx, const MonoBitmap& bitmap) {
    if (!ctx.reader || bitmap.Empty()) {
        return ecBadArgument;
    }
    return SetBitmapReaderSource(*ctx.reader, &bitmap, nullptr);
}

int SetConverterBitmapSource(ConverterContext& ctx, BitmapPageSource& pages) {
    if (!ctx.reader) {
        return ecBadArgument;
    }
    return SetBitmapReaderSource(*ctx.reader, nullptr, &pages);
}

int SetConverterUserEvents(ConverterContext& ctx, UserLineEvents events) {
    if (!ctx.reader) {
        return ecBadArgument;
    }
    return SetUserReaderEvents(*ctx.reader, std::move(events));
}

void DecidePageGeometry(ConverterContext& ctx, int imageWidth) {
    const bool fine = ctx.resolution == TFaxResolution::frHigh;
    const int w = ctx.pageWidth;
    ctx.doubleWidth = (ctx.options & coDoubleWidth) != 0 && !fine && 2 * imageWidth <= w - ctx.leftMargin;
    ctx.halfHeight = !fine && !ctx.doubleWidth && (ctx.options & coHalfHeight) != 0;
    ctx.centerOffset = 0;
    if ((ctx.options & coCenterImage) != 0 && w - imageWidth > 15) {
        ctx.centerOffset = ctx.doubleWidth ? (w - 2 * imageWidth) / 32 : (w - imageWidth) / 16;
    }
}

void PlaceRow(const ConverterContext& ctx, const uint8_t* row, int widthPixels, RowSense sense,
              uint8_t* raster) {
    const int pageBytes = ctx.pageWidth / 8;
    const int offset = ctx.centerOffset;
    const int imageBytes = (widthPixels + 7) / 8;
    const int copy = std::min(imageBytes, pageBytes - offset);
    if (copy <= 0) {
        return;
    }
    uint8_t* to = raster + offset;
    if (sense == RowSense::BlackIsOne) {
        std::memcpy(to, row, static_cast<size_t>(copy));
    } else {
        for (int i = 0; i < copy; ++i) {
            to[i] = static_cast<uint8_t>(~row[i]);
        }
    }
    if (copy == imageBytes && widthPixels % 8 != 0) {
        to[copy - 1] &= static_cast<uint8_t>(0xFF00 >> (widthPixels % 8));
    }
}

} // namespace tolvane
