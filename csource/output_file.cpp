// SPDX-License-Identifier: MIT
#include "csource/output_file.h"

#include <algorithm>
#include <cstdint>

#include "platform/platform.h"

namespace clip2c {

bool writeWholeFile(const std::string& path, const char* text, std::size_t length) {
    platform::FileHandle file;
    if (!platform::openForWriting(path, file)) return false;
    // A request may be met in part (a pipe, a signal); the rest follows in
    // the next one, and a request that writes nothing is a failed write.
    std::size_t done = 0;
    while (done < length) {
        const std::size_t piece = std::min<std::size_t>(length - done, platform::kMaxWriteRequest);
        const std::uint32_t put = platform::writeFile(file, text + done, static_cast<std::uint32_t>(piece));
        if (put == 0) break;
        done += put;
    }
    // A failed close can mean the data never reached the disk.
    const bool closed = platform::closeFile(file);
    return done == length && closed;
}

}  // namespace clip2c
