// SPDX-License-Identifier: MIT
#include "sound/pcm_wave.h"

#include <cstring>

#include "input/riff.h"
#include "input/wave.h"

namespace clip2c::sound {
namespace {

// The format tag of the last "fmt " chunk that the chunk walk reaches (for
// an extensible one, its subformat's), 0 when there is none or it is cut
// off before the tag.
std::uint32_t formatTag(const std::uint8_t* bytes, std::uint32_t length) {
    constexpr std::uint64_t kTagEnd = 8 + 2;
    constexpr std::uint64_t kSubformatEnd = 8 + 24 + 2;  // the GUID's first two bytes hold the tag
    std::uint64_t available = 0;
    const std::uint8_t* fmt = findLastChunk(riff::kFmtId, bytes, length, available);
    if (fmt == nullptr || available < kTagEnd) return 0;
    const std::uint32_t tag = riff::readU16le(fmt + 8);
    if (tag != riff::kExtensibleTag) return tag;
    return available >= kSubformatEnd ? riff::readU16le(fmt + 32) : 0;
}

// One sample of `width` bytes at `p` as a decoder gives it, nominally -1 to 1.
double decodeSample(const std::uint8_t* p, std::uint32_t width, bool isFloat) {
    if (isFloat) {
        // Copied, not cast: this library has no std::bit_cast.
        if (width == 4) {
            const std::uint32_t word = riff::readU32le(p);
            float value = 0;
            std::memcpy(&value, &word, sizeof value);
            return value;
        }
        const std::uint64_t word =
            std::uint64_t{riff::readU32le(p)} | (std::uint64_t{riff::readU32le(p + 4)} << 32);
        double value = 0;
        std::memcpy(&value, &word, sizeof value);
        return value;
    }
    if (width == 1) return (p[0] - 128) / 128.0;
    // Little-endian two's complement of 16 to 32 bits: the bytes go to the
    // top of a 32-bit word, whose value over 2^31 is the sample's.
    std::uint32_t word = 0;
    for (std::uint32_t i = 0; i < width; ++i) word |= std::uint32_t{p[i]} << (8 * (4 - width + i));
    return static_cast<std::int32_t>(word) / 2147483648.0;
}

}  // namespace

PcmWave readPcmWave(const std::uint8_t* bytes, std::uint32_t length) {
    PcmWave wave;
    WaveInfo info{};
    parseWave(bytes, length, info);
    wave.formatTag = formatTag(bytes, length);
    wave.channels = info.channels;
    wave.sampleRate = info.sampleRate;
    wave.blockAlign = info.blockAlign;
    if (info.channels == 0 || info.data == nullptr) return wave;
    if (info.blockAlign == 0 || info.blockAlign % info.channels != 0) return wave;
    wave.width = info.blockAlign / info.channels;
    wave.isFloat = wave.formatTag == riff::kFloatTag;
    const bool pcm = wave.formatTag == riff::kPcmTag && wave.width >= 1 && wave.width <= 4;
    const bool ieee = wave.isFloat && (wave.width == 4 || wave.width == 8);
    if (!pcm && !ieee) return wave;
    wave.readable = true;
    wave.data = info.data;
    // A last frame cut off by the file's end is not sound any decoder plays.
    wave.frames = info.dataSize / info.blockAlign;
    return wave;
}

double monoSample(const PcmWave& wave, std::uint32_t frame) {
    const std::uint8_t* p = wave.data + std::size_t{frame} * wave.blockAlign;
    double sum = 0.0;
    for (std::uint32_t channel = 0; channel < wave.channels; ++channel) {
        sum += decodeSample(p + std::size_t{channel} * wave.width, wave.width, wave.isFloat);
    }
    return sum / wave.channels;
}

std::vector<float> monoSamples(const PcmWave& wave) {
    if (!wave.readable) return {};
    // Only a broken float file holds NaN, infinities or huge values: NaN is
    // taken as silence and the rest held to +-2^20, far beyond full scale
    // (so they still quantize to 0 or 255) yet small enough that a filter's
    // sum of them stays finite.
    constexpr double kLimit = 1048576.0;
    std::vector<float> mono(wave.frames);
    const auto store = [&](std::uint32_t i, double x) {
        mono[i] = x != x ? 0.0f : static_cast<float>(x < -kLimit ? -kLimit : x > kLimit ? kLimit : x);
    };
    // The common layouts are read by loops of their own, a third of the
    // time of a long clip otherwise; each gives exactly monoSample's values.
    if (!wave.isFloat && wave.width == 2 && wave.channels <= 2) {
        const std::uint8_t* p = wave.data;
        for (std::uint32_t i = 0; i < wave.frames; ++i, p += wave.blockAlign) {
            double sum = static_cast<std::int16_t>(riff::readU16le(p)) / 32768.0;
            if (wave.channels == 2) sum += static_cast<std::int16_t>(riff::readU16le(p + 2)) / 32768.0;
            store(i, sum / wave.channels);
        }
        return mono;
    }
    for (std::uint32_t i = 0; i < wave.frames; ++i) store(i, monoSample(wave, i));
    return mono;
}

}  // namespace clip2c::sound
