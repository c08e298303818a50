// SPDX-License-Identifier: MIT
// Preparing any sound the core reads as an 8-bit mono clip: mixing to mono,
// resampling, normalizing, quantizing and trimming, and the 8-bit mono WAV
// file that holds the result, which the tool then converts as it is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
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

// Decoded sound: `channels` planar channels of `frames` samples each,
// channel c starting at samples + c * frames, nominally -1 to 1.
struct Planar {
    const float* samples = nullptr;
    std::uint32_t channels = 0;
    std::uint32_t frames = 0;
};

// Mixes the channels to mono by their mean and quantizes each frame, as
// `options` say. Channels that are all equal give exactly that channel; no
// channels give no samples.
std::vector<std::uint8_t> mixToEightBit(Planar sound, PrepareOptions options = {});

// The same mixed and quantized to 16 bits (quantizeSixteen), for an
// encoder that takes more than 8 bits.
std::vector<std::int16_t> mixToSixteen(Planar sound, PrepareOptions options = {});

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

// The samples of the WAV file `file` prepared by the core alone, with no
// decoder between: its frames mixed by the mean (monoSample), resampled to
// `sampleRate` when the file's rate is another (resample), and quantized
// to 8 bits as `options` say. Nothing when the core does not read the file
// (readPcmWave), or when its rate or `sampleRate` is 0. At the file's own
// rate a clip whose channels are equal gives exactly that channel, at
// every width.
std::optional<std::vector<std::uint8_t>> prepareWaveEight(std::span<const std::uint8_t> file,
                                                          std::uint32_t sampleRate,
                                                          PrepareOptions options = {});

// The same quantized to 16 bits instead (quantizeSixteen).
std::optional<std::vector<std::int16_t>> prepareWaveSixteen(std::span<const std::uint8_t> file,
                                                            std::uint32_t sampleRate,
                                                            PrepareOptions options = {});

// The raw clip `clip` (unsigned 8-bit samples, u read as (u - 128) / 128)
// prepared as `options` say; with both off its samples are the bytes
// unchanged.
std::vector<std::uint8_t> prepareRawEight(std::span<const std::uint8_t> clip, PrepareOptions options = {});

// The same quantized to 16 bits: with both options off, (u - 128) * 256.
std::vector<std::int16_t> prepareRawSixteen(std::span<const std::uint8_t> clip, PrepareOptions options = {});

}  // namespace clip2c::sound
