// SPDX-License-Identifier: MIT
#include "board/clip_conversion.h"

#include <algorithm>
#include <optional>

#include "app/console_texts.h"
#include "app/selection.h"
#include "csource/array_source.h"
#include "input/byte_order.h"
#include "input/wave.h"

namespace clip2c::board {
namespace {

bool startsWith(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t offset, std::string_view id) {
    return length >= offset + id.size() && std::equal(id.begin(), id.end(), bytes + offset);
}

}  // namespace

// The target and the rate come as each door passes them, named at the one
// call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
ClipResult convertClip(const std::uint8_t* bytes, std::uint32_t length, const std::string& name,
                       bool isSigned, Target target, std::uint32_t chosenRate) {
    constexpr std::uint32_t kDataId = 0x61746164;  // "data"
    ClipResult result;
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
        result.status = ClipStatus::NoInputPath;
        return result;
    }
    const std::optional<std::string_view> extension = classifyInput(name);
    if (!extension) {
        result.status = ClipStatus::NotRawOrWav;
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
        result.status = ClipStatus::Unreadable;
        return result;
    }
    const SampleSelection selection = selectSamples(bytes, length, isWave);
    if (selection.check == SampleCheck::NotMono) {
        result.status = ClipStatus::NotMono;
        return result;
    }
    if (selection.check == SampleCheck::NotEightBit) {
        result.status = ClipStatus::NotEightBit;
        return result;
    }
    const std::string arrayName = deriveArrayName(name, *extension);
    const SourceText text = emitArraySource(arrayName, selection.start, selection.count, isSigned);
    if (!text.bytes) {
        result.status = ClipStatus::OutOfMemory;
        return result;
    }
    result.status = ClipStatus::Converted;
    result.arrayName = arrayName + "_wave";
    const std::string& waveName = result.arrayName;
    const ClipFacts facts{waveName, result.sampleRate, isSigned, selection.count};
    result.text = targetText(target, std::string_view(text.bytes.chars(), text.length), facts);
    result.samples.assign(selection.start, selection.start + selection.count);
    result.fit = fitFor(target, selection.count, result.sampleRate);
    return result;
}

std::string_view statusMessage(ClipStatus status) {
    switch (status) {
        case ClipStatus::NoInputPath:
            return kNoInputPath.utf8;
        case ClipStatus::NotRawOrWav:
            return kNotRawOrWav.utf8;
        case ClipStatus::NotMono:
            return kMonoOnly.utf8;
        case ClipStatus::NotEightBit:
            return kEightBitOnly.utf8;
        case ClipStatus::Converted:
        case ClipStatus::Unreadable:
        case ClipStatus::OutOfMemory:
            break;
    }
    return "";
}

}  // namespace clip2c::board
