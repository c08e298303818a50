// SPDX-License-Identifier: MIT
#include "sound/prepare.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "sound/pcm_wave.h"
#include "sound/resample.h"

namespace clip2c::sound {
namespace {

void putU16le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void putU32le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putU16le(out, value & 0xFFFFu);
    putU16le(out, value >> 16);
}

void putId(std::vector<std::uint8_t>& out, std::string_view id) {
    out.insert(out.end(), id.begin(), id.end());
}

// The mono samples `sampleAt(0)` to `sampleAt(count - 1)`, decoded sound
// nominally -1 to 1, quantized as `options` say (PrepareOptions). The
// samples are asked for twice when normalizing, once for the peak and once
// for the result, so that no copy of a long clip is held in double.
template <typename SampleAt>
std::vector<std::uint8_t> prepareSamples(std::uint32_t count, SampleAt sampleAt, PrepareOptions options) {
    double peak = 0.0;
    if (options.normalize) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const double magnitude = std::fabs(sampleAt(i));
            if (std::isfinite(magnitude) && magnitude > peak) peak = magnitude;
        }
    }
    std::vector<std::uint8_t> samples;
    samples.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const double x = sampleAt(i);
        samples.push_back(quantizeSample(peak > 0.0 ? x / peak : x));
    }
    if (options.trim) {
        const auto isQuiet = [](std::uint8_t sample) { return sample >= 126 && sample <= 130; };
        const auto last = std::find_if_not(samples.rbegin(), samples.rend(), isQuiet).base();
        samples.erase(last, samples.end());
        samples.erase(samples.begin(), std::find_if_not(samples.begin(), samples.end(), isQuiet));
    }
    return samples;
}

}  // namespace

std::uint8_t quantizeSample(double x) {
    // A decoder may hand over NaN (a float WAV holding one): silence.
    if (std::isnan(x)) return 128;
    const double level = std::floor(x * 128.0 + 128.5);
    return static_cast<std::uint8_t>(std::clamp(level, 0.0, 255.0));
}

// The counts come as the script reads them off the decoded buffer, named at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> mixToEightBit(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                                        PrepareOptions options) {
    if (channelCount == 0) return {};
    // The mean is taken in double: a sum of float channels is exact there,
    // so equal channels give their own value back, bit for bit.
    return prepareSamples(
        frames,
        [&](std::size_t frame) {
            double sum = 0.0;
            for (std::size_t channel = 0; channel < channelCount; ++channel) {
                sum += planar[channel * frames + frame];
            }
            return sum / channelCount;
        },
        options);
}

std::vector<std::uint8_t> makeWaveFile(const std::vector<std::uint8_t>& samples, std::uint32_t sampleRate) {
    constexpr std::uint32_t kPcm = 1;
    constexpr std::uint32_t kFmtBodySize = 16;
    // The sizes are 32-bit fields: a clip that would overflow the RIFF size
    // makes no file.
    if (samples.size() > UINT32_MAX - 64) return {};
    const auto dataSize = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t pad = dataSize & 1u;
    std::vector<std::uint8_t> file;
    file.reserve(44 + samples.size() + pad);
    putId(file, "RIFF");
    putU32le(file, 4 + (8 + kFmtBodySize) + (8 + dataSize + pad));
    putId(file, "WAVE");
    putId(file, "fmt ");
    putU32le(file, kFmtBodySize);
    putU16le(file, kPcm);
    putU16le(file, 1);           // channels
    putU32le(file, sampleRate);  // sample rate
    putU32le(file, sampleRate);  // byte rate: one byte a sample
    putU16le(file, 1);           // block align
    putU16le(file, 8);           // bits per sample
    putId(file, "data");
    putU32le(file, dataSize);
    file.insert(file.end(), samples.begin(), samples.end());
    if (pad != 0) file.push_back(0);
    return file;
}

// The length goes with the bytes and the rate with the caller's choice, at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> prepareWaveFile(const std::uint8_t* bytes, std::uint32_t length,
                                          std::uint32_t sampleRate, PrepareOptions options) {
    const PcmWave wave = readPcmWave(bytes, length);
    if (!wave.readable || wave.sampleRate == 0 || sampleRate == 0) return {};
    if (wave.sampleRate == sampleRate) {
        // At its own rate the frames are read straight from the file, in
        // double, with no copy of the clip.
        return makeWaveFile(prepareSamples(
                                wave.frames, [&](std::uint32_t i) { return monoSample(wave, i); }, options),
                            sampleRate);
    }
    // A clip whose resampled length would not fit in 32 bits makes no file.
    if (!resampledLength(wave.frames, wave.sampleRate, sampleRate)) return {};
    const std::vector<float> mono = monoSamples(wave);
    const std::vector<float> resampled = resample(mono.data(), mono.size(), wave.sampleRate, sampleRate);
    return makeWaveFile(prepareSamples(
                            static_cast<std::uint32_t>(resampled.size()),
                            [&](std::uint32_t i) { return double{resampled[i]}; }, options),
                        sampleRate);
}

// The length goes with the bytes and the rate with the caller's choice, at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> prepareRawFile(const std::uint8_t* bytes, std::uint32_t length,
                                         std::uint32_t sampleRate, PrepareOptions options) {
    const std::vector<std::uint8_t> samples = prepareSamples(
        length, [&](std::uint32_t i) { return (bytes[i] - 128) / 128.0; }, options);
    return makeWaveFile(samples, sampleRate);
}

}  // namespace clip2c::sound
