// SPDX-License-Identifier: MIT
// play_clip: plays a sound clip kept in flash through pin 11 of an Arduino
// Uno (ATmega328P, 16 MHz), once after every reset, then rests silent.
//
// The clip is a header written by clip2c's page or clip2c-board (target
// "progmem"), saved as clip.h next to this file. It declares the array, in
// flash, and its sample rate in Hz: either 8-bit samples (unsigned or
// signed), or IMA ADPCM (--encoding ima-adpcm: half the bytes, 4 bits a
// sample) with its decoder, which the header's CLIP2C_ADPCM_DECODER tells.
// Another header or array name: change the #include and the lines naming
// the array below (clip_wave for 8-bit samples, clip_adpcm for ADPCM).
//
// Sound: Timer2 runs fast PWM at 62.5 kHz on pin 11 (OC2A); its duty cycle
// is the sample. Timer1 interrupts once per sample at the clip's rate and
// loads the next sample from flash, or decodes it there from ADPCM and puts
// out its high byte. A low-pass (1 kOhm, 100 nF to ground) on pin 11 turns
// the pulses into the sound; see doc/arduino.md.
#include <avr/pgmspace.h>
#include <avr/sleep.h>

#include "clip.h"
#ifdef CLIP2C_ADPCM_DECODER
#define CLIP clip_adpcm
#define CLIP_RATE clip_adpcm_rate
#define CLIP_SAMPLES clip_adpcm_samples
#else
#define CLIP clip_wave
#define CLIP_RATE clip_wave_rate
#endif

// After the clip: 0 rests silent for good (the CPU sleeps until the next
// reset), a number plays the clip again after that many milliseconds (which
// takes about 160 more bytes of flash).
#ifndef REPEAT_AFTER_MS
#define REPEAT_AFTER_MS 0
#endif

// The middle level, where the pin rests when no clip plays.
const uint8_t SILENCE = 128;
#ifndef CLIP2C_ADPCM_DECODER
const uint16_t CLIP_LENGTH = sizeof(CLIP) / sizeof(CLIP[0]);
// A signed clip (char, silence 0) is played shifted by 128.
const bool CLIP_SIGNED = (__typeof__(CLIP[0]))-1 < 0;
#endif

// Timer1 counts the CPU clock, divided by 8 or 64 when a sample lasts too
// long for its 16 bits (rates below 245 Hz). TIMER1_TICKS is the rounded
// number of counts per sample.
const unsigned long TIMER1_DIVIDER =
    F_CPU / CLIP_RATE < 65536UL ? 1 : (F_CPU / 8 / CLIP_RATE < 65536UL ? 8 : 64);
// Timer1's clock select bits for that divider.
const uint8_t TIMER1_CLOCK =
    TIMER1_DIVIDER == 1 ? _BV(CS10) : (TIMER1_DIVIDER == 8 ? _BV(CS11) : _BV(CS11) | _BV(CS10));
const unsigned long TIMER1_TICKS = (F_CPU / TIMER1_DIVIDER + CLIP_RATE / 2) / CLIP_RATE;
// Timer2 takes a new level 62,500 times a second: a faster clip would lose
// samples.
static_assert(CLIP_RATE >= 4 && CLIP_RATE <= 62500, "play_clip plays rates from 4 to 62500 Hz");
static_assert(TIMER1_TICKS >= 2 && TIMER1_TICKS <= 65536UL, "the clip's rate does not fit Timer1");
#ifdef CLIP2C_ADPCM_DECODER
// Decoding takes up to about 245 cycles a sample (measured in simavr): above
// 40 kHz, with Timer0's interrupt in the way, a sample could come more than
// half a sample late.
static_assert(CLIP_RATE <= 40000, "play_clip plays ADPCM clips at rates up to 40000 Hz");
#endif

#ifdef CLIP2C_ADPCM_DECODER
// Where the decoder stands in the clip (12 bytes of RAM); its count of
// samples to come is 0 when the clip has ended.
struct clip2c_adpcm decoder;

// Once per sample: decodes the next sample and puts out its high byte,
// shifted by 128 (the 16-bit sample's silence, 0, becomes the middle
// level), or after the last one the middle level, and stops.
ISR(TIMER1_COMPA_vect) {
    if (decoder.left != 0) {
        OCR2A = (uint8_t)((clip2c_adpcm_next(&decoder) >> 8) + 128);
    } else {
        OCR2A = SILENCE;
        TIMSK1 = 0;
    }
}
#else
// The index of the next sample; CLIP_LENGTH when the clip has ended.
volatile uint16_t next_sample = CLIP_LENGTH;

// Once per sample: puts the next sample out, or after the last one the
// middle level, and stops.
ISR(TIMER1_COMPA_vect) {
    uint16_t i = next_sample;
    if (i < CLIP_LENGTH) {
        uint8_t sample = pgm_read_byte(&CLIP[i]);
        OCR2A = CLIP_SIGNED ? sample ^ 0x80 : sample;
        next_sample = i + 1;
    } else {
        OCR2A = SILENCE;
        TIMSK1 = 0;
    }
}
#endif

// Starts the clip from its first sample.
void startClip() {
    TIMSK1 = 0;
#ifdef CLIP2C_ADPCM_DECODER
    clip2c_adpcm_start(&decoder, CLIP, CLIP_SAMPLES);
    // The decoder is not volatile: this keeps its start before the
    // interrupt is enabled below.
    __asm__ __volatile__("" ::: "memory");
#else
    next_sample = 0;
#endif
    TCNT1 = 0;
    TIFR1 = _BV(OCF1A);
    TIMSK1 = _BV(OCIE1A);
}

// True while the clip plays (its last sample included).
bool clipPlaying() { return TIMSK1 & _BV(OCIE1A); }

void setup() {
    // Timer2: fast PWM, no prescaler (16 MHz / 256 = 62.5 kHz), non-inverting
    // on OC2A, starting at the middle level.
    OCR2A = SILENCE;
    TCCR2A = _BV(COM2A1) | _BV(WGM21) | _BV(WGM20);
    TCCR2B = _BV(CS20);
    DDRB |= _BV(DDB3);  // pin 11 (PB3) drives the PWM output

    // Timer1: CTC (clears at OCR1A), one compare match per sample.
    TCCR1A = 0;
    TCCR1B = _BV(WGM12) | TIMER1_CLOCK;
    OCR1A = TIMER1_TICKS - 1;
    startClip();
}

void loop() {
    if (clipPlaying()) {
        return;
    }
#if REPEAT_AFTER_MS > 0
    delay(REPEAT_AFTER_MS);
    startClip();
#else
    // Idle sleep with interrupts off: the CPU stops for good, Timer2 keeps the
    // pin at the middle level.
    set_sleep_mode(SLEEP_MODE_IDLE);
    cli();
    sleep_enable();
    sleep_cpu();
#endif
}
