// SPDX-License-Identifier: MIT
// Preparing any sound the core reads as an 8-bit mono clip: mixing to mono,
// resampling, normalizing, quantizing and trimming, and the 8-bit mono WAV
// file that holds the result, which the tool then converts as it is.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace clip2c::sound {

// One sample of decoded sound (nominally -1 to 1) as an unsigned 8-bit
// value: round(x * 128) + 128, halves rounded up, clamped to 0..255. So the
// 16-bit value v, decoded as v / 32768, gives v / 256 + 128 exactly when v
// is a multiple of 256.
std::uint8_t quantizeSample(double x);

// The same at 16 bits: round(x * 32768), halves up, clamped to -32768..32767;
// NaN is 0.
std::int16_t quantizeSixteen(double x);

// What a prepare does beyond mixing and quantizing, in this order:
//   normalize: after mixing to mono (and resampling), every sample is
//     divided by the clip's peak, the largest |x| among its finite samples,
//     so that the peak reaches full scale (0 or 255); a silent clip (peak 0)
//     stays as it is. NaN and infinite samples, which only a broken float
//     file holds, are not counted in the peak.
//   trim: after quantizing (and normalizing), the samples within 2 steps of
//     silence (126 to 130) at the start and at the end are cut; a clip that
//     is all such samples becomes empty. At 16 bits a sample v is judged by
//     quantizeSample(v / 32768.0), so both widths cut alike.
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

// The same mixed and quantized to 16 bits (quantizeSixteen), for an
// encoder that takes more than 8 bits.
std::vector<std::int16_t> mixToSixteen(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                                       PrepareOptions options = {});

// The most bytes of samples a WAV file the engine makes holds: its sizes
// are 32-bit, and its headers take some of them.
inline constexpr std::uint64_t kWaveDataLimit = UINT32_MAX - 64;

// A canonical 8-bit mono PCM WAV file holding `samples` at `sampleRate`;
// empty when the samples are too many for a WAV file's 32-bit sizes.
std::vector<std::uint8_t> makeWaveFile(const std::vector<std::uint8_t>& samples, std::uint32_t sampleRate);

// A canonical 16-bit mono PCM WAV file holding `samples` at `sampleRate`,
// from which prepareWaveSixteen at that rate gives `samples` back; empty
// when they are too many for a WAV file's 32-bit sizes.
std::vector<std::uint8_t> makeSixteenBitWaveFile(const std::vector<std::int16_t>& samples,
                                                 std::uint32_t sampleRate);

// The WAV file `bytes` prepared by the core alone, with no decoder between:
// an 8-bit mono WAV file (makeWaveFile) at `sampleRate` of its frames mixed
// by the mean (monoSample), resampled when the file's rate is another
// (resample), and quantized as `options` say. Empty when the core does not
// read the file (readPcmWave), when its rate or `sampleRate` is 0, or when
// the result would not fit a WAV file. At the file's own rate a clip whose
// channels are equal gives exactly that channel, at every width.
std::vector<std::uint8_t> prepareWaveFile(const std::uint8_t* bytes, std::uint32_t length,
                                          std::uint32_t sampleRate, PrepareOptions options = {});

// The samples prepareWaveFile would hold; nothing where it gives no file.
std::optional<std::vector<std::uint8_t>> prepareWaveEight(const std::uint8_t* bytes, std::uint32_t length,
                                                          std::uint32_t sampleRate,
                                                          PrepareOptions options = {});

// The samples prepareRawFile would hold.
std::vector<std::uint8_t> prepareRawEight(const std::uint8_t* bytes, std::uint32_t length,
                                          PrepareOptions options = {});

// The samples prepareWaveFile would hold, quantized to 16 bits instead
// (quantizeSixteen); nothing where it gives no file.
std::optional<std::vector<std::int16_t>> prepareWaveSixteen(const std::uint8_t* bytes, std::uint32_t length,
                                                            std::uint32_t sampleRate,
                                                            PrepareOptions options = {});

// The raw clip `bytes` (unsigned 8-bit samples, u read as (u - 128) / 128)
// as an 8-bit mono WAV file (makeWaveFile) at `sampleRate`, prepared as
// `options` say; with both off its samples are the bytes unchanged. Empty
// only when the clip is too long for a WAV file.
std::vector<std::uint8_t> prepareRawFile(const std::uint8_t* bytes, std::uint32_t length,
                                         std::uint32_t sampleRate, PrepareOptions options = {});

// The samples of the raw clip `bytes` prepared as prepareRawFile prepares
// them, quantized to 16 bits: with both options off, (u - 128) * 256.
std::vector<std::int16_t> prepareRawSixteen(const std::uint8_t* bytes, std::uint32_t length,
                                            PrepareOptions options = {});

}  // namespace clip2c::sound
