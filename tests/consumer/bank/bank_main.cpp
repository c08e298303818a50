// SPDX-License-Identifier: MIT
// An Uno program whose two files read one bank (SOURCE): this one plays
// its first clip, bank_other.cpp tells the last sample of another.
// Linked, never run.
#include <avr/io.h>

#include "sfx.h"

unsigned char last_sample(unsigned index);

int main() {
    for (;;) {
        const sfx_clip song = sfx_at(SFX_SONG);
        for (unsigned long i = 0; i < song.length; ++i) OCR0A = pgm_read_byte(song.data + i);
        OCR0A = last_sample(SFX_BEEP);
    }
}
