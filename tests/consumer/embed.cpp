// SPDX-License-Identifier: MIT
// A C++ program with tone.wav compiled in unsigned. Run with the clip's
// path; exits 0 when the array holds exactly its samples.
#include "clip_file.h"
#include "tone.h"

#include <type_traits>

// The project's own standard holds even when clip2c (C++20) is built as a
// subproject beside it.
static_assert(__cplusplus == 201703L, "built as C++17");
static_assert(std::is_same_v<std::remove_extent_t<decltype(tone_wave)>, const unsigned char>);

int main(int argc, char** argv) {
    if (argc != 2) {
        printf("usage: embed_cxx tone.wav\n");
        return 2;
    }
    return check_clip("C++ tone_wave", argv[1], 1, tone_wave, static_cast<long>(sizeof tone_wave), 0);
}
