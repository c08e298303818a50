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
double meanAt(Planar sound, std::size_t frame) {
    double sum = 0.0;
    for (std::size_t channel = 0; channel < sound.channels; ++channel)
        sum += sound.samples[channel * sound.frames + frame];
    return sum / sound.channels;
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

std::vector<std::uint8_t> mixToEightBit(Planar sound, PrepareOptions options) {
    if (sound.channels == 0) return {};
    return prepareSamples<std::uint8_t>(
        sound.frames, [&](std::size_t frame) { return meanAt(sound, frame); }, options);
}

std::vector<std::int16_t> mixToSixteen(Planar sound, PrepareOptions options) {
    if (sound.channels == 0) return {};
    return prepareSamples<std::int16_t>(
        sound.frames, [&](std::size_t frame) { return meanAt(sound, frame); }, options);
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

std::optional<std::vector<std::uint8_t>> prepareWaveEight(std::span<const std::uint8_t> file,
                                                          std::uint32_t sampleRate, PrepareOptions options) {
    const PcmWave wave = readPcmWave(file.data(), static_cast<std::uint32_t>(file.size()));
    if (!wave.readable) return std::nullopt;
    return prepareWave<std::uint8_t>(wave, sampleRate, options);
}

std::optional<std::vector<std::int16_t>> prepareWaveSixteen(std::span<const std::uint8_t> file,
                                                            std::uint32_t sampleRate,
                                                            PrepareOptions options) {
    const PcmWave wave = readPcmWave(file.data(), static_cast<std::uint32_t>(file.size()));
    if (!wave.readable) return std::nullopt;
    return prepareWave<std::int16_t>(wave, sampleRate, options);
}

std::vector<std::uint8_t> prepareRawEight(std::span<const std::uint8_t> clip, PrepareOptions options) {
    return prepareSamples<std::uint8_t>(
        static_cast<std::uint32_t>(clip.size()), [&](std::uint32_t i) { return (clip[i] - 128) / 128.0; },
        options);
}

std::vector<std::int16_t> prepareRawSixteen(std::span<const std::uint8_t> clip, PrepareOptions options) {
    return prepareSamples<std::int16_t>(
        static_cast<std::uint32_t>(clip.size()), [&](std::uint32_t i) { return (clip[i] - 128) / 128.0; },
        options);
}

}  // namespace clip2c::sound
