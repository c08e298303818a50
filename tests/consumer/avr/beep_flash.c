// SPDX-License-Identifier: MIT
/* beep.h exactly as clip2c wrote it, with its array in flash. avr-gcc keeps
 * const data in RAM (the AVR reads flash with other instructions); __flash,
 * a GNU C address space (avr-gcc's default -std=gnu11), puts it in program
 * memory instead. The macro is meant for the header's one declaration, so
 * this file includes nothing else. */
#define const const __flash
#include "beep.h"
#undef const
