// SPDX-License-Identifier: MIT
// Little-endian field readers. Fields are assembled byte by byte so that no
// alignment or host byte order is assumed; the caller checks that the bytes
// are there.
#pragma once

#include <cstdint>

namespace clip2c {

inline std::uint16_t readU16le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t readU32le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace clip2c
