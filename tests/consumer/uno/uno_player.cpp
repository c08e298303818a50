// SPDX-License-Identifier: MIT
// An Uno program that plays each clip of sounds/ from flash: each header
// (TARGET progmem) defines its array PROGMEM and includes <avr/pgmspace.h>,
// whose pgm_read_byte reads program memory. Each sample goes to timer 0's
// PWM compare register (the timing is left out). Linked, never run: the
// test reads the ELF file.
#include <avr/io.h>

#include "chime.h"
#include "click.h"
#include "hum.h"
#include "song.h"

static void play(const unsigned char* clip, unsigned length) {
    for (unsigned i = 0; i < length; ++i) OCR0A = pgm_read_byte(&clip[i]);
}

int main() {
    static_assert(song_wave_rate == 8000 && chime_wave_rate == 8000, "made at RATE 8000");
    for (;;) {
        play(song_wave, sizeof song_wave);
        play(chime_wave, sizeof chime_wave);
        play(hum_wave, sizeof hum_wave);
        play(click_wave, sizeof click_wave);
    }
}
