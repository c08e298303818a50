// SPDX-License-Identifier: MIT
// The texts the tool prints beside its refusals (csource/refusals.h): the
// Japanese title, kept as Shift_JIS and UTF-8 as the refusals are, the
// version and the usage.
#pragma once

#include <string_view>

#include "app/version.h"
#include "csource/refusals.h"

namespace clip2c {

// The byte texts stay as written: each adjacent literal ends where a hex
// escape would otherwise swallow the letter after it.
// clang-format off
// 8ビットモノラル rawまたはwavを.cに変換するプログラム
inline constexpr ConsoleText kTitle{
    "8\x83r\x83" "b\x83g\x83\x82\x83m\x83\x89\x83\x8B raw\x82\xDC\x82\xBD\x82\xCDwav\x82\xF0.c\x82\xC9\x95\xCF\x8A\xB7\x82\xB7\x82\xE9\x83v\x83\x8D\x83O\x83\x89\x83\x80",
    "8\xE3\x83\x93\xE3\x83\x83\xE3\x83\x88\xE3\x83\xA2\xE3\x83\x8E\xE3\x83\xA9\xE3\x83\xAB raw\xE3\x81\xBE\xE3\x81\x9F\xE3\x81\xAFwav\xE3\x82\x92.c\xE3\x81\xAB\xE5\xA4\x89\xE6\x8F\x9B\xE3\x81\x99\xE3\x82\x8B\xE3\x83\x97\xE3\x83\xAD\xE3\x82\xB0\xE3\x83\xA9\xE3\x83\xA0"};
// clang-format on

inline constexpr std::string_view kVersionWord = " version.";
inline constexpr std::string_view kUsageHead = "Usage : ";
inline constexpr std::string_view kUsageTail =
    " [option] [filelist file (.raw)] [output file (.c)]\n"
    "\n"
    "Option : /HELP            Display help message.\n"
    "Option : /SIGNED          Make signed data.\n";

}  // namespace clip2c
