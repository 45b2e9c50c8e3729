// idText input: a text file drawn with the built-in fax font, one raster line per glyph row.
//
// Lines end at LF, CR or CR LF; at most 144 characters of a line are kept. A form feed ends the
// page: the text after it begins the next page. Tabs advance to the next multiple of the tab
// interval; lines are cut to the characters that fit between the margin and the page width.
// A file that is valid UTF-8 line by line is taken as UTF-8 and mapped to code page 1252;
// other bytes are code page 1252 already.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/InputBuffer.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tolvane {
namespace {

constexpr size_t kMaxLineChars = 144;
constexpr size_t kMaxLineBytes = 4 * kMaxLineChars; // room for 144 UTF-8 characters
constexpr char kFormFeed = 12;
constexpr char kTab = 9;
constexpr int kMaxDrawnChars = kMaxCodedWidth / 12;

// Code page 1252 characters 0x80 to 0x9F (0 where the code page has none).
constexpr std::array<uint16_t, 32> kCp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCp1252(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == cp && cp != 0) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

// Decodes UTF-8 in place when the bytes are valid UTF-8 with at least one multi-byte sequence;
// otherwise leaves them alone. Returns the new length.
size_t Utf8ToCp1252(char* text, size_t n) {
    const auto* u = reinterpret_cast<const uint8_t*>(text);
    bool multiByte = false;
    for (size_t i = 0; i < n;) {
        const uint8_t b = u[i];
        size_t len = b < 0x80             ? 1
                     : (b & 0xE0) == 0xC0 ? 2
                     : (b & 0xF0) == 0xE0 ? 3
                     : (b & 0xF8) == 0xF0 ? 4
                                          : 0;
        if (len == 0 || i + len > n || (len == 2 && b < 0xC2)) {
            return n;
        }
        for (size_t k = 1; k < len; ++k) {
            if ((u[i + k] & 0xC0) != 0x80) {
                return n;
            }
        }
        multiByte |= len > 1;
        i += len;
    }
    if (!multiByte) {
        return n;
    }
    size_t out = 0;
    for (size_t i = 0; i < n;) {
        const uint8_t b = u[i];
        uint32_t cp;
        size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1Fu;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0Fu;
            len = 3;
        } else {
            cp = b & 0x07u;
            len = 4;
        }
        for (size_t k = 1; k < len; ++k) {
            cp = (cp << 6) | (u[i + k] & 0x3Fu);
        }
        text[out++] = ToCp1252(cp);
        i += len;
    }
    return out;
}

class TextReader : public InputReader {
public:
    int Open(ConverterContext& ctx, const std::string& name) override {
        if (ctx.font.bytesPerGlyph == 0) {
            return ecFontFileNotFound;
        }
        if (const int rc = in_.Open(name); rc < 0) {
            return rc;
        }
        ctx.bytesToConvert = static_cast<int64_t>(in_.Size());
        ctx.doubleWidth = ctx.halfHeight = false;
        ctx.centerOffset = 0;
        heldLength_ = 0;
        held_ = pending_ = breakAfterLine_ = false;
        row_ = linesOnPage_ = 0;
        return ecOK;
    }

    int ReadLine(ConverterContext& ctx, uint8_t* raster, LineRead& line) override {
        const FaxFont& font = ctx.font;
        if (row_ > 0 && row_ < font.rows) {
            return DrawRow(ctx, raster, line, row_ + 1);
        }
        row_ = 0;
        if (breakAfterLine_) {
            breakAfterLine_ = false;
            return EndPage(line, held_ || !in_.AtEnd());
        }
        if (!pending_) {
            if (!held_ && in_.AtEnd()) {
                if (linesOnPage_ == 0) {
                    // An empty file gives one page with one blank line.
                    ++linesOnPage_;
                    line.length = 0;
                    return ecOK;
                }
                return EndPage(line, false);
            }
            if (const int rc = FetchLine(ctx); rc < 0) {
                return rc;
            }
            if (lineEndsPage_ && drawnLength_ == 0 && linesOnPage_ > 0) {
                // A form feed at the start of a line: break without drawing an empty line.
                return EndPage(line, held_ || !in_.AtEnd());
            }
            if (ctx.linesPerPage > 0 && linesOnPage_ >= ctx.linesPerPage) {
                pending_ = true; // becomes the first line of the next page
                return EndPage(line, true);
            }
        }
        pending_ = false;
        ++linesOnPage_;
        breakAfterLine_ = lineEndsPage_;
        return DrawRow(ctx, raster, line, 1);
    }

