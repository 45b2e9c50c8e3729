// The conversion context: one per conversion (or per header-line renderer), owned by whoever
// created it. It carries the settings, the reader, the font and the fixed line buffers, so that
// coding a line never allocates.
#pragma once

#include "imaging/convert/ConvertTypes.h"
#include "imaging/convert/FaxFont.h"
#include "imaging/convert/InputReader.h"
#include "imaging/convert/LineCoder.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane {

class MonoBitmap;
class BitmapPageSource;
struct UserLineEvents;

struct ConverterContext {
    // Settings (defaults as CreateTextConverter gives them).
    TFaxResolution resolution = TFaxResolution::frNormal; // frHigh: fine pages
    TFaxCvtOptions options = kDefaultCvtOptions;
    int pageWidth = kNormalPageWidth; // W
    int leftMargin = 50;
    int topMargin = 0;
    int tabStop = 4;      // text input: tab interval in characters
    int linesPerPage = 0; // text input: text lines per page, 0 = unlimited
    std::string stationId;

    // Geometry of the page being read, decided by the reader (DecidePageGeometry).
    bool doubleWidth = false;
    bool halfHeight = false;
    int centerOffset = 0; // whole bytes by which input rows are shifted right

    // Progress.
    int pageNumber = 0; // 1-based page being converted
    int lineNumber = 0; // 1-based number of the last line read on this page
    int64_t bytesConverted = 0;
    int64_t bytesToConvert = 0;

    // Input.
    TFaxInputDocumentType inputType = TFaxInputDocumentType::idNone;
    std::unique_ptr<InputReader> reader;
    std::string defaultExtension; // appended to an input name without extension
    FaxFont font;

    // Callbacks. status answers true to abort; the yield hook lets the caller process events.
    std::function<bool(const ConverterContext&, StatusPhase)> status;
    std::function<YieldResult()> yield;

    // After a failed ConvertToApf: the file the failure concerns (input or output).
    std::string failedFile;

    // Line buffers. The coded line is kept behind a 2-byte record length.
    alignas(8) std::array<uint8_t, kRasterBufferSize + kCodedLineSlack> raster{};
    alignas(8) std::array<uint8_t, 2 + kRasterBufferSize + kCodedLineSlack> record{};
    size_t codedLength = 0; // bytes of the last coded line (the "byte position")

    const uint8_t* CodedLine() const { return record.data() + 2; }
};

struct ConverterDeleter {
    void operator()(ConverterContext* ctx) const;
};
using ConverterPtr = std::unique_ptr<ConverterContext, ConverterDeleter>;

// A context with the defaults (W 1728, margin 50, top margin 0, options 13) and the reader of
// the input type (none for idNone). 0 or -8 (no memory).
int CreateConverter(TFaxInputDocumentType type, ConverterPtr& ctx);
// A context for text input: tab stop 4, no line limit, no font loaded yet.
int CreateTextConverter(ConverterPtr& ctx);
// Closes nothing (a context holds no open file between conversions) and frees the context.
void FreeConverter(ConverterContext* ctx);

// LoadFaxFont of FaxFont.h into the context's font.
int LoadFaxFont(ConverterContext& ctx, std::string_view fontFile, int bytesPerGlyph,
                TFaxResolution resolution);
// RenderTextRow of FaxFont.h with the context's font.
void RenderTextRow(const ConverterContext& ctx, std::string_view text, int row, uint8_t* raster);

// Codes a raster line (kRasterBufferSize bytes) with the context's width, margin and double
// width; the result is at CodedLine(), its length in codedLength and returned.
size_t EncodeRasterLine(ConverterContext& ctx, const uint8_t* raster);
// Writes the 12 end-of-page bytes into dest; returns 12.
size_t EncodeEndOfPage(ConverterContext& ctx, uint8_t* dest);

// Hands a bitmap to an idBitmap context: -1002 when it is empty or the context reads no
// bitmaps. The bitmap must outlive the conversion.
int SetConverterBitmap(ConverterContext& ctx, const MonoBitmap& bitmap);
// Hands a sequence of bitmaps (one page each) to an idBitmap context; -1002 as above.
int SetConverterBitmapSource(ConverterContext& ctx, BitmapPageSource& pages);
// Wires an idUser context to the caller's events; -1002 when the context is of another type.
int SetConverterUserEvents(ConverterContext& ctx, UserLineEvents events);

// Decides double width, half height and centering for an image of the given width (pixels), as
// every image reader does for each page.
void DecidePageGeometry(ConverterContext& ctx, int imageWidth);
// Copies one input row of widthPixels pixels (packed like a raster line) into the raster at the
// centering offset, inverted when the input stores white as 1. Pixels past widthPixels stay
// white; only the bytes within the page width are copied.
enum class RowSense { BlackIsOne, WhiteIsOne };
void PlaceRow(const ConverterContext& ctx, const uint8_t* row, int widthPixels, RowSense sense,
              uint8_t* raster);

} // namespace tolvane
