// SPDX-License-Identifier: MIT
// Measuring and loading an input file whole.
#pragma once

#include <cstdint>
#include <string>

namespace clip2c {

// Returns the file's size, 0 when it cannot be opened, is a folder, or is
// 4 GiB or larger (a size that does not fit in 32 bits is never truncated).
std::uint32_t queryFileSize(const std::string& path);

// Reads the whole file into `buffer`, which holds `capacity` bytes measured
// earlier by queryFileSize. Returns the bytes read, 0 when the file cannot
// be opened, is empty, cannot be read whole, or no longer has exactly
// `capacity` bytes: a file that grew or shrank since it was measured is a
// failed read, so nothing is written past the buffer and no byte of it is
// left unfilled.
std::uint32_t readWholeFile(const std::string& path, std::uint8_t* buffer, std::uint32_t capacity);

}  // namespace clip2c
