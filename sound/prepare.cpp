// SPDX-License-Identifier: MIT
#include "sound/prepare.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "input/riff.h"
#include "sound/pcm_wave.h"
#include "sound/resample.h"

namespace clip2c::sound {
namespace {

bool isQuiet(std::uint8_t sample) { return sample >= 126 && sample <= 130; }
bool isQuiet(std::int16_t sample) { return isQuiet(quantizeSample(sample / 32768.0)); }

std::uint8_t quantizeTo(double x, std::uint8_t /*type*/) { return quantizeSample(x); }
std::int16_t quantizeTo(double x, std::int16_t /*type*/) { return quantizeSixteen(x); }

// The mono samples `sampleAt(0)` to `sampleAt(count - 1)`, decoded sound
// nominally -1 to 1, quantized to `Sample` (8 or 16 bits) as `options` say
// (PrepareOptions). The samples are asked for twice when normalizing, once
// for the peak and once for the result, so that no copy of a long clip is
// held in double.
template <typename Sample, typename SampleAt>
std::vector<Sample> prepareSamples(std::uint32_t count, SampleAt sampleAt, PrepareOptions options) {
    double peak = 0.0;
    if (options.normalize) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const double magnitude = std::fabs(sampleAt(i));
            if (std::isfinite(magnitude) && magnitude > peak) peak = magnitude;
        }
    }
    std::vector<Sample> samples;
    samples.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const double x = sampleAt(i);
        samples.push_back(quantizeTo(peak > 0.0 ? x / peak : x, Sample{}));
    }
    if (options.trim) {
        const auto quiet = [](Sample sample) { return isQuiet(sample); };
        const auto last = std::find_if_not(samples.rbegin(), samples.rend(), quiet).base();
        samples.erase(last, samples.end());
        samples.erase(samples.begin(), std::find_if_not(samples.begin(), samples.end(), quiet));
    }
    return samples;
}

// The frames of a PCM WAV file `wave` mixed to mono and at `sampleRate`,
// prepared to `Sample` as `options` say; nothing when the file's rate or
// `sampleRate` is 0 or the resampled length would not fit in 32 bits.
template <typename Sample>
std::optional<std::vector<Sample>> prepareWave(const PcmWave& wave, std::uint32_t sampleRate,
                                               PrepareOptions options) {
    if (wave.sampleRate == 0 || sampleRate == 0) return std::nullopt;
    if (wave.sampleRate == sampleRate) {
        // At its own rate the frames are read straight from the file, in
        // double, with no copy of the clip.
        return prepareSamples<Sample>(
            wave.frames, [&](std::uint32_t i) { return monoSample(wave, i); }, options);
    }
    if (!resampledLength(wave.frames, wave.sampleRate, sampleRate)) return std::nullopt;
    const std::vector<float> mono = monoSamples(wave);
    const std::vector<float> resampled = resample(mono.data(), mono.size(), wave.sampleRate, sampleRate);
    return prepareSamples<Sample>(
        static_cast<std::uint32_t>(resampled.size()), [&](std::uint32_t i) { return double{resampled[i]}; },
        options);
}

// The mean of `channelCount` planar channels at `frame`, in double: a sum
// of float channels is exact there, so equal channels give their own value
// back, bit for bit.
// The counts are named as the callers' planar buffer has them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
double meanAt(const float* planar, std::uint32_t channelCount, std::uint32_t frames, std::size_t frame) {
    double sum = 0.0;
    for (std::size_t channel = 0; channel < channelCount; ++channel) sum += planar[channel * frames + frame];
    return sum / channelCount;
}

// A canonical mono PCM WAV file of `bytesPerSample`-byte samples whose
// little-endian bytes are `data`; empty when they would overflow a WAV
// file's 32-bit sizes. Its two callers name each argument.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> monoWaveFile(const std::uint8_t* data, std::size_t size, std::uint32_t sampleRate,
                                       std::uint32_t bytesPerSample) {
    constexpr std::uint32_t kFmtBodySize = 16;
    if (size > kWaveDataLimit) return {};
    const auto dataSize = static_cast<std::uint32_t>(size);
    const std::uint32_t pad = dataSize & 1u;
    std::vector<std::uint8_t> file;
    file.reserve(44 + size + pad);
    riff::putU32le(file, riff::kRiffId);
    riff::putU32le(file, 4 + (8 + kFmtBodySize) + (8 + dataSize + pad));
    riff::putU32le(file, riff::kWaveId);
    riff::putU32le(file, riff::kFmtId);
    riff::putU32le(file, kFmtBodySize);
    riff::putU16le(file, riff::kPcmTag);
    riff::putU16le(file, 1);                            // channels
    riff::putU32le(file, sampleRate);                   // sample rate
    riff::putU32le(file, sampleRate * bytesPerSample);  // byte rate
    riff::putU16le(file, bytesPerSample);               // block align
    riff::putU16le(file, 8 * bytesPerSample);           // bits per sample
    riff::putU32le(file, riff::kDataId);
    riff::putU32le(file, dataSize);
    file.insert(file.end(), data, data + size);
    if (pad != 0) file.push_back(0);
    return file;
}

}  // namespace

