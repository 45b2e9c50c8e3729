#include "platform/xbase/DbfFormat.h"

#include "platform/xbase/ByteOrder.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <set>

namespace tolvane {

namespace {

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > 10 || std::isdigit(static_cast<unsigned char>(name[0]))) {
        return false;
    }
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

// Width rules of FoxPro 2.x; memoWidth is 10, or 4 in the later layout.
std::string CheckWidth(const XbFieldDef& f, int memoWidth) {
    switch (f.type) {
    case XbFieldType::Character:
        return f.width >= 1 && f.width <= 254 && f.decimals == 0 ? "" : "C width must be 1 to 254";
    case XbFieldType::Numeric:
        if (f.width < 1 || f.width > 20) {
            return "N width must be 1 to 20";
        }
        return f.decimals == 0 || (f.decimals > 0 && f.decimals <= f.width - 2) ? "" : "bad decimals";
    case XbFieldType::Date:
        return f.width == 8 ? "" : "D width must be 8";
    case XbFieldType::Logical:
        return f.width == 1 ? "" : "L width must be 1";
    case XbFieldType::Memo:
        return f.width == memoWidth ? "" : "M width must be " + std::to_string(memoWidth);
    }
    return "unknown type";
}

bool KnownType(char c) {
    return c == 'C' || c == 'L' || c == 'D' || c == 'N' || c == 'M';
}

} // namespace

bool ParseDbfHeader(const uint8_t* data, size_t size, uint64_t fileSize, DbfHeader& header,
                    std::string& error) {
    header = DbfHeader{};
    if (size < kDbfHeaderSize) {
        error = "file too short for a table header";
        return false;
    }
    std::copy(data, data + kDbfHeaderSize, header.fixed);
    header.version = data[0];
    switch (header.version) {
    case 0x03:
    case 0xF5:
        break;
    case 0x30:
    case 0x31:
    case 0x32:
        header.binaryMemoPointers = true;
        break;
    default:
        error = "unknown table version byte " + std::to_string(header.version);
        return false;
    }
    header.recordCount = Le32(data + 4);
    header.headerLength = Le16(data + 8);
    header.recordLength = Le16(data + 10);
    header.flags = data[28];
    header.codePage = data[29];

    uint32_t offset = 1;
    std::set<std::string> names;
    size_t pos = kDbfHeaderSize;
    for (;;) {
        if (pos >= size || pos >= header.headerLength) {
            error = "field list has no terminator inside the header";
            return false;
        }
        if (data[pos] == 0x0D) {
            break;
        }
        if (pos + kDbfFieldSize > size || pos + kDbfFieldSize > header.headerLength) {
            error = "field descriptor runs past the header";
            return false;
        }
        if (header.fields.size() == kDbfMaxFields) {
            error = "more than 255 fields";
            return false;
        }
        const uint8_t* d = data + pos;
        std::string name(reinterpret_cast<const char*>(d), 11);
        name.resize(name.find('\0') == std::string::npos ? 11 : name.find('\0'));
        name = Upper(name);
        const char type = static_cast<char>(d[11]);
        XbFieldLayout f;
        f.def.name = name;
        f.def.type = static_cast<XbFieldType>(type == 'F' ? 'N' : type);
        f.def.width = d[16];
        f.def.decimals = d[17];
        f.offset = offset;
        if (!ValidName(name)) {
            error = "field " + std::to_string(header.fields.size() + 1) + " has no valid name";
            return false;
        }
        if (!names.insert(name).second) {
            error = "field " + name + " appears twice";
            return false;
        }
        if (!KnownType(static_cast<char>(f.def.type))) {
            error = "field " + name + " has unsupported type '" + std::string(1, type) + "'";
            return false;
        }
        const std::string bad = CheckWidth(f.def, header.binaryMemoPointers ? 4 : 10);
        if (!bad.empty()) {
            error = "field " + name + ": " + bad;
            return false;
        }
        offset += static_cast<uint32_t>(f.def.width);
        header.fields.push_back(f);
        pos += kDbfFieldSize;
    }
    if (header.fields.empty()) {
        error = "table has no fields";
        return false;
    }
    if (offset != header.recordLength) {
        error = "record length " + std::to_string(header.recordLength) +
                " does not match the field widths (" + std::to_string(offset) + ")";
        return false;
    }
    const uint64_t needed = static_cast<uint64_t>(header.headerLength) +
                            static_cast<uint64_t>(header.recordCount) * header.recordLength;
    if (fileSize < needed) {
        error = "file is shorter than its " + std::to_string(header.recordCount) + " records";
        return false;
    }
    return true;
}

