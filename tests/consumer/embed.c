// SPDX-License-Identifier: MIT
/* A C program with two clips compiled in: tone.wav unsigned, ramp.raw
 * signed. Run with the two clips' paths; exits 0 when the arrays hold
 * exactly their samples. */
#include "clip_file.h"
#include "ramp.h"
#include "tone.h"

int main(int argc, char** argv) {
    int failures = 0;
    if (argc != 3) {
        printf("usage: embed_c tone.wav ramp.raw\n");
        return 2;
    }
    failures += check_clip("C tone_wave", argv[1], 1, tone_wave, (long)sizeof tone_wave, 0);
    failures += check_clip("C ramp_wave", argv[2], 0, ramp_wave, (long)sizeof ramp_wave, 1);
    return failures == 0 ? 0 : 1;
}
