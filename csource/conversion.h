// SPDX-License-Identifier: MIT
// The tool's conversion of a clip's bytes under a name, with no files and
// no console: classifying the name, choosing the bytes that become the
// array, and the names of the array and of the default output. The tool
// and every board door convert through convertBytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "csource/refusals.h"
#include "input/wave.h"

namespace clip2c {

// How a conversion ended. The numbers are what the page's script sees.
enum class ClipStatus : int {
    Converted = 0,    // the samples are chosen
    NoInputPath = 1,  // an empty name: kNoInputPath
    NotRawOrWav = 2,  // a name holding neither ".raw" nor ".wav": kNotRawOrWav
    NotMono = 3,      // a WAV whose chunk walk finds other than one channel: kMonoOnly
    NotEightBit = 4,  // a WAV whose chunk walk finds other than 8 bits: kEightBitOnly
    Unreadable = 5,   // an empty file: the tool prints nothing but its banner
    OutOfMemory = 6,  // the text could not be allocated
};

// The tool's message for a status, with its line end; nothing for the
// outcomes the tool reports by its exit status alone.
std::optional<ConsoleText> statusText(ClipStatus status);

// Returns ".raw" when the path holds ".raw" anywhere (case-sensitive, not
// only at its end), else ".wav" when it holds ".wav", else nothing.
std::optional<std::string_view> classifyInput(const std::string& inputPath);

// Returns the input path cut at the last occurrence of `extension`, plus ".h".
std::string deriveOutputPath(const std::string& inputPath, std::string_view extension);

struct Conversion {
    ClipStatus status = ClipStatus::Unreadable;
    std::optional<std::string_view> extension;  // classifyInput's, when the name classifies
    std::string arrayName;                      // deriveArrayName's base name, without "_wave"
    std::string outputName;                     // deriveOutputPath's
    // Converted: the samples, inside the bytes given (the "data" chunk's
    // body for WAV input, which never reaches past them; all of them for
    // raw input).
    const std::uint8_t* start = nullptr;
    std::uint32_t count = 0;
    WaveInfo wave{};  // the chunk walk's reading of the bytes, whatever the name
};

// Converts `bytes` as the tool converts a file called `name`, checking in
// the tool's order: a name (NoInputPath), one that classifies
// (NotRawOrWav), bytes at all (Unreadable: an empty file, or none read
// yet), then for WAV input one channel (NotMono) and 8 bits (NotEightBit).
// Before a file is read, convertBytes(name, nullptr, 0) tells whether the
// name alone refuses it.
Conversion convertBytes(const std::string& name, const std::uint8_t* bytes, std::uint32_t length);

}  // namespace clip2c
