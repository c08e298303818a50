// SPDX-License-Identifier: MIT
// Preloaded (LD_PRELOAD) into a dynamically linked clip2c: close() of a file
// whose path ends in CLOSE_FAILS_SUFFIX closes it and then reports EIO, as
// a file system may that could not write the data back. Each close it
// fails is logged, one path a line, to CLOSE_FAILS_LOG, so that a test can
// tell the shim was in effect. Every other close is the C library's.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int realClose(int fd) {
    static int (*next)(int);
    if (!next) next = (int (*)(int))dlsym(RTLD_NEXT, "close");
    return next(fd);
}

static void logFailure(const char* path) {
    const char* log = getenv("CLOSE_FAILS_LOG");
    if (!log) return;
    const int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (write(fd, path, strlen(path)) < 0 || write(fd, "\n", 1) < 0) {
        // Nothing to do: a missing line fails the test.
    }
    realClose(fd);
}

int close(int fd) {
    const char* suffix = getenv("CLOSE_FAILS_SUFFIX");
    char path[4096];
    ssize_t length = -1;
    if (suffix && *suffix) {
        char link[64];
        snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        length = readlink(link, path, sizeof path - 1);
    }
    const int result = realClose(fd);
    if (length < 0 || result != 0) return result;
    path[length] = '\0';
    const size_t wanted = strlen(suffix);
    if ((size_t)length < wanted || strcmp(path + length - wanted, suffix) != 0) return result;
    // Linux releases the descriptor even when close fails, so this one is
    // released too and the tool sees nothing but the error.
    logFailure(path);
    errno = EIO;
    return -1;
}
