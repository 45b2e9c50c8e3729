// The little JSON xbtool reads and writes: a value tree, a strict parser and string quoting.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xbtool {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text; // strings; numbers keep their source text here too
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members; // in source order

    const JsonValue* Find(std::string_view key) const;
};

// Parses a whole document; false with a message naming the position otherwise.
bool ParseJson(std::string_view text, JsonValue& out, std::string& error);

// A JSON string literal for UTF-8 text.
std::string JsonQuote(std::string_view utf8);

} // namespace xbtool
