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
    std::string text;                    // strings; numbers keep their source text here too
    std::vector<JsonValue> items;        // arrays
    std::vector<std::string> names;      // objects: member names in source order,
    std::vector<JsonValue> memberValues; // and their values

    const JsonValue* Find(std::string_view key) const;
};

// Parses a whole document; false with a message naming the position otherwise.
bool ParseJson(std::string_view text, JsonValue& out, std::string& error);

// A JSON string literal for UTF-8 text.
std::string JsonQuote(std::string_view utf8);

} // namespace xbtool
