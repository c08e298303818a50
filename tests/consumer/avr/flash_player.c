// SPDX-License-Identifier: MIT
/* An ATmega328P program that plays beep.raw from flash: clip2c_add_clip(...
 * SOURCE STORAGE __flash) declares beep_wave as a __flash array, which
 * plain indexing reads from program memory (LPM). Each sample goes to timer
 * 0's PWM compare register (the timing is left out). Linked, never run. */
#include <avr/io.h>

#include "beep.h"

int main(void) {
    unsigned int i;
    for (;;) {
        for (i = 0; i < sizeof beep_wave; ++i) OCR0A = beep_wave[i];
    }
}
