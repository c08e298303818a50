// SPDX-License-Identifier: MIT
// What the browser page asks of the core: the tool's conversion of a file
// given as bytes and a name, and the preparation of decoded sound into an
// 8-bit mono WAV image that the same conversion then takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "web/page_text.h"

namespace clip2c::web {

// Which of the tool's outcomes a conversion had. The numbers are what the
// page's script sees; keep them.
enum class PageStatus : int {
    Converted = 0,    // the text is there
    NoInputPath = 1,  // an empty name: the tool's "no input path" message
    NotRawOrWav = 2,  // a name holding neither ".raw" nor ".wav"
    NotMono = 3,      // a WAV whose chunk walk finds other than one channel
    NotEightBit = 4,  // a WAV whose chunk walk finds other than 8 bits
    Unreadable = 5,   // an empty file: the tool prints nothing but its banner
    OutOfMemory = 6,  // the text could not be allocated
};

struct PageResult {
    PageStatus status = PageStatus::Unreadable;
    std::string text;                   // the target's text (targetText), when Converted
    std::string outputName;             // the tool's default output path for the name
    std::vector<std::uint8_t> samples;  // the array's bytes, as in the file
    // The rate the clip plays at: the "fmt " chunk's for WAV input (0 when
    // it has none, or says 0), the page's chosen rate for raw input, 0 for
    // a name the tool does not classify.
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
PageResult convertForPage(const std::uint8_t* bytes, std::uint32_t length, const std::string& name,
                          bool isSigned, Target target = Target::C, std::uint32_t chosenRate = 0);

// The tool's message for a status, in UTF-8 with its line end, as a
// NUL-terminated literal; empty for Converted and for the outcomes the tool
// reports by its exit status alone.
std::string_view pageMessage(PageStatus status);

// The name a prepared clip is converted under: `name` cut at its first
// ".raw", else at its last ".wav", else at its last dot, followed by ".wav";
// so it never holds ".raw" and always classifies as a WAV file.
std::string preparedName(const std::string& name);

// One sample of decoded sound (nominally -1 to 1) as an unsigned 8-bit
// value: round(x * 128) + 128, halves rounded up, clamped to 0..255. So the
// 16-bit value v, decoded as v / 32768, gives v / 256 + 128 exactly when v
// is a multiple of 256.
std::uint8_t quantizeSample(double x);

// What a prepare does beyond mixing and quantizing, in this order:
//   normalize: after mixing to mono, every sample is divided by the clip's
//     peak, the largest |x| among its finite samples, so that the peak
//     reaches full scale (0 or 255); a silent clip (peak 0) stays as it is.
//     NaN and infinite samples, which only a broken float file holds, are
//     not counted in the peak (they quantize to 128, 255 and 0 as ever).
//   trim: after quantizing (and normalizing), the samples within 2 steps of
//     silence (126 to 130) at the start and at the end are cut; a clip that
//     is all such samples becomes empty.
// With both off, a prepare gives exactly its samples as they are.
struct PrepareOptions {
    bool normalize = false;
    bool trim = false;
};

// Mixes `channelCount` planar channels of `frames` samples each (channel c
// starts at planar + c * frames) to mono by their mean and quantizes each
// frame, as `options` say. Channels that are all equal give exactly that
// channel.
std::vector<std::uint8_t> mixToEightBit(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                                        PrepareOptions options = {});

// A canonical 8-bit mono PCM WAV file holding `samples` at `sampleRate`;
// empty when the samples are too many for a WAV file's 32-bit sizes.
std::vector<std::uint8_t> makeWaveFile(const std::vector<std::uint8_t>& samples, std::uint32_t sampleRate);

// The WAV file `bytes` prepared by the core alone, with no decoder between:
// an 8-bit mono WAV file (makeWaveFile) of its frames mixed by the mean and
// quantized, or empty when it is not PCM the core reads (integers of 8 to
// 32 bits or floats of 32 or 64, plain or in an extensible "fmt " chunk) or
// not at `sampleRate`, which only a resampling decoder can give. Samples
// are read as a decoder reads them: an 8-bit u as (u - 128) / 128, a 16-bit
// v as v / 32768, and so on; so a clip whose channels are equal gives
// exactly that channel, at every width. `options` as for mixToEightBit.
std::vector<std::uint8_t> prepareWaveFile(const std::uint8_t* bytes, std::uint32_t length,
                                          std::uint32_t sampleRate, PrepareOptions options = {});

// The raw clip `bytes` (unsigned 8-bit samples, u read as (u - 128) / 128)
// as an 8-bit mono WAV file (makeWaveFile) at `sampleRate`, prepared as
// `options` say; with both off its samples are the bytes unchanged. Empty
// only when the clip is too long for a WAV file.
std::vector<std::uint8_t> prepareRawFile(const std::uint8_t* bytes, std::uint32_t length,
                                         std::uint32_t sampleRate, PrepareOptions options = {});

}  // namespace clip2c::web
