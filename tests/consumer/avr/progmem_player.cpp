// SPDX-License-Identifier: MIT
// An ATmega328P program in C++, as Arduino code is, that plays beep.raw
// from flash: clip2c_add_clip(... SOURCE STORAGE PROGMEM) declares
// beep_wave PROGMEM and includes <avr/pgmspace.h>, whose pgm_read_byte
// reads program memory. Linked, never run.
#include <avr/io.h>

#include "beep.h"

int main() {
    for (;;) {
        for (unsigned i = 0; i < sizeof beep_wave; ++i) OCR0A = pgm_read_byte(&beep_wave[i]);
    }
}
