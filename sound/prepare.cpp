// SPDX-License-Identifier: MIT
#include "web/page_core.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "app/console_texts.h"
#include "app/selection.h"
#include "csource/array_source.h"
#include "input/byte_order.h"
#include "input/wave.h"

namespace clip2c::web {
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

// The format tag of the last "fmt " chunk that the chunk walk reaches (for
// an extensible one, its subformat's), 0 when there is none or it is cut
// off before the tag.
std::uint32_t formatTag(const std::uint8_t* bytes, std::uint32_t length) {
    constexpr std::uint32_t kFmtId = 0x20746D66;  // "fmt "
    constexpr std::uint16_t kExtensible = 0xFFFE;
    constexpr std::uint64_t kTagEnd = 8 + 2;
    constexpr std::uint64_t kSubformatEnd = 8 + 24 + 2;  // the GUID's first two bytes hold the tag
    std::uint64_t available = 0;
    const std::uint8_t* fmt = findLastChunk(kFmtId, bytes, length, available);
    if (fmt == nullptr || available < kTagEnd) return 0;
    const std::uint32_t tag = readU16le(fmt + 8);
    if (tag != kExtensible) return tag;
    return available >= kSubformatEnd ? readU16le(fmt + 32) : 0;
}

// One sample of `width` bytes at `p` as a decoder gives it, nominally -1 to 1.
double decodeSample(const std::uint8_t* p, std::uint32_t width, bool isFloat) {
    if (isFloat) {
        // Copied, not cast: this library has no std::bit_cast.
        if (width == 4) {
            const std::uint32_t word = readU32le(p);
            float value = 0;
            std::memcpy(&value, &word, sizeof value);
            return value;
        }
        const std::uint64_t word = std::uint64_t{readU32le(p)} | (std::uint64_t{readU32le(p + 4)} << 32);
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

bool startsWith(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t offset, std::string_view id) {
    return length >= offset + id.size() && std::equal(id.begin(), id.end(), bytes + offset);
}

}  // namespace

// The target and the rate come as the script passes them, named at the one
// call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
PageResult convertForPage(const std::uint8_t* bytes, std::uint32_t length, const std::string& name,
                          bool isSigned, Target target, std::uint32_t chosenRate) {
    constexpr std::uint32_t kDataId = 0x61746164;  // "data"
    PageResult result;
    result.target = target;
    // What the bytes are, read before any check, so that every outcome can
    // say it.
    result.isRiffWave = startsWith(bytes, length, 0, "RIFF") && startsWith(bytes, length, 8, "WAVE");
    WaveInfo info{};
    parseWave(bytes, length, info);
    result.sourceChannels = info.channels;
    result.sourceBits = info.bitsPerSample;
    result.sourceRate = info.sampleRate;
    // The run's checks, in its order: a path, a classifying name, a file
    // that reads (an empty one does not), then the format of a WAV.
    if (name.empty()) {
        result.status = PageStatus::NoInputPath;
        return result;
    }
    const std::optional<std::string_view> extension = classifyInput(name);
    if (!extension) {
        result.status = PageStatus::NotRawOrWav;
        return result;
    }
    result.isRaw = *extension == ".raw";
    const bool isWave = *extension == ".wav";
    result.sampleRate = isWave ? info.sampleRate : chosenRate;
    if (isWave) {
        std::uint64_t available = 0;
        if (const std::uint8_t* data = findLastChunk(kDataId, bytes, length, available)) {
            result.dataPromised = readU32le(data + 4);
            result.dataHeld = info.dataSize;
        }
    }
    result.outputName = deriveOutputPath(name, *extension);
    if (length == 0) {
        result.status = PageStatus::Unreadable;
        return result;
    }
    const SampleSelection selection = selectSamples(bytes, length, isWave);
    if (selection.check == SampleCheck::NotMono) {
        result.status = PageStatus::NotMono;
        return result;
    }
    if (selection.check == SampleCheck::NotEightBit) {
        result.status = PageStatus::NotEightBit;
        return result;
    }
    const std::string arrayName = deriveArrayName(name, *extension);
    const SourceText text = emitArraySource(arrayName, selection.start, selection.count, isSigned);
    if (!text.bytes) {
        result.status = PageStatus::OutOfMemory;
        return result;
    }
    result.status = PageStatus::Converted;
    const std::string waveName = arrayName + "_wave";
    const ClipFacts facts{waveName, result.sampleRate, isSigned, selection.count};
    result.text = targetText(target, std::string_view(text.bytes.chars(), text.length), facts);
    result.samples.assign(selection.start, selection.start + selection.count);
    result.fit = fitFor(target, selection.count, result.sampleRate);
    return result;
}

std::string_view pageMessage(PageStatus status) {
    switch (status) {
        case PageStatus::NoInputPath:
            return kNoInputPath.utf8;
        case PageStatus::NotRawOrWav:
            return kNotRawOrWav.utf8;
        case PageStatus::NotMono:
            return kMonoOnly.utf8;
        case PageStatus::NotEightBit:
            return kEightBitOnly.utf8;
        case PageStatus::Converted:
        case PageStatus::Unreadable:
        case PageStatus::OutOfMemory:
            break;
    }
    return "";
}

std::string preparedName(const std::string& name) {
    const std::optional<std::string_view> extension = classifyInput(name);
    std::string base = name;
    if (extension == ".raw") {
        // Cut at the first ".raw", not the last: a prepared name that still
        // held one would classify as raw, and the page would convert the
        // prepared WAV file, header and all, as raw samples.
        base.erase(name.find(".raw"));
    } else if (extension) {
        base = cutAtLastExtension(name, *extension);
    } else if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
        base.erase(dot);
    }
    return base.append(".wav");
}

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

// The length goes with the bytes and the rate with the page's choice, at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> prepareWaveFile(const std::uint8_t* bytes, std::uint32_t length,
                                          std::uint32_t sampleRate, PrepareOptions options) {
    constexpr std::uint32_t kPcm = 1;
    constexpr std::uint32_t kFloat = 3;
    WaveInfo info{};
    parseWave(bytes, length, info);
    const std::uint32_t tag = formatTag(bytes, length);
    if (info.channels == 0 || info.data == nullptr || info.sampleRate != sampleRate) return {};
    if (info.blockAlign == 0 || info.blockAlign % info.channels != 0) return {};
    const std::uint32_t width = info.blockAlign / info.channels;
    const bool isFloat = tag == kFloat;
    if (!(tag == kPcm && width >= 1 && width <= 4) && !(isFloat && (width == 4 || width == 8))) return {};

    const std::uint32_t frames = info.dataSize / info.blockAlign;
    const std::vector<std::uint8_t> samples = prepareSamples(
        frames,
        [&](std::uint32_t i) {
            const std::uint8_t* frame = info.data + std::size_t{i} * info.blockAlign;
            double sum = 0.0;
            for (std::uint32_t channel = 0; channel < info.channels; ++channel) {
                sum += decodeSample(frame + std::size_t{channel} * width, width, isFloat);
            }
            return sum / info.channels;
        },
        options);
    return makeWaveFile(samples, sampleRate);
}

// The length goes with the bytes and the rate with the page's choice, at
// the one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::vector<std::uint8_t> prepareRawFile(const std::uint8_t* bytes, std::uint32_t length,
                                         std::uint32_t sampleRate, PrepareOptions options) {
    const std::vector<std::uint8_t> samples = prepareSamples(
        length, [&](std::uint32_t i) { return (bytes[i] - 128) / 128.0; }, options);
    return makeWaveFile(samples, sampleRate);
}

}  // namespace clip2c::web
