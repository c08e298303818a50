// SPDX-License-Identifier: MIT
// play_bank: plays a bank of sound clips kept in flash through pin 11 of an
// Arduino Uno (ATmega328P, 16 MHz). After every reset it plays each clip
// once, in the bank's order, each at its own rate; then a push button from
// pin 2 to ground plays the next clip each time it is pressed, the first
// again after the last.
//
// The bank is a header written by clip2c-board (--bank sounds --target
// progmem), saved as sounds.h next to this file. Its table holds, for each
// clip, where its samples start in flash, how many there are and their
// rate. Another bank name: change the four lines below.
//
// Sound: as play_clip, Timer2 runs fast PWM at 62.5 kHz on pin 11 (OC2A)
// with the sample as its duty cycle, and Timer1 interrupts once per sample,
// set anew for each clip's rate. The same low-pass (1 kOhm, 100 nF to
// ground) on pin 11 turns the pulses into the sound; see doc/arduino.md.
//
// RAM does not grow with the bank: the entries are read one at a time from
// flash (BANK_AT copies one), the samples byte by byte with pgm_read_byte.
#include <avr/pgmspace.h>

#include "sounds.h"
#define BANK_CLIP sounds_clip
#define BANK_COUNT SOUNDS_COUNT
#define BANK_AT sounds_at

// A press counts once the pin has stayed low this long; contact bounce
// shorter than that is ignored.
const unsigned long DEBOUNCE_MS = 20;
// The pause between two clips of the opening run, so that each is heard
// on its own.
#ifndef GAP_MS
#define GAP_MS 250
#endif

// The middle level, where the pin rests when no clip plays.
const uint8_t SILENCE = 128;
// A signed bank (silence 0) is played shifted by 128.
const bool BANK_SIGNED = (__typeof__(*BANK_CLIP().data))-1 < 0;
// Timer2 takes a new level 62,500 times a second: a faster clip plays at
// that rate, 256 CPU cycles a sample.
const unsigned long FASTEST_TICKS = 256;

// The clip that plays (or played last), its samples and their count, and
// the index of the next one to put out (length when the clip has ended).
// One AVR array holds at most 32,767 bytes, so 16 bits count them.
unsigned current_clip;
const uint8_t *volatile clip_data;
volatile uint16_t clip_length;
volatile uint16_t next_sample;

// Once per sample: puts the next sample out, or after the last one the
// middle level, and stops.
ISR(TIMER1_COMPA_vect) {
    uint16_t i = next_sample;
    if (i < clip_length) {
        uint8_t sample = pgm_read_byte(clip_data + i);
        OCR2A = BANK_SIGNED ? sample ^ 0x80 : sample;
        next_sample = i + 1;
    } else {
        OCR2A = SILENCE;
        TIMSK1 = 0;
    }
}

// True while a clip plays (its last sample included).
bool clipPlaying() { return TIMSK1 & _BV(OCIE1A); }

// Starts clip `index` of the bank from its first sample, at its rate:
// Timer1 counts the CPU clock, divided by 8 or 64 when a sample lasts too
// long for its 16 bits (rates below 245 Hz), up to the rounded number of
// counts per sample.
void playClip(unsigned index) {
    TIMSK1 = 0;
    struct BANK_CLIP clip = BANK_AT(index);
    current_clip = index;
    unsigned long rate = clip.rate ? clip.rate : 1;
    unsigned long ticks = (F_CPU + rate / 2) / rate;
    uint8_t clock = _BV(CS10);
    // Each step divides the count by 8, rounded: /8 is clock select 2, /64
    // clock select 3. Below 4 Hz the longest sample, 65,536 counts of /64,
    // is played.
    while (ticks > 65536UL && clock < (_BV(CS11) | _BV(CS10))) {
        ticks = (ticks + 4) >> 3;
        ++clock;
    }
    if (ticks > 65536UL) {
        ticks = 65536UL;
    } else if (ticks < FASTEST_TICKS) {
        ticks = FASTEST_TICKS;
    }
    clip_data = (const uint8_t *)clip.data;
    clip_length = (uint16_t)clip.length;
    next_sample = 0;
    TCCR1B = _BV(WGM12) | clock;
    OCR1A = (uint16_t)(ticks - 1);
    TCNT1 = 0;
    TIFR1 = _BV(OCF1A);
    TIMSK1 = _BV(OCIE1A);
}

// True once for each press of the button: when the pin, high before, has
// stayed low for DEBOUNCE_MS until `now` (millis()).
bool buttonPressed(unsigned long now) {
    static bool last_low, pressed;
    static unsigned long changed_at;
    bool low = !(PIND & _BV(PIND2));  // pin 2 is bit 2 of port D
    if (low != last_low) {
        last_low = low;
        changed_at = now;
    } else if (low != pressed && now - changed_at >= DEBOUNCE_MS) {
        pressed = low;
        return low;
    }
    return false;
}

void setup() {
    // Timer2: fast PWM, no prescaler (16 MHz / 256 = 62.5 kHz), non-inverting
    // on OC2A, starting at the middle level.
    OCR2A = SILENCE;
    TCCR2A = _BV(COM2A1) | _BV(WGM21) | _BV(WGM20);
    TCCR2B = _BV(CS20);
    // Pin 11 (bit 3 of port B) an output; pin 2 (bit 2 of port D) an input
    // held high by its pull-up until the button takes it to ground. The
    // ports are set directly: pinMode and digitalRead would take 350 bytes
    // of flash more.
    DDRB |= _BV(DDB3);
    PORTD |= _BV(PORTD2);

    // Timer1: CTC (clears at OCR1A), one compare match per sample.
    TCCR1A = 0;
    playClip(0);
}

void loop() {
    // The opening run: each clip after the one before, GAP_MS later, until
    // the last has played or the button is pressed.
    static bool opening = true;
    static unsigned long quiet_since;
    unsigned long now = millis();
    if (buttonPressed(now)) {
        opening = false;
        playClip(current_clip + 1 < BANK_COUNT ? current_clip + 1 : 0);
    } else if (clipPlaying()) {
        quiet_since = now;
    } else if (opening && now - quiet_since >= GAP_MS) {
        opening = current_clip + 1 < BANK_COUNT;
        if (opening) {
            playClip(current_clip + 1);
        }
    }
}
