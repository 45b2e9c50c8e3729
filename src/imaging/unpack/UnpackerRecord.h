// The unpacking engine: an unpacker record turns pages of an APF file into raster lines
// (leftmost pixel in the most significant bit, 1 = black; with invert on, 1 = white) and into
// monochrome bitmaps. It drops damaged lines, can shorten runs of blank lines, corrects the
// aspect of normal-resolution pages (double height or half width), trims bitmaps to the page's
// content width and scales them.
//
// One record per user; it is not shared between threads. Callbacks (line sink, status sink,
// yield and abort hooks) run inside UnpackPage and PageToBitmapHandle; they may set ufAbort on
// the record but must not free it or start another unpack with it.
#pragma once

#include "imaging/apf/ApfFormat.h"
#include "imaging/raster/MonoBitmap.h"
#include "imaging/unpack/T4Decoder.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tolvane {

// Option bits of a record.
inline constexpr uint16_t ufYield = 0x0001;        // call the yield hook while decoding
inline constexpr uint16_t ufDoubleHeight = 0x0002; // normal-resolution lines are handed on twice
inline constexpr uint16_t ufHalfWidth = 0x0004;    // normal-resolution lines are packed to half width
inline constexpr uint16_t ufAbort = 0x0008;        // stop the page being decoded
inline constexpr uint16_t ufInitialOptions = ufYield | ufDoubleHeight;

// Flags of a line sink call.
inline constexpr unsigned ulfLine = 0;
inline constexpr unsigned ulfStartOfPage = 1;
inline constexpr unsigned ulfEndOfPage = 2;

class ApfReader;
class UnpackerRecord;

// Receives the start call, every line and the end call of a page. data is null for the start
// and end calls; length is 0 for them and for a blank line emitted by blank-line compression.
// A negative result ends the page with that code.
using UnpackLineSink = std::function<int(UnpackerRecord& record, unsigned flags, const uint8_t* data,
                                         unsigned page, int length)>;
// Progress while a page is decoded: called when bytesUnpacked changes and when decoding stops.
using UnpackStatusSink = std::function<void(UnpackerRecord& record, const std::string& fileName,
                                            unsigned page, uint32_t bytesUnpacked, uint32_t bytesToUnpack)>;
// With ufYield: called at the first byte of every data block and whenever the number of lines
// produced reaches a new multiple of 16 (the place to process pending window events). A
// negative result (ecGotQuitMsg for a quit request) ends the page with that code.
using UnpackYieldHook = std::function<int(UnpackerRecord& record)>;
// Asked at the same places as the yield hook, whatever the options: true sets ufAbort.
using UnpackAbortHook = std::function<bool(UnpackerRecord& record)>;

// The result of PageToBitmapHandle: width and height in pixels, and the bitmap (none when the
// page has no lines). The caller owns it.
struct UnpackedBitmap {
    int width = 0;
    int height = 0;
    MonoBitmap bitmap;
};

class UnpackerRecord {
public:
    explicit UnpackerRecord(UnpackLineSink sink, void* owner = nullptr);

    uint16_t Options() const { return options_; }
    unsigned WhitespaceFrom() const { return whitespaceFrom_; }
    unsigned WhitespaceTo() const { return whitespaceTo_; }
    unsigned PageNumber() const { return pageNumber_; }
    unsigned LinesProduced() const { return linesProduced_; }
    uint32_t BytesToUnpack() const { return bytesToUnpack_; }
    uint32_t BytesUnpacked() const { return bytesUnpacked_; }
    const ApfFileHeader& FileHeader() const { return fileHeader_; }
    const ApfPageHeader& PageHeader() const { return pageHeader_; }
    void* Owner() const { return owner_; }
    bool Invert() const { return invert_; }

