// One record of a table as stored: the raw bytes and typed access to its fields. Records are
// read without moving the table's cursor (XbTable::ReadRecord), so a grid can show any row.
#pragma once

#include "platform/xbase/XbTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A field's place inside the record bytes.
struct XbFieldLayout {
    XbFieldDef def;
    uint32_t offset = 0; // byte 0 of a record is the deleted flag
};

// The fields of a table and the record length that follows from them.
class XbLayout {
public:
    XbLayout() = default;
    explicit XbLayout(std::vector<XbFieldLayout> fields);

    const std::vector<XbFieldLayout>& Fields() const { return fields_; }
    size_t Count() const { return fields_.size(); }
    const XbFieldLayout& Field(int index) const; // raises NoSuchField
    int IndexOf(std::string_view name) const;    // case-insensitive; -1 when absent
    uint32_t RecordLength() const { return recordLength_; }
    bool HasMemo() const;

private:
    std::vector<XbFieldLayout> fields_;
    uint32_t recordLength_ = 1;
};

class XbRecord {
public:
    XbRecord() = default;
    XbRecord(std::shared_ptr<const XbLayout> layout, uint32_t recNo, std::vector<uint8_t> bytes);

    uint32_t RecNo() const { return recNo_; }
    bool Deleted() const { return !bytes_.empty() && bytes_[0] == '*'; }
    const XbLayout& Layout() const { return *layout_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    // Display text: C without trailing blanks, N trimmed, D "YYYYMMDD" or "", L "T", "F" or "",
    // M "" (memo texts come from XbTable::ReadMemo).
    std::string Text(int field) const;
    // The stored bytes of the field.
    std::string_view Raw(int field) const;
    // All blanks (the empty value of every type).
    bool IsBlank(int field) const;
    bool Bool(int field) const;          // L: T t Y y are true
    XbDate Date(int field) const;        // D: empty date when blank or not a date
    double Number(int field) const;      // N: 0 when blank or invalid
    int64_t Integer(int field) const;    // N: rounded towards zero
    uint32_t MemoBlock(int field) const; // M: 0 when the record has no memo

private:
    const XbFieldLayout& Checked(int field, XbFieldType type) const;

    std::shared_ptr<const XbLayout> layout_;
    uint32_t recNo_ = 0;
    std::vector<uint8_t> bytes_;
};

} // namespace tolvane
