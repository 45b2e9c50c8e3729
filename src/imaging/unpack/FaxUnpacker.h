// TFaxUnpacker: the non-visual component over the unpacking engine. Every operation prepares a
// fresh engine record from the properties, so property changes take effect at the next one;
// negative results are raised through RaiseOnError.
#pragma once

#include "imaging/errors/Component.h"
#include "imaging/raster/MonoBitmap.h"
#include "imaging/unpack/UnpackerRecord.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace tolvane {

enum class TUnpackerOption : uint8_t {
    uoYield = 0, // let pending events be processed while a page is decoded (OnYield)
    uoAbort = 1, // stop the page being decoded
};

// A set of TUnpackerOption.
class TUnpackerOptions {
public:
    constexpr TUnpackerOptions() = default;
    constexpr TUnpackerOptions(std::initializer_list<TUnpackerOption> options) {
        for (const auto o : options) {
            bits_ = static_cast<uint8_t>(bits_ | Bit(o));
        }
    }
    constexpr bool Has(TUnpackerOption o) const { return (bits_ & Bit(o)) != 0; }
    constexpr TUnpackerOptions With(TUnpackerOption o) const {
        return FromBits(static_cast<uint8_t>(bits_ | Bit(o)));
    }
    constexpr TUnpackerOptions Without(TUnpackerOption o) const {
        return FromBits(static_cast<uint8_t>(bits_ & ~Bit(o)));
    }
    constexpr bool operator==(const TUnpackerOptions&) const = default;

private:
    static constexpr uint8_t Bit(TUnpackerOption o) {
        return static_cast<uint8_t>(1u << static_cast<unsigned>(o));
    }
    static constexpr TUnpackerOptions FromBits(uint8_t bits) {
        TUnpackerOptions s;
        s.bits_ = bits;
        return s;
    }
    uint8_t bits_ = 0;
};

enum class TAutoScaleMode {
    asNone,         // normal-resolution pages keep their aspect
    asDoubleHeight, // their lines are doubled
    asHalfWidth,    // their lines are packed to half width
};

class TCustomFaxUnpacker;

using TUnpackOutputLineEvent = std::function<void(TCustomFaxUnpacker& sender, bool starting, bool ending,
                                                  const uint8_t* data, int length, int pageNum)>;
using TUnpackStatusEvent = std::function<void(TCustomFaxUnpacker& sender, const std::string& fileName,
                                              int pageNum, long bytesUnpacked, long bytesToUnpack)>;
// Called with uoYield while a page is decoded (the place to process pending events); return
// ecGotQuitMsg to end the page on a quit request, else 0.
using TUnpackYieldEvent = std::function<int(TCustomFaxUnpacker& sender)>;

class TCustomFaxUnpacker : public TComponent {
public:
    TCustomFaxUnpacker() = default;
    ~TCustomFaxUnpacker() override = default;
    TCustomFaxUnpacker(const TCustomFaxUnpacker&) = delete;
    TCustomFaxUnpacker& operator=(const TCustomFaxUnpacker&) = delete;

    // The file's PageCount; 0 when InFileName cannot be read as an APF file.
    int CountPages();
    // Bits 0 and 1 of page 1's PageFlags; read errors are raised.
    bool FirstPageFine();
    bool FirstPageWide();
    // Page `page` as a new bitmap (1 = white), trimmed, aspect-corrected and scaled by the
    // properties; an empty bitmap for a page without lines. Errors are raised.
    MonoBitmap PageToBitmap(int page);

    TUnpackerOptions Options() const { return options_; }
    // While a record exists uoYield is applied to it, and uoAbort in the new set stops the page
    // being decoded.
    void SetOptions(TUnpackerOptions options);
    bool WhitespaceCompression() const { return whitespaceCompression_; }
    void SetWhitespaceCompression(bool on) { whitespaceCompression_ = on; }
    unsigned WhitespaceFrom() const { return whitespaceFrom_; }
    void SetWhitespaceFrom(unsigned lines) { whitespaceFrom_ = lines; }
    unsigned WhitespaceTo() const { return whitespaceTo_; }
    void SetWhitespaceTo(unsigned lines) { whitespaceTo_ = lines; }
    bool Scaling() const { return scaling_; }
    void SetScaling(bool on) { scaling_ = on; }
    // Scale factors; assigning 0 keeps the old value.
    unsigned HorizMult() const { return horizMult_; }
    void SetHorizMult(unsigned v) { SetFactor(horizMult_, v); }
    unsigned HorizDiv() const { return horizDiv_; }
    void SetHorizDiv(unsigned v) { SetFactor(horizDiv_, v); }
    unsigned VertMult() const { return vertMult_; }
    void SetVertMult(unsigned v) { SetFactor(vertMult_, v); }
    unsigned VertDiv() const { return vertDiv_; }
    void SetVertDiv(unsigned v) { SetFactor(vertDiv_, v); }
    TAutoScaleMode AutoScaleMode() const { return autoScaleMode_; }
    void SetAutoScaleMode(TAutoScaleMode mode) { autoScaleMode_ = mode; }
    const std::string& InFileName() const { return inFileName_; }
    // A different name is stored and OutFileName becomes it without its extension.
    void SetInFileName(const std::string& name);
    const std::string& OutFileName() const { return outFileName_; }
    void SetOutFileName(const std::string& name) { outFileName_ = name; }

    TUnpackOutputLineEvent OnOutputLine;
    TUnpackStatusEvent OnStatus;
    TUnpackYieldEvent OnYield;

protected:
    virtual void DoOutputLine(bool starting, bool ending, const uint8_t* data, int length, int pageNum);
    virtual void DoStatus(const std::string& fileName, int pageNum, long bytesUnpacked, long bytesToUnpack);
    virtual int DoYield();

private:
    static void SetFactor(unsigned& factor, unsigned v) {
        if (v != 0) {
            factor = v;
        }
    }
    // A fresh engine record from the properties; false when it could not be made (the error
    // was raised, or returned while loading).
    bool PrepareRecord();
    int ReadFirstPageFlags(uint16_t& flags);

    std::unique_ptr<UnpackerRecord> record_;
    TUnpackerOptions options_{TUnpackerOption::uoYield};
    bool whitespaceCompression_ = false;
    unsigned whitespaceFrom_ = 0;
    unsigned whitespaceTo_ = 0;
    bool scaling_ = false;
    unsigned horizMult_ = 1;
    unsigned horizDiv_ = 1;
    unsigned vertMult_ = 1;
    unsigned vertDiv_ = 1;
    TAutoScaleMode autoScaleMode_ = TAutoScaleMode::asDoubleHeight;
    std::string inFileName_;
    std::string outFileName_;
};

class TFaxUnpacker : public TCustomFaxUnpacker {};

} // namespace tolvane
