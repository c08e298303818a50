// SPDX-License-Identifier: MIT
// The JSON texts the engine hands the page: its table of texts and its
// summaries of a result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace clip2c::board {

// A JSON text written value by value: strings escaped (quote, backslash
// and control bytes; every other byte, UTF-8 included, as it is), commas
// put between the members and items of each object and array.
class JsonWriter {
public:
    JsonWriter& open(char bracket) {
        separate();
        text_ += bracket;
        first_ = true;
        return *this;
    }
    JsonWriter& close(char bracket) {
        text_ += bracket;
        first_ = false;
        return *this;
    }
    // A member's name; its value is written next.
    JsonWriter& key(std::string_view name) {
        string(name);
        text_ += ':';
        first_ = true;
        return *this;
    }
    JsonWriter& string(std::string_view value) {
        separate();
        text_ += '"';
        for (const char c : value) {
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                constexpr std::string_view kHex = "0123456789abcdef";
                text_ += "\\u00";
                text_ += kHex[static_cast<unsigned char>(c) >> 4];
                text_ += kHex[static_cast<unsigned char>(c) & 0xF];
            } else {
                text_ += c;
            }
        }
        text_ += '"';
        return *this;
    }
    JsonWriter& number(std::int64_t value) {
        separate();
        text_ += std::to_string(value);
        return *this;
    }
    JsonWriter& boolean(bool value) {
        separate();
        text_ += value ? "true" : "false";
        return *this;
    }
    JsonWriter& null() {
        separate();
        text_ += "null";
        return *this;
    }
    std::string take() { return std::move(text_); }

private:
    void separate() {
        if (!first_) text_ += ',';
        first_ = false;
    }

    std::string text_;
    bool first_ = true;
};

}  // namespace clip2c::board
