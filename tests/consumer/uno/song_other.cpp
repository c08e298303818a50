// SPDX-License-Identifier: MIT
// The second file of song_player that includes song.h (see song_player.cpp).
#include "song.h"

unsigned char last_sample() { return pgm_read_byte(&song_wave[sizeof song_wave - 1]); }
