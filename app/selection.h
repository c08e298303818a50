// SPDX-License-Identifier: MIT
// Classifying an input by its name and choosing the bytes that become the
// array: the part of the run that the browser page shares.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace clip2c {

// Returns ".raw" when the path holds ".raw" anywhere (case-sensitive, not
// only at its end), else ".wav" when it holds ".wav", else nothing.
std::optional<std::string_view> classifyInput(const std::string& inputPath);

// Returns the input path cut at the last occurrence of `extension`, plus ".h".
std::string deriveOutputPath(const std::string& inputPath, std::string_view extension);

// Which bytes of a loaded input file become the array, or why none do.
enum class SampleCheck { Accepted, NotMono, NotEightBit };
struct SampleSelection {
    SampleCheck check = SampleCheck::Accepted;
    const std::uint8_t* start = nullptr;  // inside the image; null for no samples
    std::uint32_t count = 0;
};

// For raw input the whole image is samples. For WAV input the chunk walk
// must find one channel and 8 bits per sample (checked in that order); the
// samples are then the "data" chunk's body, which never reaches past the
// image.
SampleSelection selectSamples(const std::uint8_t* image, std::uint32_t length, bool isWave);

}  // namespace clip2c
