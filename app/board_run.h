// SPDX-License-Identifier: MIT
// The one run of clip2c-board: a sound file made into a clip for a board,
// written whole or not at all, with what was done said on standard error.
#pragma once

#include <string>
#include <string_view>

namespace clip2c {

inline constexpr int kBoardExitWritten = 0;
inline constexpr int kBoardExitRefused = 1;  // the file, its clip or the output
inline constexpr int kBoardExitUsage = 2;    // the command line

// `text` for a console that may not show UTF-8: the engine's arrow as
// "->", curly double quotes as plain ones; every other byte as it is.
std::string consoleAscii(std::string_view text);

// Runs clip2c-board with the argument vector; returns its exit status.
int runBoard(int argc, const char* const* argv);

}  // namespace clip2c
