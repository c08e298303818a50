// SPDX-License-Identifier: MIT
/* beep.h's array, in flash. avr-gcc keeps const data in RAM (the AVR reads
 * flash with other instructions); __flash, a GNU C address space (avr-gcc's
 * default -std=gnu11), puts it in program memory instead. beep_flash.h is
 * clip2c's text with __flash put right after the one const that begins it:
 * const __flash unsigned char beep_wave[4000] = ... */
#include "beep_flash.h"
