// SPDX-License-Identifier: MIT
/* Where the files of shared_cxx see tone_wave (see shared_main.cpp). */
#ifndef SHARED_H
#define SHARED_H

#include <stddef.h>

#ifdef __cplusplus
const void* tone_from_other_cxx();
extern "C" {
#endif

const void* tone_from_c(void);
size_t tone_size_in_c(void);

#ifdef __cplusplus
}
#endif

#endif
