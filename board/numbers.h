// SPDX-License-Identifier: MIT
// Numbers as the board's texts write them, the same digits on every
// platform. By hand: the library's std::to_string goes through printf,
// which would add a third to the page's module.
#pragma once

#include <cstdint>
#include <string>

namespace clip2c::board {

// `value` in decimal.
inline std::string decimal(std::uint64_t value) {
    std::string reversed;
    do {
        reversed += static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return {reversed.rbegin(), reversed.rend()};
}

// `value` in decimal with a comma between each group of three digits.
inline std::string grouped(std::uint64_t value) {
    const std::string digits = decimal(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

// `thousandths` / 1000 with three decimals, as "3.776".
inline std::string withThreeDecimals(std::uint64_t thousandths) {
    std::string fraction = decimal(thousandths % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return decimal(thousandths / 1000) + "." + fraction;
}

// Seconds of `samples` at `sampleRate` (not 0), rounded down to the
// millisecond, as "3.776".
inline std::string secondsDown(std::uint64_t samples, std::uint32_t sampleRate) {
    return withThreeDecimals(samples * 1000 / sampleRate);
}

}  // namespace clip2c::board
