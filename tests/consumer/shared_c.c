// SPDX-License-Identifier: MIT
/* The C file of shared_cxx that includes tone.h (see shared_main.cpp). */
#include "shared.h"
#include "tone.h"

const void* tone_from_c(void) { return tone_wave; }

size_t tone_size_in_c(void) { return sizeof tone_wave; }
