// SPDX-License-Identifier: MIT
// clip2c-board's output, written whole or not at all.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace clip2c {

// The text of a header and where it goes.
struct OutputFile {
    std::string path;
    std::string text;
};

// Writes each output's text to its path, whole or not at all: into new
// files beside them, flushed to disk, which then replace the outputs, each
// in one rename, in order. On failure the outputs not yet replaced are as
// they were and every new file is gone. Returns the path that could not
// be written; empty when all were.
std::string writeAllOrNothing(std::span<const OutputFile> outputs);

}  // namespace clip2c
