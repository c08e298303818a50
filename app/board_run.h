// SPDX-License-Identifier: MIT
// The one run of clip2c-board: a sound file made into a clip for a board,
// written whole or not at all, with what was done said on standard error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/board_command_line.h"

namespace clip2c {

inline constexpr int kBoardExitWritten = 0;
inline constexpr int kBoardExitRefused = 1;  // the file, its clip or the output
inline constexpr int kBoardExitUsage = 2;    // the command line

// What a run makes of its loaded input files.
struct BoardReport {
    // Empty when the clip is made; else why it is not, with what to do,
    // one sentence (printed after "clip2c-board: <input>: ").
    std::string refusal;
    std::string refusedInput;  // the input the refusal is about: a bank's clip, the output over it
    std::string outputPath;    // when made: where the text goes
    std::string text;          // when made: the clip's text
    // When made with --source: the source file of the definitions, which
    // `text` (then the declarations) goes with.
    std::string sourcePath;
    std::string sourceText;
    // When made: what was done, each said once written (UTF-8). When a
    // bank is refused: what more there is to say, after the refusal.
    std::vector<std::string> lines;
};

// The report for the file `bytes` given as line.inputs[0], made as `line`
// says (board::makeClip, then the AVR array limit). `bytes` is a file
// loaded, which is never empty: an empty one is refused as it loads.
BoardReport reportClip(const BoardCommandLine& line, const std::uint8_t* bytes, std::uint32_t length);

// A loaded input of a bank.
struct BankInput {
    std::string path;  // as given on the command line
    const std::uint8_t* bytes = nullptr;
    std::uint32_t length = 0;
};

// The report for the bank line.bank of `inputs` (line.inputs, loaded), made
// as `line` says (board::makeBank), written to line.output, else
// "<bank>.h" in the current folder. A clip refused, for any reason one
// clip alone would be, refuses the whole bank. Every input is a file
// loaded, never empty; line.bank gives an identifier.
BoardReport reportBank(const BoardCommandLine& line, const std::vector<BankInput>& inputs);

// The lines that say what is wrong with a command line (parse.error not
// None): the error, then the usage line.
std::vector<std::string> usageErrorLines(const BoardParse& parse);

// The text --help prints, every line ending "\n".
std::string boardHelpText();

// `text` for a console that may not show UTF-8: the engine's arrow as
// "->", curly double quotes as plain ones; every other byte as it is.
std::string consoleAscii(std::string_view text);

// Runs clip2c-board with the argument vector; returns its exit status.
int runBoard(int argc, const char* const* argv);

}  // namespace clip2c
