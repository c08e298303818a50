// SPDX-License-Identifier: MIT
// clip2c-board's command line, read GNU-style into a plain record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/targets.h"

namespace clip2c {

// The highest rate --rate takes. No board plays an 8-bit clip faster, and
// a higher one would only make a resampled clip too big to hold.
inline constexpr std::uint32_t kBoardMaxRate = 1000000;

// What the command line asks for.
enum class BoardRequest { Run, Help, Version };

struct BoardCommandLine {
    BoardRequest request = BoardRequest::Run;
    std::vector<std::string> inputs{};  // one without --bank; one or more with it
    // With --bank, every input is a clip of the bank of this name.
    std::optional<std::string> bank{};
    std::string output{};  // empty: "<name>.h" in the input's folder; "<bank>.h" here for a bank
    // Not empty: the definitions go into this source file, and the header
    // (`output`) declares them.
    std::string source{};
    std::optional<std::string> name{};  // none: proposed from the input's name
    std::uint32_t rate = 0;             // 0: not given
    board::Target target = board::Target::C;
    board::Encoding encoding = board::Encoding::Pcm8;
    bool normalize = false;
    bool trim = false;
    bool isSigned = false;

    bool operator==(const BoardCommandLine&) const = default;
};

// What is wrong with a command line; None for a good one.
enum class BoardUsageError {
    None,
    UnknownOption,    // `option` is no option of the tool
    MissingValue,     // `option` takes a value and is the last argument
    UnexpectedValue,  // `option` takes none, but was given `value` with "="
    BadChoice,        // `value` is none of the words `option` takes (--target, --encoding)
    BadRate,          // `value` is no whole number from 1 to kBoardMaxRate
    BadIdentifier,    // `value` gives `option` (--name, --bank) no C identifier (board::givesIdentifier)
    EmptyOutput,      // -o was given an empty name
    EmptyInput,       // an empty argument where the input goes
    NoInput,          // no input file
    SecondInput,      // `value` is a second input file after `option`, the first, without --bank
    NameWithBank,     // --name and --bank together: a bank names each clip from its file
};

struct BoardParse {
    BoardCommandLine line;
    BoardUsageError error = BoardUsageError::None;
    std::string option;  // the option (or the first input) the error is about
    std::string value;   // the value (or the second input) the error is about
};

// Reads argv[1..argc-1], GNU-style, by the options of app/board_options.h:
//   an option that takes a value takes it as the next argument or after "="
//     ("--rate=8000"); one with a short form also as "-oFILE";
//   an option given by its whole name only, no abbreviation;
//   "--" ends the options; "-" and every argument not beginning with "-"
//   are the inputs: exactly one, or with --bank (anywhere on the line) one
//   or more.
// A later option overrides an earlier one. Reading stops at the first
// error, and at --help or --version, which ask for nothing else; a second
// input is an error there unless --bank came before it stopped (a line
// without --bank reads as it did before banks).
BoardParse parseBoardCommandLine(int argc, const char* const* argv);

}  // namespace clip2c
