// SPDX-License-Identifier: MIT
#include "app/board_output.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/numbers.h"
#include "platform/platform.h"

namespace clip2c {

namespace {

// Writes the output's text into a new file beside it, flushed to disk;
// returns that file's name, empty when it cannot be written whole (and is
// then gone).
std::string writeTemporary(const OutputFile& output) {
    const std::string& path = output.path;
    const std::string& text = output.text;
    // A name of its own for each run: another run writing the same output
    // at the same time takes the next one.
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string temporary = path + "." + board::decimal(static_cast<std::uint64_t>(attempt)) + ".tmp";
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
        if (written) return temporary;
        // Nothing more can be done about a temporary that will not go.
        static_cast<void>(platform::removeFile(temporary));
        return {};
    }
    return {};
}

}  // namespace

std::string writeAllOrNothing(std::span<const OutputFile> outputs) {
    std::vector<std::string> temporaries;
    const auto removeFrom = [&temporaries](std::size_t first) {
        // Nothing more can be done about a temporary that will not go.
        for (std::size_t i = first; i < temporaries.size(); ++i)
            static_cast<void>(platform::removeFile(temporaries[i]));
    };
    for (const OutputFile& output : outputs) {
        temporaries.push_back(writeTemporary(output));
        if (temporaries.back().empty()) {
            removeFrom(0);
            return output.path;
        }
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (platform::replaceFile(temporaries[i], outputs[i].path)) continue;
        removeFrom(i);
        return outputs[i].path;
    }
    return {};
}

}  // namespace clip2c
