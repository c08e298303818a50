// SPDX-License-Identifier: MIT
// The tool's conversion of a file given as bytes and a name, made into the
// text for a target, with the facts about the file that the notes tell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "board/targets.h"
#include "csource/conversion.h"

namespace clip2c::board {

// Which of the tool's outcomes a conversion had.
using ClipStatus = clip2c::ClipStatus;

struct ClipResult {
    ClipStatus status = ClipStatus::Unreadable;
    std::string text;                    // the target's text (targetText), when Converted
    std::string outputName;              // the tool's default output path for the name
    std::vector<std::uint8_t> samples;   // the array's bytes: as in the file, or IMA ADPCM's
    Encoding encoding = Encoding::Pcm8;  // what the bytes hold
    std::uint32_t adpcmSamples = 0;      // ImaAdpcm: the samples the bytes decode to
    std::string arrayName;               // "<name>_wave" ("<name>_adpcm"), when Converted
    // The rate the clip plays at: the "fmt " chunk's for WAV input (0 when
    // it has none, or says 0), the chosen rate for raw input, 0 for a name
    // the tool does not classify.
    std::uint32_t sampleRate = 0;
    Target target = Target::C;  // the target the text is made for
    Fit fit;                    // the clip's fit for the target (fitFor), when Converted
    // What the bytes are, whatever the name says: whether they begin with
    // "RIFF" and hold "WAVE" at offset 8, and the channels and bits per
    // sample that the chunk walk reads (0 when it reads none).
    bool isRiffWave = false;
    bool isRaw = false;  // whether the name classified the input as raw
    std::uint32_t sourceChannels = 0;
    std::uint32_t sourceBits = 0;
    std::uint32_t sourceRate = 0;  // the "fmt " chunk's rate, whatever the name
    // For WAV input, the size that the data chunk the walk takes (its last
    // one) declares, and the bytes of it that the file holds: equal when the
    // chunk is whole, fewer when the file is cut short. 0 for raw input.
    std::uint32_t dataPromised = 0;
    std::uint32_t dataHeld = 0;
};

// Converts `bytes` as the tool converts a file called `name` in the current
// folder, given as the only path: the name classifies the input and names
// the array and the default output file. The text is made for `target`;
// `chosenRate` is the rate a raw clip plays at.
ClipResult convertClip(const std::uint8_t* bytes, std::uint32_t length, const std::string& name,
                       bool isSigned, Target target = Target::C, std::uint32_t chosenRate = 0);

// The tool's message for a status, in UTF-8 with its line end, as a
// NUL-terminated literal; empty for Converted and for the outcomes the tool
// reports by its exit status alone.
std::string_view statusMessage(ClipStatus status);

}  // namespace clip2c::board
