// SPDX-License-Identifier: MIT
#include "input/file_load.h"

#include "platform/platform.h"

namespace clip2c {

std::uint32_t queryFileSize(const std::string& path) {
    platform::FileHandle file;
    if (!platform::openForReading(path, file)) return 0;
    std::uint32_t size = 0;
    const bool measured = platform::measureFile(file, size);
    // Only read access was held; a failed close loses nothing.
    static_cast<void>(platform::closeFile(file));
    return measured ? size : 0;
}

std::uint32_t readWholeFile(const std::string& path, std::uint8_t* buffer, std::uint32_t capacity) {
    platform::FileHandle file;
    if (!platform::openForReading(path, file)) return 0;
    std::uint32_t size = 0;
    std::uint32_t got = 0;
    if (platform::measureFile(file, size) && size != 0 && size == capacity) {
        got = platform::readFile(file, buffer, size);
    }
    static_cast<void>(platform::closeFile(file));
    return (size != 0 && got == size) ? got : 0;
}

}  // namespace clip2c
