// Collects what the modem sends outside page data into result lines and Class 1 frames.
//
// Lines end with CR LF; the text is trimmed of characters below 33 and an empty line is skipped.
// A frame begins with the HDLC address 0xFF at the start of the buffer and ends with DLE ETX;
// inside a frame CR LF is ordinary data and DLE DLE stands for one 0x10 byte, so a frame whose
// contents (the control field, the information field or the two check-sequence octets the
// modem passes on) hold those values is not cut. At most 128 bytes are kept; more are dropped
// until the line or frame ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

class ResultCollector {
public:
    static constexpr size_t kCapacity = 128;
    enum class Event { None, Line, Frame };

    Event Feed(uint8_t c);
    // After Event::Line the trimmed line; after Event::Frame the frame's bytes from the address
    // up to (not including) DLE ETX, with stuffed DLEs undone. Otherwise what has come so far.
    const std::string& Buffer() const { return buffer_; }
    // Empties the buffer and restarts both matchers.
    void Reset();

private:
    std::string buffer_;
    bool complete_ = false; // the buffer holds a finished line or frame
    bool inFrame_ = false;
    bool dle_ = false; // inside a frame: the last byte was DLE
    bool cr_ = false;  // outside a frame: the last byte was CR
};

} // namespace tolvane
