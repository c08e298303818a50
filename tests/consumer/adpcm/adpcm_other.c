/* SPDX-License-Identifier: MIT */
/* A second file that includes beep.h, for the programs made with SOURCE:
 * both files use the one array beep_adpcm.c defines, whose sizeof the
 * header gives here too. */
#include "beep.h"

const unsigned char* beep_adpcm_end(void);

const unsigned char* beep_adpcm_end(void) { return beep_adpcm + sizeof beep_adpcm; }
