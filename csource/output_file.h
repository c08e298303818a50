// SPDX-License-Identifier: MIT
// Writing the output file.
#pragma once

#include <cstddef>
#include <string>

namespace clip2c {

// Creates or truncates `path` and writes `length` bytes of `text` to it, in
// pieces of at most 0x7FFFFFFF bytes. Returns true when every byte was
// written and the file closed cleanly; on failure the file is left as far
// as it got. A zero length gives an empty file and success.
bool writeWholeFile(const std::string& path, const char* text, std::size_t length);

}  // namespace clip2c
