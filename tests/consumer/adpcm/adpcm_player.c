/* SPDX-License-Identifier: MIT */
/* An Uno program that plays beep.wav from flash as IMA ADPCM: the header
 * (TARGET progmem) keeps the array and the decoder's step table PROGMEM
 * and reads them with pgm_read_byte. Each sample goes, made 8-bit
 * unsigned, to timer 0's PWM compare register (the timing is left out).
 * Linked, never run: the test reads the ELF file. */
#include <avr/io.h>

#include "beep.h"

int main(void) {
    struct clip2c_adpcm d;
    uint32_t i;
    for (;;) {
        clip2c_adpcm_start(&d, beep_adpcm, beep_adpcm_samples);
        for (i = 0; i < beep_adpcm_samples; ++i) OCR0A = (uint8_t)((clip2c_adpcm_next(&d) >> 8) + 128);
    }
}
