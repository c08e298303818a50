// SPDX-License-Identifier: MIT
// The JSON texts the engine hands the page: its table of texts and its
// summaries of a result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace clip2c::board {

// A JSON text written value by value: strings escaped (quote, backslash
// and control bytes; every other byte, UTF-8 included, as it is), commas
// put between the members and items of each object and array.
class JsonWriter {
public:
    // Opens an object or array with `bracket` ('{' or '[').
    JsonWriter& open(char bracket);
    // Closes it with `bracket` ('}' or ']').
    JsonWriter& close(char bracket);
    // A member's name; its value is written next.
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view value);
    JsonWriter& number(std::int64_t value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    // The text written, which the writer gives up.
    std::string take();

private:
    void separate();

    std::string text_;
    bool first_ = true;
};

}  // namespace clip2c::board
