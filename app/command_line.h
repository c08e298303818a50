// SPDX-License-Identifier: MIT
// The command line: options and the two paths.
#pragma once

#include <cstdint>
#include <string>

namespace clip2c {

// The run's flag word.
struct RunFlags {
    static constexpr std::uint32_t Help = 1u << 0;       // show the usage text instead of converting
    static constexpr std::uint32_t WaveInput = 1u << 1;  // the input is a WAV file
    static constexpr std::uint32_t Signed = 1u << 2;     // emit byte - 128 as "const char"

    std::uint32_t word = 0;

    [[nodiscard]] bool has(std::uint32_t flag) const { return (word & flag) != 0; }
    void set(std::uint32_t flag) { word |= flag; }
};

struct CommandLine {
    RunFlags flags;
    std::string inputPath;   // first non-empty path argument
    std::string outputPath;  // next non-empty path argument, else empty
};

// Reads argv[1..argc-1]. An argument starting with "/" or "-" is an option:
// HELP and ? set Help, SIGNED sets Signed, each matched case-insensitively as
// a prefix of what follows the switch character; any other option is
// ignored. Other arguments fill the input path, then the output path; an
// empty argument leaves its slot open and paths after the second are
// ignored. With no argument at all, Help is set.
CommandLine parseCommandLine(int argc, const char* const* argv);

}  // namespace clip2c
