// SPDX-License-Identifier: MIT
#include "csource/output_file.h"

#include <cstdint>

#include "platform/platform.h"

namespace clip2c {

bool writeWholeFile(std::string path, const char* text, std::size_t length) {
    constexpr std::size_t kMaxPiece = 0x7FFFFFFF;
    platform::FileHandle file;
    if (!platform::openForWriting(path, file)) return false;
    bool written = true;
    for (std::size_t done = 0; written && done < length;) {
        const std::size_t piece = length - done < kMaxPiece ? length - done : kMaxPiece;
        written = platform::writeFile(file, text + done, static_cast<std::uint32_t>(piece));
        done += piece;
    }
    // A failed close can mean the data never reached the disk.
    const bool closed = platform::closeFile(file);
    return written && closed;
}

}  // namespace clip2c