std::vector<XbFieldLayout> PrepareFields(const std::vector<XbFieldDef>& defs) {
    if (defs.empty() || defs.size() > kDbfMaxFields) {
        throw EXBaseError(XbError::BadFieldList, "a table needs 1 to 255 fields");
    }
    std::vector<XbFieldLayout> fields;
    std::set<std::string> names;
    uint32_t offset = 1;
    for (const XbFieldDef& def : defs) {
        XbFieldLayout f;
        f.def = def;
        f.def.name = Upper(def.name);
        if (!ValidName(f.def.name)) {
            throw EXBaseError(XbError::BadFieldList, "field name \"" + def.name + "\" is not valid");
        }
        if (!names.insert(f.def.name).second) {
            throw EXBaseError(XbError::BadFieldList, "field " + f.def.name + " appears twice");
        }
        if (!KnownType(static_cast<char>(def.type))) {
            throw EXBaseError(XbError::BadFieldList, "field " + f.def.name + " has an unknown type");
        }
        if (f.def.width == 0) {
            f.def.width = def.type == XbFieldType::Date      ? 8
                          : def.type == XbFieldType::Logical ? 1
                          : def.type == XbFieldType::Memo    ? 10
                                                             : 0;
        }
        const std::string bad = CheckWidth(f.def, 10);
        if (!bad.empty()) {
            throw EXBaseError(XbError::BadFieldList, "field " + f.def.name + ": " + bad);
        }
        f.offset = offset;
        offset += static_cast<uint32_t>(f.def.width);
        fields.push_back(f);
    }
    if (offset > 65535) {
        throw EXBaseError(XbError::BadFieldList, "record longer than 65535 bytes");
    }
    return fields;
}

std::vector<uint8_t> BuildDbfHeader(const DbfHeader& header) {
    const size_t length = kDbfHeaderSize + kDbfFieldSize * header.fields.size() + 1;
    std::vector<uint8_t> out(length, 0);
    std::copy(header.fixed, header.fixed + kDbfHeaderSize, out.begin());
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const XbFieldLayout& f = header.fields[i];
        uint8_t* d = out.data() + kDbfHeaderSize + kDbfFieldSize * i;
        std::copy(f.def.name.begin(), f.def.name.end(), d);
        d[11] = static_cast<uint8_t>(f.def.type);
        PutLe32(d + 12, f.offset);
        d[16] = static_cast<uint8_t>(f.def.width);
        d[17] = static_cast<uint8_t>(f.def.decimals);
    }
    out[length - 1] = 0x0D;
    return out;
}

void UpdateDbfFixedHeader(DbfHeader& header) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    header.fixed[0] = header.version;
    header.fixed[1] = static_cast<uint8_t>((local.tm_year + 1900) % 100);
    header.fixed[2] = static_cast<uint8_t>(local.tm_mon + 1);
    header.fixed[3] = static_cast<uint8_t>(local.tm_mday);
    PutLe32(header.fixed + 4, header.recordCount);
    PutLe16(header.fixed + 8, header.headerLength);
    PutLe16(header.fixed + 10, header.recordLength);
    header.fixed[28] = header.flags;
    header.fixed[29] = header.codePage;
}

} // namespace tolvane
