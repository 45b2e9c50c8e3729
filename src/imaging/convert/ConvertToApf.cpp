#include "imaging/convert/ConvertToApf.h"

#include "imaging/apf/ApfFile.h"
#include "imaging/errors/IoError.h"
#include "imaging/errors/ResultCodes.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

namespace tolvane {
namespace {

bool FileExists(const std::string& name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(name, ec);
}

// Runs the pages of one conversion into an open APF writer (the conversion loop).
class PageLoop {
public:
    PageLoop(ConverterContext& ctx, ApfWriter& writer, const std::string& input)
        : ctx_(ctx), writer_(writer), input_(input) {}

    // Returns pages written or a negative code; inputFailed tells which side failed.
    int Run(bool& inputFailed);

private:
    // Clears the raster, reads a line and reports progress.
    int Read(LineRead& line) {
        std::memset(ctx_.raster.data(), 0, static_cast<size_t>(ctx_.pageWidth) / 8);
        line = LineRead{};
        ++ctx_.lineNumber;
        if (const int rc = ctx_.reader->ReadLine(ctx_, ctx_.raster.data(), line); rc < 0) {
            inputFailed_ = true;
            return rc;
        }
        return Report(StatusPhase::Progress) ? ecConvertAbort : ecOK;
    }

    bool Report(StatusPhase phase) { return ctx_.status && ctx_.status(ctx_, phase); }

    int Yield() { return ctx_.yield && ctx_.yield() == YieldResult::Quit ? ecGotQuitMsg : ecOK; }

    // Writes one record (2-byte length + bytes), beginning the page first when needed.
    int WriteRecord(uint8_t* record, size_t length) {
        if (!pageBegun_) {
            if (const int rc = writer_.BeginPage(pageFlags_); rc < 0) {
                return rc;
            }
            pageBegun_ = true;
        }
        // A page longer than ImageLength can count (or the end-of-page record would not fit).
        if (writer_.PageLength() + 2 + length + 14 > std::numeric_limits<uint32_t>::max()) {
            inputFailed_ = true;
            return ecBadGraphicsFormat;
        }
        record[0] = static_cast<uint8_t>(length);
        record[1] = static_cast<uint8_t>(length >> 8);
        return writer_.WritePageData(record, length + 2);
    }

    int Pages();

