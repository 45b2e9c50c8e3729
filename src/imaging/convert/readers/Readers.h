// The input readers of the conversion engine, one factory per input type.
#pragma once

#include "imaging/convert/InputReader.h"

#include <functional>
#include <memory>
#include <string>

namespace tolvane {

class MonoBitmap;

// Pages of in-memory bitmaps for idBitmap input.
class BitmapPageSource {
public:
    virtual ~BitmapPageSource() = default;
    // The next page (valid until the next call), or nullptr after the last one. 0 or a negative
    // result code.
    virtual int NextPage(const MonoBitmap*& page) = 0;
};

// The caller's events for idUser input. readLine fills data (a raster line, 1 = black) and
// sets len, endOfPage and morePages; without it the page ends at once with no more pages.
struct UserLineEvents {
    std::function<void(const std::string& name)> open;
    std::function<void()> close;
    std::function<void(uint8_t* data, int& len, bool& endOfPage, bool& morePages)> readLine;
};

std::unique_ptr<InputReader> MakeBitmapReader();
std::unique_ptr<InputReader> MakeTextReader();
std::unique_ptr<InputReader> MakeTiffReader();
std::unique_ptr<InputReader> MakePcxReader();
std::unique_ptr<InputReader> MakeDcxReader();
std::unique_ptr<InputReader> MakeBmpReader();
std::unique_ptr<InputReader> MakePbmReader();
std::unique_ptr<InputReader> MakeUserReader();

// For the setters of ConverterContext.h: -1002 when the reader is of another type.
int SetBitmapReaderSource(InputReader& reader, const MonoBitmap* single, BitmapPageSource* pages);
int SetUserReaderEvents(InputReader& reader, UserLineEvents events);

} // namespace tolvane