    void Close(ConverterContext& /*ctx*/) override { in_.Close(); }

private:
    int DrawRow(const ConverterContext& ctx, uint8_t* raster, LineRead& line, int row) {
        row_ = row;
        RenderTextRow(ctx.font, std::string_view(drawn_.data(), drawnLength_), row, raster);
        line.length = static_cast<int>((drawnLength_ * static_cast<size_t>(ctx.font.glyphWidth) + 7) / 8);
        return ecOK;
    }

    int EndPage(LineRead& line, bool more) {
        linesOnPage_ = 0;
        line.endOfPage = true;
        line.morePages = more;
        return ecOK;
    }

    // Takes the held-back text or the next line of the file, cuts it at a form feed, expands
    // tabs and cuts it to the page.
    int FetchLine(ConverterContext& ctx) {
        std::array<char, kMaxLineBytes> raw;
        size_t n = 0;
        if (held_) {
            n = heldLength_;
            std::memcpy(raw.data(), heldText_.data(), n);
            held_ = false;
        } else {
            if (const int rc = ReadFileLine(raw.data(), n); rc < 0) {
                return rc;
            }
            ctx.bytesConverted = static_cast<int64_t>(in_.Position());
            n = std::min(Utf8ToCp1252(raw.data(), n), kMaxLineChars);
        }
        lineEndsPage_ = false;
        if (const void* ff = std::memchr(raw.data(), kFormFeed, n)) {
            const size_t cut = static_cast<size_t>(static_cast<const char*>(ff) - raw.data());
            lineEndsPage_ = true;
            heldLength_ = n - cut - 1;
            held_ = heldLength_ > 0;
            std::memcpy(heldText_.data(), raw.data() + cut + 1, heldLength_);
            n = cut;
        }
        const int glyph = ctx.font.glyphWidth;
        const int fit = std::clamp(ctx.pageWidth / glyph - ctx.leftMargin / glyph, 0, kMaxDrawnChars);
        const int interval = ctx.tabStop > 0 ? ctx.tabStop : 4;
        size_t out = 0;
        const auto limit = static_cast<size_t>(fit);
        for (size_t i = 0; i < n && out < limit; ++i) {
            if (raw[i] == kTab) {
                const size_t next = (out / static_cast<size_t>(interval) + 1) * static_cast<size_t>(interval);
                while (out < next && out < limit) {
                    drawn_[out++] = ' ';
                }
            } else {
                drawn_[out++] = raw[i];
            }
        }
        drawnLength_ = out;
        return ecOK;
    }

    // One line of the file without its end (LF, CR or CR LF); bytes past kMaxLineBytes skipped.
    int ReadFileLine(char* text, size_t& n) {
        n = 0;
        int rc = ecOK;
        for (;;) {
            const int c = in_.Get(rc);
            if (c < 0) {
                return rc;
            }
            if (c == '\n') {
                return ecOK;
            }
            if (c == '\r') {
                if (in_.Peek(rc) == '\n') {
                    in_.Get(rc);
                }
                return rc;
            }
            if (n < kMaxLineBytes) {
                text[n++] = static_cast<char>(c);
            }
        }
    }

    InputBuffer in_{8192};
    std::array<char, kMaxLineChars> heldText_{};
    size_t heldLength_ = 0;
    bool held_ = false;           // text after a form feed waits for the next page
    bool pending_ = false;        // the fetched line waits for the next page (line limit)
    bool lineEndsPage_ = false;   // the fetched line was cut at a form feed
    bool breakAfterLine_ = false; // the page ends after the line being drawn
    std::array<char, kMaxDrawnChars> drawn_{};
    size_t drawnLength_ = 0;
    int row_ = 0; // glyph row drawn last, 0 = none
    int linesOnPage_ = 0;
};

} // namespace

std::unique_ptr<InputReader> MakeTextReader() {
    return std::make_unique<TextReader>();
}

} // namespace tolvane
