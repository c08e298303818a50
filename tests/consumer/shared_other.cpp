// SPDX-License-Identifier: MIT
// The second C++ file of shared_cxx that includes tone.h (see shared_main.cpp).
#include "shared.h"
#include "tone.h"

const void* tone_from_other_cxx() { return tone_wave; }
