// SPDX-License-Identifier: MIT
// A failed invariant in a fuzz target: the message goes to the error stream
// and the process aborts, which libFuzzer reports as a crash and keeps the
// input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace clip2c::fuzz {

inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

}  // namespace clip2c::fuzz
