// SPDX-License-Identifier: MIT
// Why the engine makes no clip or bank of a file, as a typed reason with
// the data its words need, and the one function that words it in English,
// which every door says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "board/targets.h"
#include "csource/conversion.h"

namespace clip2c::board {

enum class RefusalKind {
    None,
    Compressed,      // a WAV file whose format (formatTag) is no PCM
    ZeroRate,        // a WAV file that says 0 Hz and must be prepared; `rate` is the one to write into it
    TooLongForWave,  // prepared at `rate`, the clip would be too long for a WAV file
    NoFormat,        // a WAV file without a readable "fmt " chunk
    UnreadablePcm,  // a PCM WAV file (`detail` its format) whose frames of `blockAlign` bytes split into no samples
    NotWave,        // named as WAV, but no RIFF WAVE file; `detail` the container its bytes name
    NotWaveOrRaw,   // neither WAV nor raw; `detail` the container its bytes name
    Empty,          // the file is empty
    OutOfMemory,    // the clip or its text does not fit in memory
    Unconvertible,  // a file the tool refuses for its name (`status`)
    EmptyClip,      // a clip of no samples, which a bank cannot hold
    OverArray,      // `bytes` bytes at `rate` in `encoding`: over one AVR array
    NoClips,        // a bank of no clip
    BadBankName,    // a bank's name (`detail`) that gives no C identifier
};

struct Refusal {
    RefusalKind kind = RefusalKind::None;
    std::string fileName;  // the file's own name, which the advice names when it can
    std::string detail;
    std::uint32_t formatTag = 0;
    std::uint32_t rate = 0;
    std::uint32_t bytes = 0;
    std::uint32_t blockAlign = 0;
    Encoding encoding = Encoding::Pcm8;
    ClipStatus status = ClipStatus::Converted;
};

// The refusal as one English sentence with what to do, as clip2c-board
// prints it after "clip2c-board: <input>: ": "a compressed or non-PCM WAV
// file, IMA ADPCM (format 0x0011), which clip2c-board does not read;
// decode it first, e.g. sox in.wav -b 16 in-pcm.wav". Empty for None.
std::string refusalEnglish(const Refusal& refusal);

// The refusal of a WAV file whose format is no PCM (u-law and A-law among
// them, which a name lets through as 8-bit samples); nothing for any other
// file, and for one the name `fileName` classifies as raw.
std::optional<Refusal> compressedRefusal(const std::string& fileName, const std::uint8_t* bytes,
                                         std::uint32_t length);

}  // namespace clip2c::board
