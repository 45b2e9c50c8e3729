#include "platform/xbase/XbRecord.h"

#include "platform/xbase/RecordCodec.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tolvane {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) {
        s.remove_suffix(1);
    }
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    return s;
}

} // namespace

XbLayout::XbLayout(std::vector<XbFieldLayout> fields) : fields_(std::move(fields)) {
    recordLength_ = 1;
    for (const XbFieldLayout& f : fields_) {
        recordLength_ += static_cast<uint32_t>(f.def.width);
    }
}

const XbFieldLayout& XbLayout::Field(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= fields_.size()) {
        throw EXBaseError(XbError::NoSuchField, "no field number " + std::to_string(index));
    }
    return fields_[static_cast<size_t>(index)];
}

int XbLayout::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (SameIgnoringCase(fields_[i].def.name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool XbLayout::HasMemo() const {
    for (const XbFieldLayout& f : fields_) {
        if (f.def.type == XbFieldType::Memo) {
            return true;
        }
    }
    return false;
}

XbRecord::XbRecord(std::shared_ptr<const XbLayout> layout, uint32_t recNo, std::vector<uint8_t> bytes)
    : layout_(std::move(layout)), recNo_(recNo), bytes_(std::move(bytes)) {}

std::string_view XbRecord::Raw(int field) const {
    const XbFieldLayout& f = layout_->Field(field);
    return {reinterpret_cast<const char*>(bytes_.data()) + f.offset, static_cast<size_t>(f.def.width)};
}

const XbFieldLayout& XbRecord::Checked(int field, XbFieldType type) const {
    const XbFieldLayout& f = layout_->Field(field);
    if (f.def.type != type) {
        throw EXBaseError(XbError::WrongType, "field " + f.def.name + " is of type " +
                                                  std::string(1, static_cast<char>(f.def.type)));
    }
    return f;
}

bool XbRecord::IsBlank(int field) const {
    const std::string_view raw = Raw(field);
    if (layout_->Field(field).def.type == XbFieldType::Memo) {
        return ParseMemoBlock(raw) == 0;
    }
    return raw.find_first_not_of(' ') == std::string_view::npos;
}

std::string XbRecord::Text(int field) const {
    const XbFieldLayout& f = layout_->Field(field);
    const std::string_view raw = Raw(field);
    switch (f.def.type) {
    case XbFieldType::Character: {
        std::string_view s = raw;
        while (!s.empty() && s.back() == ' ') {
            s.remove_suffix(1);
        }
        return std::string(s);
    }
    case XbFieldType::Numeric:
        return std::string(TrimBlanks(raw));
    case XbFieldType::Date: {
        const XbDate d = ParseStoredDate(raw);
        return d.Empty() ? std::string() : std::string(raw);
    }
    case XbFieldType::Logical:
        return IsBlank(field) || raw[0] == '?' ? std::string() : std::string(Bool(field) ? "T" : "F");
    case XbFieldType::Memo:
        return {};
    }
    return {};
}

bool XbRecord::Bool(int field) const {
    Checked(field, XbFieldType::Logical);
    const char c = Raw(field)[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

XbDate XbRecord::Date(int field) const {
    Checked(field, XbFieldType::Date);
    return ParseStoredDate(Raw(field));
}

double XbRecord::Number(int field) const {
    Checked(field, XbFieldType::Numeric);
    bool ok = false;
    const double v = ParseStoredNumber(Raw(field), ok);
    return ok ? v : 0.0;
}

int64_t XbRecord::Integer(int field) const {
    const double v = Number(field);
    if (!(std::fabs(v) < 9.2e18)) {
        return 0;
    }
    return static_cast<int64_t>(v);
}

uint32_t XbRecord::MemoBlock(int field) const {
    Checked(field, XbFieldType::Memo);
    return ParseMemoBlock(Raw(field));
}

// --- Codec -------------------------------------------------------------------------------------

double ParseStoredNumber(std::string_view raw, bool& ok) {
    const std::string_view s = TrimBlanks(raw);
    ok = true;
    if (s.empty()) {
        return 0.0;
    }
    size_t i = 0;
    bool negative = false;
    if (s[i] == '-' || s[i] == '+') {
        negative = s[i] == '-';
        ++i;
    }
    double value = 0.0;
    bool digits = false;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        value = value * 10.0 + (s[i] - '0');
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        double scale = 0.1;
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
            value += (s[i] - '0') * scale;
            scale /= 10.0;
            digits = true;
        }
    }
    if (!digits || i != s.size()) {
        ok = false;
        return 0.0;
    }
    return negative ? -value : value;
}

bool IsValidDate(const XbDate& d) {
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) {
        return false;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const int max = kDays[d.month - 1] + (d.month == 2 && leap ? 1 : 0);
    return d.day <= max;
}

XbDate ParseStoredDate(std::string_view raw) {
    if (raw.size() != 8) {
        return {};
    }
    int v[8];
    for (size_t i = 0; i < 8; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(raw[i]))) {
            return {};
        }
        v[i] = raw[i] - '0';
    }
    const XbDate d{v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]};
    return IsValidDate(d) ? d : XbDate{};
}

