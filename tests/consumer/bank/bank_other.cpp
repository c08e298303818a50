// SPDX-License-Identifier: MIT
// The second file of bank_shared that includes sfx.h (see bank_main.cpp).
#include "sfx.h"

unsigned char last_sample(unsigned index) {
    const sfx_clip clip = sfx_at(index);
    return pgm_read_byte(clip.data + clip.length - 1);
}
