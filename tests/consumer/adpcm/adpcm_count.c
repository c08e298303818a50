/* SPDX-License-Identifier: MIT */
/* Decodes beep.wav's IMA ADPCM header on the host: prints the samples the
 * decoder gives before it has none left (the decoder's `left` reaching
 * 0), the sum of their magnitudes, the first sample after the end, which
 * must be 0, the rate, and the array's bytes (its sizeof). Exit status 1
 * when the count is not beep_adpcm_samples. */
#include <stdio.h>

#include "beep.h"

int main(void) {
    struct clip2c_adpcm d;
    unsigned long count = 0;
    unsigned long magnitude = 0;
    int after;
    clip2c_adpcm_start(&d, beep_adpcm, beep_adpcm_samples);
    while (d.left != 0) {
        const int sample = clip2c_adpcm_next(&d);
        magnitude += (unsigned long)(sample < 0 ? -sample : sample);
        ++count;
    }
    after = clip2c_adpcm_next(&d);
    printf("%lu %lu %d %d %lu\n", count, magnitude, after, beep_adpcm_rate, (unsigned long)sizeof beep_adpcm);
    return count == beep_adpcm_samples && after == 0 ? 0 : 1;
}
