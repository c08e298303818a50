// SPDX-License-Identifier: MIT
// What clip2c-board says about its command line: the usage line, --help,
// and what is wrong with a bad line. All of it is written from the options
// of app/board_options.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/board_command_line.h"

namespace clip2c {

// The program's name, as its lines on standard error begin with it.
inline constexpr std::string_view kBoardProgram = "clip2c-board";

// "usage: clip2c-board [--target c|firmware|progmem|flash] ... INPUT": the
// options the usage line shows, each in brackets, with its value's words
// or placeholder.
std::string boardUsageLine();

// The text --help prints, every line ending "\n": the usage lines, then
// every option with its help.
std::string boardHelpText();

// The lines that say what is wrong with a command line (parse.error not
// None): the error, then the usage lines.
std::vector<std::string> usageErrorLines(const BoardParse& parse);

}  // namespace clip2c
