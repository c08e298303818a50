// SPDX-License-Identifier: MIT
// clip2c-board's inputs loaded whole, and why one could not be.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace clip2c {

// Why a file could not be loaded; None when it was.
enum class LoadFailure { None, Unreadable, Empty, TooLarge, OutOfMemory };

struct LoadedFile {
    LoadFailure failure = LoadFailure::None;
    platform::LargeBlock image;
    std::uint32_t length = 0;

    // The file's bytes: empty unless it was loaded.
    [[nodiscard]] std::span<const std::uint8_t> bytes() const { return {image.bytes(), length}; }
};

// The file at `path`, read whole (input/file_load.h), or why it is not.
LoadedFile loadFile(const std::string& path);

// Why a file could not be loaded, with what to do, one sentence (printed
// after "clip2c-board: <input>: ").
std::string_view loadRefusal(LoadFailure failure);

}  // namespace clip2c
