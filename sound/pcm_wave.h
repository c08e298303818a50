// SPDX-License-Identifier: MIT
// Reading the samples of a PCM WAV file, whatever its width and channels,
// as the decoded sound a player hears: nominally -1 to 1.
#pragma once

#include <cstdint>
#include <vector>

namespace clip2c::sound {

// What the chunk walk says of a WAV file's sound, and whether the core can
// read it. `readable` is true for PCM integers of 8 to 32 bits and IEEE
// floats of 32 or 64 bits, plain or in an extensible "fmt " chunk, with a
// data chunk; every other file (compressed, no WAVE, no "fmt ", a block
// align that does not split into its channels) is left to a decoder.
struct PcmWave {
    bool readable = false;
    std::uint32_t formatTag = 0;  // the "fmt " chunk's (an extensible one's subformat's); 0 when unread
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t width = 0;  // bytes of one sample of one channel
    bool isFloat = false;
    std::uint32_t frames = 0;            // whole frames the file holds
    const std::uint8_t* data = nullptr;  // the first frame, inside the caller's bytes
    std::uint32_t blockAlign = 0;        // bytes of one frame
};

// Reads the format of the WAV file `bytes`; `data` points into `bytes`,
// which must outlive the result.
PcmWave readPcmWave(const std::uint8_t* bytes, std::uint32_t length);

// Frame `frame` of `wave` mixed to mono by the mean of its channels, each
// read as a decoder reads it: an 8-bit u as (u - 128) / 128, a 16-bit v as
// v / 32768, and so on, a float as it is. The mean is taken in double, in
// which a sum of these values is exact, so equal channels give their own
// value back. `wave` must be readable and `frame` below its frames.
double monoSample(const PcmWave& wave, std::uint32_t frame);

// Every frame of `wave` mixed to mono (monoSample), as floats: the input a
// resampler takes. Empty for a wave that is not readable.
std::vector<float> monoSamples(const PcmWave& wave);

}  // namespace clip2c::sound
