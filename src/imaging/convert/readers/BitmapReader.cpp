// idBitmap input: rows of in-memory MonoBitmaps (1 = white), top row first, one page each.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/raster/MonoBitmap.h"

#include <utility>

namespace tolvane {
namespace {

// A single bitmap as a page source.
class OneBitmap : public BitmapPageSource {
public:
    explicit OneBitmap(const MonoBitmap* bitmap) : bitmap_(bitmap) {}
    int NextPage(const MonoBitmap*& page) override {
        page = std::exchange(bitmap_, nullptr);
        return ecOK;
    }

private:
    const MonoBitmap* bitmap_;
};

class BitmapReader : public InputReader {
public:
    void SetSource(const MonoBitmap* single, BitmapPageSource* pages) {
        one_ = OneBitmap(single);
        source_ = pages ? pages : &one_;
    }

    int Open(ConverterContext& ctx, const std::string& /*name*/) override {
        if (!source_) {
            return ecBadArgument;
        }
        ctx.bytesToConvert = 0;
        if (const int rc = source_->NextPage(page_); rc < 0) {
            return rc;
        }
        return StartPage(ctx);
    }

    int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) override {
        if (row_ < page_->Height()) {
            PlaceRow(ctx, page_->Row(row_), page_->Width(), RowSense::WhiteIsOne, raster);
            ++row_;
            ctx.bytesConverted += page_->RowBytes();
            line.length = ctx.pageWidth / 8;
            return ecOK;
        }
        if (const int rc = source_->NextPage(page_); rc < 0) {
            return rc;
        }
        line.endOfPage = true;
        line.morePages = page_ != nullptr;
        return page_ ? StartPage(ctx) : ecOK;
    }

    void Close(ConverterContext& /*ctx*/) override { page_ = nullptr; }

private:
    int StartPage(ConverterContext& ctx) {
        if (!page_ || page_->Empty()) {
            return ecBadArgument;
        }
        row_ = 0;
        ctx.bytesToConvert += static_cast<int64_t>(page_->RowBytes()) * page_->Height();
        DecidePageGeometry(ctx, page_->Width());
        return ecOK;
    }

    OneBitmap one_{nullptr};
    BitmapPageSource* source_ = nullptr;
    const MonoBitmap* page_ = nullptr;
    int row_ = 0;
};

} // namespace

std::unique_ptr<InputReader> MakeBitmapReader() {
    return std::make_unique<BitmapReader>();
}

int SetBitmapReaderSource(InputReader& reader, const MonoBitmap* single, BitmapPageSource* pages) {
    auto* bitmaps = dynamic_cast<BitmapReader*>(&reader);
    if (!bitmaps) {
        return ecBadArgument;
    }
    bitmaps->SetSource(single, pages);
    return ecOK;
}

} // namespace tolvane