    ConverterContext& ctx_;
    ApfWriter& writer_;
    const std::string& input_;
    uint16_t pageFlags_ = 0;
    bool pageBegun_ = false;
    bool inputFailed_ = false;
};

int PageLoop::Run(bool& inputFailed) {
    ctx_.pageNumber = 0;
    ctx_.lineNumber = 0;
    ctx_.bytesConverted = 0;
    pageFlags_ = apfLengthWords;
    if (ctx_.resolution == TFaxResolution::frHigh) {
        pageFlags_ |= apfFineResolution;
    }
    if (ctx_.pageWidth == kWidePageWidth) {
        pageFlags_ |= apfWideWidth;
    }
    int rc = Report(StatusPhase::Starting) ? ecConvertAbort : ecOK;
    bool opened = false;
    if (rc >= 0) {
        rc = ctx_.reader->Open(ctx_, input_);
        opened = true;
        inputFailed_ = rc < 0;
    }
    if (rc >= 0) {
        rc = Pages();
    }
    Report(StatusPhase::Ending);
    if (opened) {
        ctx_.reader->Close(ctx_);
    }
    inputFailed = inputFailed_;
    return rc;
}

int PageLoop::Pages() {
    // The record of an all-white line, for the top margin.
    std::array<uint8_t, 16> blank{};
    const T4LineFormat whiteFormat{ctx_.pageWidth, 0, RunScale::Single};
    const uint8_t white[8] = {};
    const size_t blankLength = EncodeT4Line(white, sizeof white, whiteFormat, blank.data() + 2);

    bool morePages = true;
    while (morePages) {
        if (writer_.PageCount() == std::numeric_limits<uint16_t>::max()) {
            inputFailed_ = true;
            return ecBadGraphicsFormat; // PageCount cannot count another page
        }
        ++ctx_.pageNumber;
        ctx_.lineNumber = 0;
        pageBegun_ = false;
        for (int t = 0; t < ctx_.topMargin; ++t) {
            if (const int rc = WriteRecord(blank.data(), blankLength); rc < 0) {
                return rc;
            }
        }
        LineRead line;
        if (const int rc = Read(line); rc < 0) {
            return rc;
        }
        const bool yieldOften = (ctx_.options & coYield) != 0 && (ctx_.options & coYieldOften) != 0;
        while (!line.endOfPage) {
            if (!ctx_.halfHeight || ctx_.lineNumber % 2 != 0) {
                const size_t length = EncodeRasterLine(ctx_, ctx_.raster.data());
                if (const int rc = WriteRecord(ctx_.record.data(), length); rc < 0) {
                    return rc;
                }
            }
            if (const int rc = Read(line); rc < 0) {
                return rc;
            }
            if (yieldOften && ctx_.lineNumber % 16 == 0) {
                if (const int rc = Yield(); rc < 0) {
                    return rc;
                }
            }
        }
        morePages = line.morePages;
        // A page that got no line still gets its header, so the file stays walkable.
        uint8_t endOfPage[2 + kEndOfPageSize];
        const size_t n = EncodeEndOfPage(ctx_, endOfPage + 2);
        if (const int rc = WriteRecord(endOfPage, n); rc < 0) {
            return rc;
        }
        if (const int rc = writer_.EndPage(); rc < 0) {
            return rc;
        }
        if ((ctx_.options & coYield) != 0) {
            if (const int rc = Yield(); rc < 0) {
                return rc;
            }
        }
    }
    return writer_.PageCount();
}

} // namespace

bool HasExtension(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    return name.find('.', slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
}

std::string ApfOutputName(const std::string& outputName, const std::string& inputName) {
    if (!outputName.empty()) {
        return HasExtension(outputName) ? outputName : outputName + ".APF";
    }
    const size_t slash = inputName.find_last_of('/');
    const size_t dot = inputName.find_last_of('.');
    const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasDot ? inputName.substr(0, dot) : inputName) + ".APF";
}

std::string InputFileName(const std::string& inputName, const std::string& defaultExtension) {
    if (defaultExtension.empty() || inputName.empty() || HasExtension(inputName) || FileExists(inputName)) {
        return inputName;
    }
    const std::string upper = inputName + "." + defaultExtension;
    if (FileExists(upper)) {
        return upper;
    }
    std::string lower = defaultExtension;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return FileExists(inputName + "." + lower) ? inputName + "." + lower : upper;
}

int ConvertToApf(ConverterContext& ctx, const std::string& inputName, const std::string& outputName) {
    if (inputName.empty() && outputName.empty()) {
        ctx.failedFile.clear();
        return ecFileNotFound; // no name to derive the output's from
    }
    const std::string output = ApfOutputName(outputName, inputName);
    const std::string input = InputFileName(inputName, ctx.defaultExtension);
    if (!ctx.reader) {
        ctx.failedFile = input;
        return ecBadArgument; // idNone: nothing can be read
    }
    // Written under a temporary name and renamed at the end, so that a failure leaves no
    // output behind and does not destroy an older file of the same name.
    const std::string temporary = output + ".~" + std::to_string(::getpid()) + ".tmp";
    ApfWriter writer;
    int rc = writer.Create(temporary);
    bool inputFailed = false;
    if (rc >= 0) {
        rc = PageLoop(ctx, writer, input).Run(inputFailed);
    }
    int pages = rc;
    if (rc >= 0) {
        rc = writer.WriteHeader(DosDateTimeNow(), ctx.stationId);
    }
    if (const int closed = writer.Close(); rc >= 0 && closed < 0) {
        rc = closed;
    }
    if (rc >= 0 && std::rename(temporary.c_str(), output.c_str()) != 0) {
        rc = IoErrorFromErrno(errno, IoOperation::Create);
    }
    if (rc < 0) {
        std::remove(temporary.c_str());
        ctx.failedFile = inputFailed ? input : output;
        return rc;
    }
    ctx.failedFile.clear();
    return pages;
}

} // namespace tolvane
