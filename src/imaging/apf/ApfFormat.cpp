#include "imaging/apf/ApfFormat.h"

#include <algorithm>
#include <cstring>

namespace tolvane {
namespace {

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

} // namespace

ApfFileHeader ApfFileHeader::Initial() {
    ApfFileHeader h;
    h.Signature = kApfSignature;
    h.FirstPageOffset = kApfFirstPageOffset;
    return h;
}

ApfFileHeader ApfFileHeader::Parse(const uint8_t (&bytes)[kApfFileHeaderSize]) {
    ApfFileHeader h;
    std::copy_n(bytes, h.Signature.size(), h.Signature.begin());
    h.FaxDateTime = Get32(bytes + 6);
    std::copy_n(bytes + 10, h.StationID.size(), h.StationID.begin());
    h.PageCount = Get16(bytes + 32);
    h.FirstPageOffset = Get32(bytes + 34);
    return h;
}

void ApfFileHeader::Serialize(uint8_t (&bytes)[kApfFileHeaderSize]) const {
    std::memset(bytes, 0, kApfFileHeaderSize);
    std::copy(Signature.begin(), Signature.end(), bytes);
    Put32(bytes + 6, FaxDateTime);
    std::copy(StationID.begin(), StationID.end(), bytes + 10);
    Put16(bytes + 32, PageCount);
    Put32(bytes + 34, FirstPageOffset);
}

std::string ApfFileHeader::StationText() const {
    const size_t len = std::min<size_t>(StationID[0], kApfStationIdLength);
    return std::string(reinterpret_cast<const char*>(StationID.data() + 1), len);
}

std::string ApfFileHeader::StationTrimmed() const {
    std::string s = StationText();
    while (!s.empty() && s.back() == ' ') {
        s.pop_back();
    }
    return s;
}

void ApfFileHeader::SetStationID(std::string_view text) {
    const size_t len = std::min(text.size(), kApfStationIdLength);
    StationID.fill(' ');
    StationID[0] = static_cast<uint8_t>(len);
    std::copy_n(text.begin(), len, StationID.begin() + 1);
}

void ApfFileHeader::SetStationIDPadded(std::string_view text) {
    SetStationID(text);
    StationID[0] = static_cast<uint8_t>(kApfStationIdLength);
}

ApfPageHeader ApfPageHeader::Parse(const uint8_t (&bytes)[kApfPageHeaderSize]) {
    ApfPageHeader h;
    h.ImageLength = Get32(bytes);
    h.PageFlags = Get16(bytes + 4);
    return h;
}

void ApfPageHeader::Serialize(uint8_t (&bytes)[kApfPageHeaderSize]) const {
    std::memset(bytes, 0, kApfPageHeaderSize);
    Put32(bytes, ImageLength);
    Put16(bytes + 4, PageFlags);
}

uint32_t PackDosDateTime(const std::tm& t) {
    const int year = t.tm_year + 1900;
    if (year < 1980 || year > 2099) {
        return 0;
    }
    const auto field = [](int v, int bits) { return static_cast<uint32_t>(v) & ((1u << bits) - 1); };
    return field(t.tm_sec / 2, 5) | (field(t.tm_min, 6) << 5) | (field(t.tm_hour, 5) << 11) |
           (field(t.tm_mday, 5) << 16) | (field(t.tm_mon + 1, 4) << 21) | (field(year - 1980, 7) << 25);
}

uint32_t DosDateTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return PackDosDateTime(local);
}

std::optional<std::tm> UnpackDosDateTime(uint32_t packed) {
    if (packed == 0) {
        return std::nullopt;
    }
    std::tm t{};
    t.tm_sec = static_cast<int>(packed & 0x1F) * 2;
    t.tm_min = static_cast<int>((packed >> 5) & 0x3F);
    t.tm_hour = static_cast<int>((packed >> 11) & 0x1F);
    t.tm_mday = static_cast<int>((packed >> 16) & 0x1F);
    t.tm_mon = static_cast<int>((packed >> 21) & 0x0F) - 1;
    t.tm_year = static_cast<int>(packed >> 25) + 80;
    if (t.tm_mday < 1 || t.tm_mon < 0 || t.tm_mon > 11 || t.tm_hour > 23 || t.tm_min > 59 || t.tm_sec > 59) {
        return std::nullopt;
    }
    return t;
}

} // namespace tolvane
