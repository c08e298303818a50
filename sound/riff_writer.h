// SPDX-License-Identifier: MIT
// Writing a RIFF file's little-endian fields and chunk ids, for the WAV
// files the engine makes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace clip2c::sound {

// Appends the low 16 bits of `value`, little-endian.
inline void putU16le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

// Appends `value`, little-endian.
inline void putU32le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putU16le(out, value & 0xFFFFu);
    putU16le(out, value >> 16);
}

// Appends a chunk id ("RIFF", "fmt ", ...).
inline void putId(std::vector<std::uint8_t>& out, std::string_view id) {
    out.insert(out.end(), id.begin(), id.end());
}

}  // namespace clip2c::sound
