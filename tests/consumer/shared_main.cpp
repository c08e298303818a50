// SPDX-License-Identifier: MIT
// A C++ program whose files share one array: tone.wav, signed, through
// clip2c_add_clip(... SIGNED SOURCE). This file, shared_other.cpp and
// shared_c.c each include tone.h; the array is defined once, so all three
// see it at the same address. Run with the clip's path; exits 0 when the
// array holds exactly its samples.
#include "clip_file.h"
#include "shared.h"
#include "tone.h"

#include <type_traits>

static_assert(std::is_same_v<std::remove_extent_t<decltype(tone_wave)>, const char>);

int main(int argc, char** argv) {
    if (argc != 2) {
        printf("usage: shared_cxx tone.wav\n");
        return 2;
    }
    int failures =
        check_clip("C++ SOURCE tone_wave", argv[1], 1, tone_wave, static_cast<long>(sizeof tone_wave), 1);
    if (tone_from_other_cxx() != tone_wave || tone_from_c() != tone_wave) {
        printf("C++ SOURCE tone_wave: %p here, %p in shared_other.cpp, %p in shared_c.c\n",
               static_cast<const void*>(tone_wave), tone_from_other_cxx(), tone_from_c());
        failures = 1;
    }
    if (tone_size_in_c() != sizeof tone_wave) {
        printf("C++ SOURCE tone_wave: sizeof is %lu in C, %lu in C++\n",
               static_cast<unsigned long>(tone_size_in_c()), static_cast<unsigned long>(sizeof tone_wave));
        failures = 1;
    }
    return failures;
}
