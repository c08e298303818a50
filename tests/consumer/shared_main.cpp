// SPDX-License-Identifier: MIT
// A C++ program whose files share one array: tone.wav, signed, through
// clip2c_add_clip(... SIGNED SOURCE). This file, shared_other.cpp and
// shared_c.c each include tone.h; the array is defined once, so all three
// see it at the same address. ramp.raw comes with SOURCE too, and a RATE.
// Run with the clips' paths and the rates the headers must give; exits 0
// when the arrays hold exactly their samples and the rates are those.
#include "clip_file.h"
#include "ramp.h"
#include "shared.h"
#include "tone.h"

#include <type_traits>

static_assert(std::is_same_v<std::remove_extent_t<decltype(tone_wave)>, const char>);

// Returns 0 when the rate is the decimal number `expected`, else says so
// and returns 1.
static int check_rate(const char* what, unsigned long rate, const char* expected) {
    if (rate == strtoul(expected, nullptr, 10)) return 0;
    printf("%s is %lu, expected %s\n", what, rate, expected);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 5) {
        printf("usage: shared_cxx tone.wav <its rate> ramp.raw <its rate>\n");
        return 2;
    }
    // The rates are integer constant expressions.
    static_assert(tone_wave_rate > 0 && ramp_wave_rate > 0, "rates in hertz");
    int failures =
        check_clip("C++ SOURCE tone_wave", argv[1], 1, tone_wave, static_cast<long>(sizeof tone_wave), 1);
    failures |=
        check_clip("C++ SOURCE ramp_wave", argv[3], 0, ramp_wave, static_cast<long>(sizeof ramp_wave), 0);
    failures |= check_rate("tone_wave_rate", tone_wave_rate, argv[2]);
    failures |= check_rate("ramp_wave_rate", ramp_wave_rate, argv[4]);
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
