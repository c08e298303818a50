// SPDX-License-Identifier: MIT
// The C array declaration: its name and its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// One C array as a text defines it:
//   [static ]const<storage> <type> <name>[<length>] =\n{\n\tV, V, ... V,\n ... \tV\n};\n
// or, with `braceOnOwnLine` false, " = {\n" after the declarator. The values
// are `bytes` written as decimals (each minus 128 when `minus128`),
// sixteen a line; or, when `bytes` is empty, `items` as they are,
// `perLine` a line. Values are separated by ", "; a line ends with "," but
// the last, which ends bare unless `commaAfterLast`.
struct CArray {
    bool isStatic = false;
    std::string storage;  // words right after "const", each after a space: " PROGMEM"
    std::string type;     // "unsigned char", "signed char", "struct sounds_clip"
    std::string name;
    std::string length;  // the length as written; empty: the number of values
    std::span<const std::uint8_t> bytes;
    bool minus128 = false;
    std::vector<std::string> items;
    std::size_t perLine = 16;
    bool commaAfterLast = false;
    bool braceOnOwnLine = true;
};

// The array's declarator with its words and no initializer:
// "const PROGMEM unsigned char beep_wave[4800]".
std::string declarationOf(const CArray& array);

// The array's whole definition (see CArray). Returns a text with null
// `bytes` when memory runs out.
SourceText renderArray(const CArray& array);

// The tool's declaration of `name`_wave (`name` then `suffix`) holding
// `count` samples:
//   const unsigned char NAME_wave[N] =\n{\n\tV, V, ... V,\n ... \tV\n};\n
// sixteen values a line. Signed output declares "const char" and writes each
// byte minus 128. Returns a text with null `bytes` when memory runs out.
SourceText emitArraySource(std::string_view name, const std::uint8_t* samples, std::uint32_t count,
                           bool isSigned, std::string_view suffix = "_wave");

}  // namespace clip2c
