// Settings and event types shared by the conversion engine and the TFaxConverter component.
#pragma once

#include <cstdint>

namespace tolvane {

// Which input reader a conversion uses (stored values 0 to 7; idPbm is Tolvane's own addition).
enum class TFaxInputDocumentType : uint8_t {
    idNone,   // no reader: a conversion fails with -1002
    idText,   // plain text drawn with the built-in fax font
    idTiff,   // 1-bit TIFF, uncompressed or PackBits
    idPcx,    // 1-bit PCX
    idDcx,    // multi-page PCX
    idBmp,    // BMP, colour bitmaps dithered
    idBitmap, // in-memory MonoBitmap
    idUser,   // lines supplied by the caller's events
    idPbm,    // netpbm PBM (P4 and P1), one page per image
};

// TFaxCvtOptions: a set of these bits.
enum TFaxCvtOption : uint16_t {
    coDoubleWidth = 1 << 0, // double narrow images horizontally (normal resolution only)
    coHalfHeight = 1 << 1,  // code only every other line (normal resolution, no doubling)
    coCenterImage = 1 << 2, // centre narrow images
    coYield = 1 << 3,       // let the caller process events between pages
    coYieldOften = 1 << 4,  // ... and every 16 lines
};
using TFaxCvtOptions = uint16_t;
inline constexpr TFaxCvtOptions kAllCvtOptions = 0x1F;
inline constexpr TFaxCvtOptions kDefaultCvtOptions = coDoubleWidth | coCenterImage | coYield; // 13

enum class TFaxResolution : uint8_t { frNormal, frHigh };
enum class TFaxWidth : uint8_t { fwNormal, fwWide };
enum class TFaxFont : uint8_t { ffStandard, ffSmall };

// Page widths in pixels.
inline constexpr int kNormalPageWidth = 1728;
inline constexpr int kWidePageWidth = 2048;

// The flags of a status report.
enum class StatusPhase : uint8_t {
    Progress = 0, // after every line read
    Starting = 1, // before the input is opened
    Ending = 2,   // after the last page (its abort answer is ignored)
};

// Answer of a yield hook: Quit ends the conversion with -1003.
enum class YieldResult : uint8_t { Continue, Quit };

} // namespace tolvane
