// SPDX-License-Identifier: MIT
// The one conversion run, from argument vector to exit status.
#pragma once

namespace clip2c {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = -1;

// Parses the command line, prints the banner and then the usage text or at
// most one message, converts, and returns 0 for a completed conversion and
// -1 for everything else.
int runClip2c(int argc, const char* const* argv);

}  // namespace clip2c
