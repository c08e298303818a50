// SPDX-License-Identifier: MIT
// The C array declaration: its name and its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace clip2c {

// Returns the array's base name: `inputPath` cut at the last occurrence of
// `extension`, less everything up to and including the last "\" or "/"
// byte. The rest passes through unchanged (spaces, dots, hyphens), so the
// caller's file name is the name. The search is byte-wise: a Shift_JIS
// character whose second byte is 0x5C cuts the name there.
std::string deriveArrayName(const std::string& inputPath, std::string_view extension);

// Returns `path` cut at the last occurrence of `extension`, searched as a
// plain, case-sensitive byte string anywhere in the path; the whole path
// when it does not occur. The array name and the default output path are
// both cut this way.
std::string cutAtLastExtension(std::string path, std::string_view extension);

// A declaration text of exactly `length` bytes; `bytes` is null only when
// the text could not be allocated. The block may be longer than the text.
struct SourceText {
    platform::LargeBlock bytes;
    std::size_t length = 0;
};

// Builds the declaration of `name`_wave (`name` then `suffix`) holding
// `count` samples:
//   const unsigned char NAME_wave[N] =\n{\n\tV, V, ... V,\n ... \tV\n};\n
// sixteen values a line. Signed output declares "const char" and writes each
// byte minus 128. Returns a text with null `bytes` when memory runs out.
SourceText emitArraySource(std::string_view name, const std::uint8_t* samples, std::uint32_t count,
                           bool isSigned, std::string_view suffix = "_wave");

}  // namespace clip2c
