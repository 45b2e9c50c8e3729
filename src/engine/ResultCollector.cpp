#include "engine/ResultCollector.h"

namespace tolvane {
namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;

} // namespace

void ResultCollector::Reset() {
    buffer_.clear();
    complete_ = false;
    inFrame_ = false;
    dle_ = false;
    cr_ = false;
}

ResultCollector::Event ResultCollector::Feed(uint8_t c) {
    if (complete_) {
        Reset();
    }
    const auto keep = [&](uint8_t b) {
        if (buffer_.size() < kCapacity) {
            buffer_.push_back(static_cast<char>(b));
        }
    };
    if (inFrame_) {
        if (dle_) {
            dle_ = false;
            if (c == kEtx) {
                complete_ = true;
                return Event::Frame;
            }
            if (c == kDle) {
                keep(kDle);
            }
            return Event::None; // DLE and any other character: the DLE is dropped
        }
        if (c == kDle) {
            dle_ = true;
        } else {
            keep(c);
        }
        return Event::None;
    }
    if (buffer_.empty() && c == 0xFF) {
        inFrame_ = true;
        keep(c);
        return Event::None;
    }
    keep(c);
    const bool lineEnd = cr_ && c == '\n';
    cr_ = c == '\r';
    if (!lineEnd) {
        return Event::None;
    }
    size_t begin = 0;
    size_t end = buffer_.size();
    while (begin < end && static_cast<uint8_t>(buffer_[begin]) < 33) {
        ++begin;
    }
    while (end > begin && static_cast<uint8_t>(buffer_[end - 1]) < 33) {
        --end;
    }
    if (begin == end) {
        Reset();
        return Event::None;
    }
    buffer_ = buffer_.substr(begin, end - begin);
    complete_ = true;
    return Event::Line;
}

} // namespace tolvane