int64_t JulianDay(const XbDate& d) {
    // Days from 1970-01-01 (H. Hinnant's days_from_civil), then the Julian day of that epoch.
    const int64_t y = d.month <= 2 ? d.year - 1 : d.year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (d.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 2440588;
}

uint32_t ParseMemoBlock(std::string_view raw) {
    if (raw.size() == 4) {
        const auto* p = reinterpret_cast<const uint8_t*>(raw.data());
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    uint64_t block = 0;
    size_t i = 0;
    while (i < raw.size() && raw[i] == ' ') {
        ++i;
    }
    for (; i < raw.size() && std::isdigit(static_cast<unsigned char>(raw[i])); ++i) {
        block = block * 10 + static_cast<uint64_t>(raw[i] - '0');
        if (block > 0xFFFFFFFFu) {
            return 0;
        }
    }
    return static_cast<uint32_t>(block);
}

void PutBlank(uint8_t* record, const XbFieldLayout& f) {
    std::memset(record + f.offset, f.def.type == XbFieldType::Memo && f.def.width == 4 ? 0 : ' ',
                static_cast<size_t>(f.def.width));
}

void PutText(uint8_t* record, const XbFieldLayout& f, std::string_view text) {
    const size_t width = static_cast<size_t>(f.def.width);
    const size_t n = text.size() < width ? text.size() : width;
    std::memcpy(record + f.offset, text.data(), n);
    std::memset(record + f.offset + n, ' ', width - n);
}

void PutBool(uint8_t* record, const XbFieldLayout& f, bool value) {
    record[f.offset] = value ? 'T' : 'F';
}

void PutDate(uint8_t* record, const XbFieldLayout& f, const XbDate& d) {
    if (d.Empty()) {
        PutBlank(record, f);
        return;
    }
    if (!IsValidDate(d)) {
        throw EXBaseError(XbError::BadValue, "field " + f.def.name + ": not a valid date");
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    std::memcpy(record + f.offset, text, 8);
}

void PutNumber(uint8_t* record, const XbFieldLayout& f, double value) {
    char text[64];
    const int n = std::isfinite(value) && std::fabs(value) < 1e20
                      ? std::snprintf(text, sizeof text, "%*.*f", f.def.width, f.def.decimals, value)
                      : 999;
    if (n > f.def.width) {
        throw EXBaseError(XbError::BadValue, "field " + f.def.name + ": the number does not fit in " +
                                                 std::to_string(f.def.width) + " characters");
    }
    std::memcpy(record + f.offset, text, static_cast<size_t>(n));
}

void PutMemoBlock(uint8_t* record, const XbFieldLayout& f, uint32_t block) {
    if (f.def.width == 4) {
        for (int i = 0; i < 4; ++i) {
            record[f.offset + static_cast<uint32_t>(i)] = static_cast<uint8_t>(block >> (8 * i));
        }
        return;
    }
    if (block == 0) {
        PutBlank(record, f);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%*u", f.def.width, block);
    std::memcpy(record + f.offset, text, static_cast<size_t>(f.def.width));
}

} // namespace tolvane
