#include "Json.h"

#include "platform/xbase/XbTextCodec.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace xbtool {

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == key) {
            return &memberValues[i];
        }
    }
    return nullptr;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool Document(JsonValue& out, std::string& error) {
        if (!Value(out, 0)) {
            error = error_ + " at byte " + std::to_string(pos_ + 1);
            return false;
        }
        Skip();
        if (pos_ != text_.size()) {
            error = "unexpected text after the document at byte " + std::to_string(pos_ + 1);
            return false;
        }
        return true;
    }

private:
    static constexpr int kMaxDepth = 64;

    void Skip() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }

    bool Fail(const char* what) {
        error_ = what;
        return false;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            return false;
        }
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& out, int depth) {
        if (depth > kMaxDepth) {
            return Fail("nested too deeply");
        }
        Skip();
        if (pos_ >= text_.size()) {
            return Fail("unexpected end");
        }
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            out.type = JsonValue::Type::Object;
            Skip();
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            for (;;) {
                Skip();
                std::string key;
                if (pos_ >= text_.size() || text_[pos_] != '"' || !String(key)) {
                    return Fail("expected a member name");
                }
                Skip();
                if (pos_ >= text_.size() || text_[pos_] != ':') {
                    return Fail("expected ':'");
                }
                ++pos_;
                JsonValue v;
                if (!Value(v, depth + 1)) {
                    return false;
                }
                out.names.push_back(std::move(key));
                out.memberValues.push_back(std::move(v));
                Skip();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                if (pos_ < text_.size() && text_[pos_] == '}') {
                    ++pos_;
                    return true;
                }
                return Fail("expected ',' or '}'");
            }
        }
        if (c == '[') {
            ++pos_;
            out.type = JsonValue::Type::Array;
            Skip();
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            for (;;) {
                JsonValue v;
                if (!Value(v, depth + 1)) {
                    return false;
                }
                out.items.push_back(std::move(v));
                Skip();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                if (pos_ < text_.size() && text_[pos_] == ']') {
                    ++pos_;
                    return true;
                }
                return Fail("expected ',' or ']'");
            }
        }
        if (c == '"') {
            out.type = JsonValue::Type::String;
            return String(out.text) || Fail("bad string");
        }
        if (Literal("true")) {
            out.type = JsonValue::Type::Bool;
            out.boolean = true;
            return true;
        }
        if (Literal("false")) {
            out.type = JsonValue::Type::Bool;
            return true;
        }
        if (Literal("null")) {
            return true;
        }
        return Number(out);
    }

    bool Number(JsonValue& out) {
        const size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-') {
            ++pos_;
        }
        while (pos_ < text_.size() &&
               (std::isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.' ||
                text_[pos_] == 'e' || text_[pos_] == 'E' || text_[pos_] == '+' || text_[pos_] == '-')) {
            ++pos_;
        }
        out.text = std::string(text_.substr(start, pos_ - start));
        char* end = nullptr;
        out.number = std::strtod(out.text.c_str(), &end);
        if (out.text.empty() || end != out.text.c_str() + out.text.size()) {
            pos_ = start;
            return Fail("unexpected character");
        }
        out.type = JsonValue::Type::Number;
        return true;
    }

    bool Hex4(unsigned& v) {
        if (pos_ + 4 > text_.size()) {
            return false;
        }
        v = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[pos_++];
            v <<= 4;
            if (h >= '0' && h <= '9') {
                v |= static_cast<unsigned>(h - '0');
            } else if (h >= 'a' && h <= 'f') {
                v |= static_cast<unsigned>(h - 'a' + 10);
            } else if (h >= 'A' && h <= 'F') {
                v |= static_cast<unsigned>(h - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }

    bool String(std::string& out) {
        ++pos_; // opening quote
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                return false;
            }
            const char e = text_[pos_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned v = 0;
                if (!Hex4(v)) {
                    return false;
                }
                if (v >= 0xD800 && v < 0xDC00) {
                    unsigned low = 0;
                    if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                        return false;
                    }
                    v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
                }
                tolvane::XbAppendUtf8(out, v);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string error_;
};

} // namespace

bool ParseJson(std::string_view text, JsonValue& out, std::string& error) {
    out = JsonValue{};
    return Parser(text).Document(out, error);
}

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x",
                              static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace xbtool
