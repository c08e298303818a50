// SPDX-License-Identifier: MIT
/* Reads a clip's samples for the check programs: a .raw file whole, or the
 * body of a WAV file's "data" chunk. Valid C and C++. */
#ifndef CLIP_FILE_H
#define CLIP_FILE_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Returns the file's bytes (to be freed), NULL when it cannot be read. */
static unsigned char* read_file(const char* path, long* size) {
    FILE* file = fopen(path, "rb");
    unsigned char* bytes = NULL;
    if (file == NULL) return NULL;
    if (fseek(file, 0, SEEK_END) == 0 && (*size = ftell(file)) >= 0 && fseek(file, 0, SEEK_SET) == 0) {
        bytes = (unsigned char*)malloc((size_t)*size + 1);
        if (bytes != NULL && fread(bytes, 1, (size_t)*size, file) != (size_t)*size) {
            free(bytes);
            bytes = NULL;
        }
    }
    fclose(file);
    return bytes;
}

static unsigned long le32(const unsigned char* p) {
    return (unsigned long)p[0] | ((unsigned long)p[1] << 8) | ((unsigned long)p[2] << 16) |
           ((unsigned long)p[3] << 24);
}

/* Returns the clip's samples at *samples (inside *file, which the caller
 * frees) and their count, or -1 when the clip cannot be read. */
static long clip_samples(const char* path, int is_wav, unsigned char** file, const unsigned char** samples) {
    long size = 0;
    long at = 12;
    *file = read_file(path, &size);
    if (*file == NULL) return -1;
    if (!is_wav) {
        *samples = *file;
        return size;
    }
    while (at + 8 <= size) {
        const unsigned long body = le32(*file + at + 4);
        if (memcmp(*file + at, "data", 4) == 0 && at + 8 + (long)body <= size) {
            *samples = *file + at + 8;
            return (long)body;
        }
        at += 8 + (long)body + (long)(body & 1u);
    }
    return -1;
}

/* Compares an embedded array with the clip; prints what differs. */
static int check_clip(const char* what, const char* path, int is_wav, const void* array, long array_size,
                      int is_signed) {
    unsigned char* file = NULL;
    const unsigned char* samples = NULL;
    const long count = clip_samples(path, is_wav, &file, &samples);
    int failures = 0;
    long i;
    if (count < 0) {
        printf("%s: cannot read %s\n", what, path);
        return 1;
    }
    if (count != array_size) {
        printf("%s: %ld samples in the array, %ld in %s\n", what, array_size, count, path);
        failures = 1;
    }
    for (i = 0; failures == 0 && i < count; ++i) {
        const int want = is_signed ? (int)samples[i] - 128 : (int)samples[i];
        const int got =
            is_signed ? (int)((const signed char*)array)[i] : (int)((const unsigned char*)array)[i];
        if (got != want) {
            printf("%s: sample %ld is %d, the clip holds %d\n", what, i, got, want);
            failures = 1;
        }
    }
    free(file);
    return failures;
}

#endif
