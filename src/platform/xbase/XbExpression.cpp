#include "platform/xbase/XbExpression.h"

#include "platform/xbase/RecordCodec.h"

#include <cctype>
#include <cstring>
#include <memory>

namespace tolvane {

namespace {

// Parsed form, used only while compiling.
struct Node {
    enum class Type { Field, Dtos, Deleted, Not, Concat };
    Node(Type t, int f) : type(t), field(f) {}
    Type type;
    int field;
    std::vector<std::unique_ptr<Node>> children;
};

std::unique_ptr<Node> MakeNode(Node::Type type, int field = -1) {
    return std::make_unique<Node>(type, field);
}

class Parser {
public:
    Parser(std::string_view text, const XbLayout& layout) : text_(text), layout_(layout) {}

    std::unique_ptr<Node> Parse() {
        auto node = Expression();
        Skip();
        if (pos_ < text_.size()) {
            Fail("unexpected '" + std::string(1, text_[pos_]) + "'");
        }
        return node;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EXBaseError(XbError::BadExpression, "expression \"" + std::string(text_) + "\": " + what +
                                                      " at position " + std::to_string(pos_ + 1));
    }

private:
    void Skip() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }

    bool Accept(char c) {
        Skip();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void Expect(char c) {
        if (!Accept(c)) {
            Fail(std::string("expected '") + c + "'");
        }
    }

    bool AcceptWord(std::string_view word) {
        Skip();
        if (text_.size() - pos_ < word.size()) {
            return false;
        }
        for (size_t i = 0; i < word.size(); ++i) {
            if (std::toupper(static_cast<unsigned char>(text_[pos_ + i])) != word[i]) {
                return false;
            }
        }
        pos_ += word.size();
        return true;
    }

    std::string Identifier() {
        Skip();
        const size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) {
            ++pos_;
        }
        if (start == pos_ || std::isdigit(static_cast<unsigned char>(text_[start]))) {
            pos_ = start;
            Fail(pos_ < text_.size() ? "unexpected '" + std::string(1, text_[pos_]) + "'"
                                     : std::string("unexpected end"));
        }
        std::string id(text_.substr(start, pos_ - start));
        for (char& c : id) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return id;
    }

    std::unique_ptr<Node> Expression() {
        auto first = Term();
        if (!Accept('+')) {
            return first;
        }
        auto concat = MakeNode(Node::Type::Concat);
        concat->children.push_back(std::move(first));
        do {
            concat->children.push_back(Term());
        } while (Accept('+'));
        return concat;
    }

    std::unique_ptr<Node> Term() {
        if (AcceptWord(".NOT.") || Accept('!')) {
            auto node = MakeNode(Node::Type::Not);
            node->children.push_back(Term());
            return node;
        }
        if (Accept('(')) {
            auto inner = Expression();
            Expect(')');
            return inner;
        }
        const size_t start = pos_;
        const std::string name = Identifier();
        if (Accept('(')) {
            if (name == "DELETED") {
                Expect(')');
                return MakeNode(Node::Type::Deleted);
            }
            if (name == "DTOS") {
                const std::string arg = Identifier();
                const int field = layout_.IndexOf(arg);
                if (field < 0) {
                    Fail("no field " + arg);
                }
                if (layout_.Field(field).def.type != XbFieldType::Date) {
                    Fail("DTOS needs a date field, " + arg + " is not one");
                }
                Expect(')');
                return MakeNode(Node::Type::Dtos, field);
            }
            pos_ = start;
            Fail("function " + name + "() is not supported");
        }
        const int field = layout_.IndexOf(name);
        if (field < 0) {
            pos_ = start;
            Fail("no field " + name);
        }
        if (layout_.Field(field).def.type == XbFieldType::Memo) {
            pos_ = start;
            Fail("memo field " + name + " cannot be used");
        }
        return MakeNode(Node::Type::Field, field);
    }

    std::string_view text_;
    const XbLayout& layout_;
    size_t pos_ = 0;
};

bool IsCharacter(const Node& n, const XbLayout& layout) {
    switch (n.type) {
    case Node::Type::Dtos:
    case Node::Type::Concat:
        return true;
    case Node::Type::Field:
        return layout.Field(n.field).def.type == XbFieldType::Character;
    default:
        return false;
    }
}

[[noreturn]] void Fail(std::string_view text, const std::string& what) {
    throw EXBaseError(XbError::BadExpression, "expression \"" + std::string(text) + "\": " + what);
}

} // namespace

