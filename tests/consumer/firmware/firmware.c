// SPDX-License-Identifier: MIT
/* A bare-metal Cortex-M program with two clips compiled in: the smallest
 * thing a firmware project links, a vector table, a reset handler and a
 * main that reads every byte of both arrays, so the linker keeps them;
 * ramp_reader.c includes ramp.h too, and reads ramp_wave backwards. It is
 * linked, never run: the test reads where the arrays landed in the ELF file.
 * Nothing needs the C library or an initialised .data/.bss: the only
 * variable is written before anything reads it. */
#include "ramp.h"
#include "tone.h"

unsigned long ramp_sum_backwards(void); /* ramp_reader.c */

volatile unsigned long clip_sum;

int main(void) {
    unsigned long sum = 0;
    unsigned long i;
    for (i = 0; i < sizeof tone_wave; ++i) sum += tone_wave[i];
    for (i = 0; i < sizeof ramp_wave; ++i) sum += ramp_wave[i];
    clip_sum = sum + ramp_sum_backwards();
    for (;;) {}
}

void reset_handler(void) { main(); }

extern char stack_top[];

/* The core loads its stack pointer from the first word and jumps to the
 * second. */
__attribute__((section(".vectors"), used)) static const struct {
    void* stack;
    void (*reset)(void);
} vectors = {stack_top, reset_handler};
