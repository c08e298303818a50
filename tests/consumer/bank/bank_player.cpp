// SPDX-License-Identifier: MIT
// An Uno program that plays each clip of the bank sfx in turn from flash:
// the entry comes out of the table with sfx_at, its samples with
// pgm_read_byte, each to timer 0's PWM compare register (the timing is
// left out). Linked, never run: the test reads the ELF file.
#include <avr/io.h>

#include "sfx.h"

int main() {
    static_assert(SFX_COUNT == 3 && voice_wave_rate == 22050, "three clips, each at its own rate");
    for (;;) {
        for (unsigned index = 0; index < SFX_COUNT; ++index) {
            const sfx_clip clip = sfx_at(index);
            for (unsigned long i = 0; i < clip.length; ++i) OCR0A = pgm_read_byte(clip.data + i);
        }
    }
}
