// The reader interface of the conversion engine: one per input type.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

struct ConverterContext;

// What a read delivered.
struct LineRead {
    int length = 0;         // bytes of the raster line that the reader filled
    bool endOfPage = false; // no line was delivered; the page is finished
    bool morePages = false; // with endOfPage: another page follows
};

class InputReader {
public:
    virtual ~InputReader() = default;

    // Opens the input; sets the context's bytes to convert and, for image inputs, the geometry
    // of the first page (DecidePageGeometry). 0 or a negative result code.
    virtual int Open(ConverterContext& ctx, const std::string& name) = 0;
    // Delivers the next raster line into the raster (kRasterBufferSize bytes, cleared by the
    // caller) or reports the end of the page. Moves the context's bytes converted on.
    virtual int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) = 0;
    // Releases the input; called after every Open, also a failed one.
    virtual void Close(ConverterContext& ctx) = 0;
};

} // namespace tolvane
