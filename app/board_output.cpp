// SPDX-License-Identifier: MIT
#include "app/board_output.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "board/numbers.h"
#include "platform/platform.h"

namespace clip2c {

bool writeAllOrNothing(const OutputFile& output) {
    const std::string& path = output.path;
    const std::string& text = output.text;
    // A name of its own for each run: another run writing the same output
    // at the same time takes the next one.
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string temporary =
            path + "." + board::decimal(static_cast<std::uint64_t>(attempt)) + ".tmp";
        platform::FileHandle file;
        if (!platform::createNewFile(temporary, file)) continue;
        std::size_t done = 0;
        while (done < text.size()) {
            const std::size_t piece = std::min<std::size_t>(text.size() - done, platform::kMaxWriteRequest);
            const std::uint32_t put =
                platform::writeFile(file, text.data() + done, static_cast<std::uint32_t>(piece));
            if (put == 0) break;
            done += put;
        }
        bool written = done == text.size() && platform::flushToDisk(file);
        written = platform::closeFile(file) && written;
        if (written && platform::replaceFile(temporary, path)) return true;
        // Nothing more can be done about a temporary that will not go.
        static_cast<void>(platform::removeFile(temporary));
        return false;
    }
    return false;
}

}  // namespace clip2c
