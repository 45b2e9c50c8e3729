#include "imaging/convert/FaxConverter.h"

#include "imaging/convert/ConvertToApf.h"
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/raster/MonoBitmap.h"

#include <algorithm>
#include <climits>

namespace tolvane {
namespace {

int Clamped(unsigned value) {
    return static_cast<int>(std::min<unsigned>(value, INT_MAX));
}

} // namespace

TFaxConverter::~TFaxConverter() = default;

void TFaxConverter::SetOptions(TFaxCvtOptions options) {
    options &= kAllCvtOptions;
    if ((options & coYieldOften) != 0) {
        options |= coYield;
    }
    options_ = options;
}

void TFaxConverter::SetDocumentFile(const std::string& name) {
    if (name == documentFile_) {
        return;
    }
    documentFile_ = name;
    if (!name.empty() && !Loading()) {
        const size_t slash = name.find_last_of('/');
        const size_t dot = name.find_last_of('.');
        const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        outFileName_ = (hasDot ? name.substr(0, dot) : name) + ".APF";
    }
}

bool TFaxConverter::DoStatus(bool starting, bool ending, int pagesConverted, int linesConverted,
                             int64_t bytesConverted, int64_t bytesToConvert) {
    bool abort = false;
    if (OnStatus) {
        OnStatus(*this, starting, ending, pagesConverted, linesConverted, bytesConverted, bytesToConvert,
                 abort);
    }
    return abort;
}

void TFaxConverter::DoOutputLine(const uint8_t* data, int len, bool endOfPage, bool morePages) {
    if (OnOutputLine) {
        OnOutputLine(*this, data, len, endOfPage, morePages);
    }
}

void TFaxConverter::DoOpenUserFile(const std::string& fileName) {
    if (OnOpenUserFile) {
        OnOpenUserFile(*this, fileName);
    }
}

void TFaxConverter::DoCloseUserFile() {
    if (OnCloseUserFile) {
        OnCloseUserFile(*this);
    }
}

int TFaxConverter::Prepare(TFaxInputDocumentType type, ConverterContext*& out) {
    ConverterPtr ctx;
    if (const int rc = CreateConverter(type, ctx); rc < 0) {
        return rc;
    }
    ctx->options = options_ & kAllCvtOptions;
    ctx->leftMargin = Clamped(leftMargin_);
    ctx->topMargin = Clamped(topMargin_);
    ctx->resolution = resolution_;
    ctx->pageWidth = width_ == TFaxWidth::fwWide ? kWidePageWidth : kNormalPageWidth;
    ctx->stationId = stationId_.substr(0, 20);
    ctx->status = [this](const ConverterContext& c, StatusPhase phase) {
        const bool abort = DoStatus(phase == StatusPhase::Starting, phase == StatusPhase::Ending,
                                    c.pageNumber, c.lineNumber, c.bytesConverted, c.bytesToConvert);
        return abort && phase != StatusPhase::Ending;
    };
    ctx->yield = YieldHook;
    if (type == TFaxInputDocumentType::idUser) {
        ctx->defaultExtension = defUserExtension_;
        UserLineEvents events;
        events.open = [this](const std::string& name) { DoOpenUserFile(name); };
        events.close = [this] { DoCloseUserFile(); };
        if (OnReadUserLine) {
            events.readLine = [this](uint8_t* data, int& len, bool& endOfPage, bool& morePages) {
                OnReadUserLine(*this, data, len, endOfPage, morePages);
            };
        }
        SetConverterUserEvents(*ctx, std::move(events));
    }
    if (type == TFaxInputDocumentType::idText) {
        if (tabStop_ > 0) {
            ctx->tabStop = Clamped(tabStop_);
        }
        ctx->linesPerPage = Clamped(linesPerPage_);
        const int bytesPerGlyph =
            fontType_ == TFaxFont::ffStandard ? kStandardFontBytesPerGlyph : kSmallFontBytesPerGlyph;
        if (const int rc = LoadFaxFont(*ctx, fontFile_, bytesPerGlyph, resolution_); rc < 0) {
            return rc;
        }
    }
    out = ctx.release();
    return ecOK;
}

int TFaxConverter::Run(TFaxInputDocumentType type, const std::function<int(ConverterContext&)>& handInput) {
    failedFile_.clear();
    ConverterContext* raw = nullptr;
    int rc = Prepare(type, raw);
    const ConverterPtr ctx(raw);
    if (rc >= 0) {
        rc = handInput(*ctx);
    }
    if (rc >= 0) {
        rc = tolvane::ConvertToApf(*ctx, documentFile_, outFileName_);
        if (rc < 0) {
            failedFile_ = ctx->failedFile;
        }
    }
    return RaiseOnError(this, rc);
}

int TFaxConverter::BitmapToApf(const MonoBitmap& bitmap) {
    return Run(TFaxInputDocumentType::idBitmap,
               [&bitmap](ConverterContext& ctx) { return SetConverterBitmap(ctx, bitmap); });
}

int TFaxConverter::BitmapsToApf(BitmapPageSource& pages) {
    return Run(TFaxInputDocumentType::idBitmap,
               [&pages](ConverterContext& ctx) { return SetConverterBitmapSource(ctx, pages); });
}

int TFaxConverter::ConvertDocument() {
    return Run(inputDocumentType_, [](ConverterContext&) { return ecOK; });
}

} // namespace tolvane
