// Shared body of the converter's reader fuzz targets: the input as a file of the reader's type,
// every line it delivers coded, with the settings varied by the input's size.
#pragma once

#include "FuzzTarget.h"
#include "imaging/convert/ConverterContext.h"

#include <cstring>

namespace fuzz {

inline void FuzzReader(tolvane::TFaxInputDocumentType type, const uint8_t* data, size_t size,
                       const char* suffix) {
    using namespace tolvane;
    InputFile input(data, size, suffix);
    ConverterPtr ctx;
    if (CreateConverter(type, ctx) < 0) {
        return;
    }
    ctx->options = static_cast<TFaxCvtOptions>(size % 8);
    ctx->pageWidth = size % 2 ? kWidePageWidth : kNormalPageWidth;
    ctx->resolution = size % 3 ? TFaxResolution::frNormal : TFaxResolution::frHigh;
    ctx->linesPerPage = static_cast<int>(size % 5);
    LoadFaxFont(*ctx, "", size % 4 ? 48 : 16, ctx->resolution);
    if (ctx->reader->Open(*ctx, input.Name()) >= 0) {
        // Bounded so that one input stays quick; the readers bound themselves by the file size.
        for (int lines = 0; lines < 20000; ++lines) {
            std::memset(ctx->raster.data(), 0, static_cast<size_t>(ctx->pageWidth) / 8);
            LineRead line;
            if (ctx->reader->ReadLine(*ctx, ctx->raster.data(), line) < 0) {
                break;
            }
            if (line.endOfPage) {
                if (!line.morePages) {
                    break;
                }
                continue;
            }
            EncodeRasterLine(*ctx, ctx->raster.data());
        }
    }
    ctx->reader->Close(*ctx);
}

} // namespace fuzz
