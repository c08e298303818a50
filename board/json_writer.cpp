// SPDX-License-Identifier: MIT
#include "board/json_writer.h"

#include <utility>

namespace clip2c::board {

JsonWriter& JsonWriter::open(char bracket) {
    separate();
    text_ += bracket;
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    text_ += bracket;
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    string(name);
    text_ += ':';
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view value) {
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

JsonWriter& JsonWriter::number(std::int64_t value) {
    separate();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    separate();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    text_ += "null";
    return *this;
}

std::string JsonWriter::take() { return std::move(text_); }

void JsonWriter::separate() {
    if (!first_) text_ += ',';
    first_ = false;
}

}  // namespace clip2c::board
