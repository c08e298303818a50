// SPDX-License-Identifier: MIT
// An Uno program whose two files read song.wav's one array (SOURCE): this
// one plays it, song_other.cpp tells its last sample. Linked, never run.
#include <avr/io.h>

#include "song.h"

unsigned char last_sample();

int main() {
    for (;;) {
        for (unsigned i = 0; i < sizeof song_wave; ++i) OCR0A = pgm_read_byte(&song_wave[i]);
        OCR0A = last_sample();
    }
}
