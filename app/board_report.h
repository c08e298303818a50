// SPDX-License-Identifier: MIT
// What clip2c-board makes of its loaded inputs: the header to write and
// the lines that say what was done, or why the input is refused.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/board_command_line.h"
#include "app/board_output.h"

namespace clip2c {

struct BoardReport {
    // Empty when the clip is made; else why it is not, with what to do,
    // one sentence (printed after "clip2c-board: <input>: ").
    std::string refusal;
    std::string refusedInput;  // the input the refusal is about: a bank's clip, the output over it
    OutputFile output;         // when made: the clip's text and where it goes
    OutputFile source;         // when made with --source: the definitions, which `output` declares
    // When made: what was done, each said once written (UTF-8). When a
    // bank is refused: what more there is to say, after the refusal.
    std::vector<std::string> lines;
};

// The report for the file `bytes` given as line.inputs[0], made as `line`
// says (board::makeClip, then the AVR array limit). `bytes` is a file
// loaded, which is never empty: an empty one is refused as it loads.
BoardReport reportClip(const BoardCommandLine& line, std::span<const std::uint8_t> bytes);

// A loaded input of a bank.
struct BankInput {
    std::string path;  // as given on the command line
    std::span<const std::uint8_t> bytes;
};

// The report for the bank line.bank of `inputs` (line.inputs, loaded), made
// as `line` says (board::makeBank), written to line.output, else
// "<bank>.h" in the current folder. A clip refused, for any reason one
// clip alone would be, refuses the whole bank. Every input is a file
// loaded, never empty; line.bank gives an identifier.
BoardReport reportBank(const BoardCommandLine& line, const std::vector<BankInput>& inputs);

}  // namespace clip2c
