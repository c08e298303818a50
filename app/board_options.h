// SPDX-License-Identifier: MIT
// clip2c-board's options, each described once: the command line is read
// by this table, and --help, the usage line and the usage errors are
// written from it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/board_command_line.h"

namespace clip2c {

struct BoardOption {
    std::string_view name;       // "--target"
    std::string_view shortName;  // "-o"; empty when there is none
    // The value's word in --help ("T"); empty for an option that takes no
    // value.
    std::string_view placeholder;
    // The words the value may be: the usage line shows them in place of the
    // placeholder, and a wrong value is told them. Empty for a free value.
    std::span<const std::string_view> choices;
    bool inUsage = false;  // whether the usage line shows the option
    // What --help says of the option: lines separated by "\n", with none
    // after the last.
    std::string_view help;
    // Sets the option in `line` with its value (empty for an option that
    // takes none); returns the error when the value is wrong, else None.
    BoardUsageError (*set)(BoardCommandLine& line, const std::string& value) = nullptr;
};

// The option that makes the inputs the clips of one bank: a line with it
// may name more than one input.
inline constexpr std::string_view kBankOption = "--bank";

// Every option, in the order --help and the usage line list them.
std::span<const BoardOption> boardOptions();

// The option whose name or short form is `word`; null when none is.
const BoardOption* boardOptionNamed(std::string_view word);

}  // namespace clip2c
