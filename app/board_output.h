// SPDX-License-Identifier: MIT
// clip2c-board's output, written whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace clip2c {

// The text of a header and where it goes.
struct OutputFile {
    std::string path;
    std::string text;
};

// Writes the output's text to its path whole or not at all: into a new
// file beside it, flushed to disk, which then replaces the output in one
// rename. On failure the output is as it was and the new file is gone.
// Returns whether the output now holds the text.
bool writeAllOrNothing(const OutputFile& output);

}  // namespace clip2c
