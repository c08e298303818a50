// SPDX-License-Identifier: MIT
// An Uno program whose two files read one bank in IMA ADPCM, defined once
// (SOURCE): this one decodes each clip from its table entry, each sample
// to timer 0's PWM compare register; bank_adpcm_other.cpp tells a clip's
// bytes. Linked, never run.
#include <avr/io.h>

#include "sfx.h"

unsigned long clip_bytes(unsigned index);

int main() {
    static_assert(SFX_COUNT == 3 && voice_adpcm_rate == 22050, "three clips, each at its own rate");
    for (;;) {
        for (unsigned index = 0; index < SFX_COUNT; ++index) {
            const sfx_clip clip = sfx_at(index);
            clip2c_adpcm d;
            clip2c_adpcm_start(&d, clip.data, clip.samples);
            for (unsigned long i = 0; i < clip.samples; ++i) OCR0A = (clip2c_adpcm_next(&d) >> 8) + 128;
        }
        OCR0A = clip_bytes(SFX_BEEP);
    }
}