    void SetLineSink(UnpackLineSink sink) { lineSink_ = std::move(sink); }
    void SetStatusSink(UnpackStatusSink sink) { statusSink_ = std::move(sink); }
    void SetYieldHook(UnpackYieldHook hook) { yieldHook_ = std::move(hook); }
    void SetAbortHook(UnpackAbortHook hook) { abortHook_ = std::move(hook); }

private:
    friend void SetUnpackOptions(UnpackerRecord&, uint16_t);
    friend void ClearUnpackOptions(UnpackerRecord&, uint16_t);
    friend int SetWhitespace(UnpackerRecord&, unsigned, unsigned);
    friend void SetScaling(UnpackerRecord&, unsigned, unsigned, unsigned, unsigned);
    friend int UnpackPage(UnpackerRecord&, const std::string&, unsigned);
    friend int UnpackPage(UnpackerRecord&, ApfReader&, const std::string&, unsigned);
    friend int PageToBitmapHandle(UnpackerRecord&, const std::string&, unsigned, bool, UnpackedBitmap&);
    friend class PageUnpack;

    uint16_t options_ = ufInitialOptions;
    unsigned whitespaceFrom_ = 0;
    unsigned whitespaceTo_ = 0;
    unsigned pageNumber_ = 0;
    unsigned pendingBlank_ = 0;
    unsigned linesProduced_ = 0;
    uint32_t bytesToUnpack_ = 0;
    uint32_t bytesUnpacked_ = 0;
    ApfFileHeader fileHeader_;
    ApfPageHeader pageHeader_;
    UnpackLineSink lineSink_;
    UnpackStatusSink statusSink_;
    UnpackYieldHook yieldHook_;
    UnpackAbortHook abortHook_;
    void* owner_ = nullptr;
    unsigned horizMult_ = 1;
    unsigned horizDiv_ = 1;
    unsigned vertMult_ = 1;
    unsigned vertDiv_ = 1;
    bool invert_ = false;
    T4Decoder decoder_;
    std::array<uint8_t, 4096> block_{};
    std::array<uint8_t, kLineBufferBytes> halfLine_{};
};

// Allocates a record (options ufYield | ufDoubleHeight, factors 1): 0 or -8.
int CreateUnpacker(UnpackLineSink sink, void* owner, std::unique_ptr<UnpackerRecord>& record);
void FreeUnpacker(std::unique_ptr<UnpackerRecord>& record);

// Adds option bits. Ignored when bits holds both ufDoubleHeight and ufHalfWidth; setting one of
// them clears the other.
void SetUnpackOptions(UnpackerRecord& record, uint16_t bits);
void ClearUnpackOptions(UnpackerRecord& record, uint16_t bits);
// Runs of at least `from` blank lines become `to` lines: 0, or -1002 when from < to or when
// from is 0 and to is not. (0, 0) turns compression off.
int SetWhitespace(UnpackerRecord& record, unsigned from, unsigned to);
// Bitmaps are scaled to horizMult / horizDiv and vertMult / vertDiv (0 factors are taken as 1).
void SetScaling(UnpackerRecord& record, unsigned horizMult, unsigned horizDiv, unsigned vertMult,
                unsigned vertDiv);

// The 64-byte file header: 0, -2 (empty name), -8001 (not an APF file) or an I/O error.
int ReadApfHeader(UnpackerRecord& record, const std::string& fileName, ApfFileHeader& header);
// The 16-byte header of page `page` (1-based): 0, -2, -8001 (not an APF file or no such page)
// or an I/O error.
int ReadPageHeader(UnpackerRecord& record, const std::string& fileName, unsigned page, ApfPageHeader& header);
// Decodes one page and hands the start call, every line and the end call to the line sink:
// 0 or an error (-2, -8001, an I/O error, a sink's or the yield hook's negative result).
int UnpackPage(UnpackerRecord& record, const std::string& fileName, unsigned page);
// The same on a file the caller keeps open (fileName is what the status sink reports): pages
// taken in order are found without walking the file from its start each time.
int UnpackPage(UnpackerRecord& record, ApfReader& reader, const std::string& fileName, unsigned page);
// Unpacks one page into a new bitmap trimmed to the content width (rounded up to 16 pixels),
// scaled by the record's factors. With invert on the bitmap has 1 = white (a MonoBitmap);
// without, 1 = black. 0 or an error as UnpackPage, -8 or -8005; on error result stays empty.
int PageToBitmapHandle(UnpackerRecord& record, const std::string& fileName, unsigned page, bool invert,
                       UnpackedBitmap& result);

} // namespace tolvane