std::uint8_t quantizeSample(double x) {
    // A decoder may hand over NaN (a float WAV holding one): silence.
    if (std::isnan(x)) return 128;
    const double level = std::floor(x * 128.0 + 128.5);
    return static_cast<std::uint8_t>(std::clamp(level, 0.0, 255.0));
}

std::int16_t quantizeSixteen(double x) {
    if (std::isnan(x)) return 0;
    const double level = std::floor(x * 32768.0 + 0.5);
    return static_cast<std::int16_t>(std::clamp(level, -32768.0, 32767.0));
}

// The counts come as the script reads them off the decoded buffer, named at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> mixToEightBit(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                                        PrepareOptions options) {
    if (channelCount == 0) return {};
    return prepareSamples<std::uint8_t>(
        frames, [&](std::size_t frame) { return meanAt(planar, channelCount, frames, frame); }, options);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::int16_t> mixToSixteen(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                                       PrepareOptions options) {
    if (channelCount == 0) return {};
    return prepareSamples<std::int16_t>(
        frames, [&](std::size_t frame) { return meanAt(planar, channelCount, frames, frame); }, options);
}

std::vector<std::uint8_t> makeWaveFile(const std::vector<std::uint8_t>& samples, std::uint32_t sampleRate) {
    return monoWaveFile(samples.data(), samples.size(), sampleRate, 1);
}

std::vector<std::uint8_t> makeSixteenBitWaveFile(const std::vector<std::int16_t>& samples,
                                                 std::uint32_t sampleRate) {
    if (samples.size() > kWaveDataLimit / 2) return {};
    std::vector<std::uint8_t> data;
    data.reserve(samples.size() * 2);
    for (const std::int16_t sample : samples) riff::putU16le(data, static_cast<std::uint16_t>(sample));
    return monoWaveFile(data.data(), data.size(), sampleRate, 2);
}

// The length goes with the bytes and the rate with the caller's choice, at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> prepareWaveFile(const std::uint8_t* bytes, std::uint32_t length,
                                          std::uint32_t sampleRate, PrepareOptions options) {
    const std::optional<std::vector<std::uint8_t>> samples =
        prepareWaveEight(bytes, length, sampleRate, options);
    if (!samples) return {};
    return makeWaveFile(*samples, sampleRate);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::optional<std::vector<std::uint8_t>> prepareWaveEight(const std::uint8_t* bytes, std::uint32_t length,
                                                          std::uint32_t sampleRate, PrepareOptions options) {
    const PcmWave wave = readPcmWave(bytes, length);
    if (!wave.readable) return std::nullopt;
    return prepareWave<std::uint8_t>(wave, sampleRate, options);
}

std::vector<std::uint8_t> prepareRawEight(const std::uint8_t* bytes, std::uint32_t length,
                                          PrepareOptions options) {
    return prepareSamples<std::uint8_t>(
        length, [&](std::uint32_t i) { return (bytes[i] - 128) / 128.0; }, options);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::optional<std::vector<std::int16_t>> prepareWaveSixteen(const std::uint8_t* bytes, std::uint32_t length,
                                                            std::uint32_t sampleRate,
                                                            PrepareOptions options) {
    const PcmWave wave = readPcmWave(bytes, length);
    if (!wave.readable) return std::nullopt;
    return prepareWave<std::int16_t>(wave, sampleRate, options);
}

// The length goes with the bytes and the rate with the caller's choice, at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> prepareRawFile(const std::uint8_t* bytes, std::uint32_t length,
                                         std::uint32_t sampleRate, PrepareOptions options) {
    return makeWaveFile(prepareRawEight(bytes, length, options), sampleRate);
}

std::vector<std::int16_t> prepareRawSixteen(const std::uint8_t* bytes, std::uint32_t length,
                                            PrepareOptions options) {
    return prepareSamples<std::int16_t>(
        length, [&](std::uint32_t i) { return (bytes[i] - 128) / 128.0; }, options);
}

}  // namespace clip2c::sound
