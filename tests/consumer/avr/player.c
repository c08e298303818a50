// SPDX-License-Identifier: MIT
/* An ATmega328P program that plays a clip kept in flash (beep_flash.c):
 * each sample goes to timer 0's PWM compare register (the timing is left
 * out). A __flash array is read by plain indexing; avr-gcc loads each byte
 * from program memory (LPM). Linked, never run: the test reads the ELF. */
#include <avr/io.h>

extern const __flash unsigned char beep_wave[4000];

int main(void) {
    const __flash unsigned char* sample;
    for (;;) {
        for (sample = beep_wave; sample != beep_wave + sizeof beep_wave; ++sample) OCR0A = *sample;
    }
}
