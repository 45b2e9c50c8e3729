// The expression language of keys, FOR conditions and queries, compiled once against a table's
// fields and evaluated on raw record bytes without allocating:
//
//   expression := term { "+" term }          "+" joins character values
//   term       := (".NOT." | "!") term | "(" expression ")" | DTOS "(" datefield ")"
//               | DELETED "(" ")" | fieldname
//
// Names, functions and .NOT. are matched without regard to case; blanks are ignored.
#pragma once

#include "platform/xbase/XbRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class XbExpression {
public:
    enum class Kind { Character, Numeric, Date, Logical };

    XbExpression() = default;
    // Raises BadExpression naming the fault for anything outside the language.
    static XbExpression Compile(std::string_view text, const XbLayout& layout);

    const std::string& Text() const { return text_; }
    Kind ResultKind() const { return kind_; }
    bool Empty() const { return text_.empty(); }

    // Key bytes: character values as stored (padded to KeyLength), numbers and dates as
    // order-preserving doubles (8 bytes), logicals 'T' or 'F'.
    size_t KeyLength() const { return keyLength_; }
    void EvalKey(const uint8_t* record, uint8_t* key) const;
    // A logical expression's value.
    bool EvalBool(const uint8_t* record) const;
    // Pad byte of the key type in index pages: blank for character keys, 0 otherwise.
    uint8_t KeyPad() const { return kind_ == Kind::Character ? ' ' : 0; }

private:
    struct Segment {
        uint32_t offset;
        uint32_t width;
    };
    enum class Base { Deleted, LogicalField };
    // Appends the stored bytes of a parsed character term (the parser's node) to segments_.
    void AddSegments(const void* node, const XbLayout& layout);

    std::string text_;
    Kind kind_ = Kind::Logical;
    size_t keyLength_ = 0;
    std::vector<Segment> segments_; // character: the stored bytes joined
    uint32_t offset_ = 0;           // numeric, date, logical: the field
    uint32_t width_ = 0;
    Base base_ = Base::Deleted; // logical
    bool negate_ = false;
};

// The 8 key bytes of a number: the double's bits, big-endian, sign flipped for positive
// values and all bits inverted for negative ones, so that memcmp orders them.
void NumberKey(double value, uint8_t* key);

} // namespace tolvane