XbExpression XbExpression::Compile(std::string_view text, const XbLayout& layout) {
    Parser parser(text, layout);
    const std::unique_ptr<Node> root = parser.Parse();
    XbExpression e;
    e.text_ = std::string(text);
    const Node* node = root.get();
    while (node->type == Node::Type::Not) {
        e.negate_ = !e.negate_;
        node = node->children[0].get();
        if (node->type != Node::Type::Not && node->type != Node::Type::Deleted &&
            !(node->type == Node::Type::Field &&
              layout.Field(node->field).def.type == XbFieldType::Logical)) {
            Fail(text, ".NOT. needs a logical value");
        }
    }
    switch (node->type) {
    case Node::Type::Deleted:
        e.kind_ = Kind::Logical;
        e.base_ = Base::Deleted;
        e.keyLength_ = 1;
        return e;
    case Node::Type::Concat:
    case Node::Type::Dtos:
        break;
    case Node::Type::Field: {
        const XbFieldLayout& f = layout.Field(node->field);
        e.offset_ = f.offset;
        e.width_ = static_cast<uint32_t>(f.def.width);
        switch (f.def.type) {
        case XbFieldType::Numeric:
            e.kind_ = Kind::Numeric;
            e.keyLength_ = 8;
            return e;
        case XbFieldType::Date:
            e.kind_ = Kind::Date;
            e.keyLength_ = 8;
            return e;
        case XbFieldType::Logical:
            e.kind_ = Kind::Logical;
            e.base_ = Base::LogicalField;
            e.keyLength_ = 1;
            return e;
        default:
            break;
        }
        break;
    }
    case Node::Type::Not:
        break;
    }
    // Character value: the concatenated stored bytes.
    e.kind_ = Kind::Character;
    e.AddSegments(node, layout);
    if (e.keyLength_ > 240) {
        Fail(text, "the value is longer than 240 characters");
    }
    return e;
}

void XbExpression::AddSegments(const void* opaque, const XbLayout& layout) {
    const Node& n = *static_cast<const Node*>(opaque);
    if (n.type == Node::Type::Concat) {
        for (const auto& child : n.children) {
            AddSegments(child.get(), layout);
        }
        return;
    }
    if (!IsCharacter(n, layout)) {
        Fail(text_, "\"+\" joins character values only");
    }
    const XbFieldLayout& f = layout.Field(n.field);
    const uint32_t width = n.type == Node::Type::Dtos ? 8u : static_cast<uint32_t>(f.def.width);
    segments_.push_back({f.offset, width});
    keyLength_ += width;
}

void NumberKey(double value, uint8_t* key) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits >> 63) != 0 ? ~bits : bits ^ (uint64_t{1} << 63);
    for (int i = 0; i < 8; ++i) {
        key[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    }
}

void XbExpression::EvalKey(const uint8_t* record, uint8_t* key) const {
    switch (kind_) {
    case Kind::Character:
        for (const Segment& s : segments_) {
            std::memcpy(key, record + s.offset, s.width);
            key += s.width;
        }
        return;
    case Kind::Numeric: {
        bool ok = false;
        const double v = ParseStoredNumber(
            {reinterpret_cast<const char*>(record) + offset_, static_cast<size_t>(width_)}, ok);
        NumberKey(ok ? v : 0.0, key);
        return;
    }
    case Kind::Date: {
        const XbDate d = ParseStoredDate({reinterpret_cast<const char*>(record) + offset_, 8});
        NumberKey(d.Empty() ? 0.0 : static_cast<double>(JulianDay(d)), key);
        return;
    }
    case Kind::Logical:
        key[0] = EvalBool(record) ? 'T' : 'F';
        return;
    }
}

bool XbExpression::EvalBool(const uint8_t* record) const {
    bool value;
    if (base_ == Base::Deleted) {
        value = record[0] == '*';
    } else {
        const uint8_t c = record[offset_];
        value = c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
    return value != negate_;
}

} // namespace tolvane
