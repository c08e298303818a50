// SPDX-License-Identifier: MIT
// The second file of bank_adpcm that includes sfx.h (see bank_adpcm.cpp).
#include "sfx.h"

unsigned long clip_bytes(unsigned index) { return sfx_at(index).bytes; }
