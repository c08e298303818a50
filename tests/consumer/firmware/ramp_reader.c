// SPDX-License-Identifier: MIT
/* The second file of the firmware that includes ramp.h: with SOURCE the
 * header only declares the array, so both files link against one copy. */
#include "ramp.h"

unsigned long ramp_sum_backwards(void);

unsigned long ramp_sum_backwards(void) {
    unsigned long sum = 0;
    unsigned long i;
    for (i = sizeof ramp_wave; i > 0; --i) sum += ramp_wave[i - 1];
    return sum;
}
