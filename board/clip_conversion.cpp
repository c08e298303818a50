// SPDX-License-Identifier: MIT
#include "board/clip_conversion.h"

#include "board/clip_header.h"
#include "board/header.h"
#include "input/riff.h"
#include "input/wave.h"

namespace clip2c::board {
// The target and the rate come as each door passes them, named at the one
// call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
ClipResult convertClip(const std::uint8_t* bytes, std::uint32_t length, const std::string& name,
                       bool isSigned, Target target, std::uint32_t chosenRate) {
    ClipResult result;
    result.target = target;
    // What the bytes are, read before any check, so that every outcome can
    // say it.
    result.isRiffWave = riff::isRiffWave(bytes, length);
    const Conversion conversion = convertBytes(name, bytes, length);
    const WaveInfo& info = conversion.wave;
    result.sourceChannels = info.channels;
    result.sourceBits = info.bitsPerSample;
    result.sourceRate = info.sampleRate;
    result.status = conversion.status;
    if (!conversion.extension) return result;
    result.isRaw = *conversion.extension == ".raw";
    const bool isWave = !result.isRaw;
    result.sampleRate = isWave ? info.sampleRate : chosenRate;
    if (isWave) {
        std::uint64_t available = 0;
        if (const std::uint8_t* data = findLastChunk(riff::kDataId, bytes, length, available)) {
            result.dataPromised = riff::readU32le(data + 4);
            result.dataHeld = info.dataSize;
        }
    }
    result.outputName = conversion.outputName;
    if (conversion.status != ClipStatus::Converted) return result;
    result.arrayName = conversion.arrayName + "_wave";
    const ClipFacts facts{result.arrayName, result.sampleRate, isSigned, conversion.count};
    const std::span<const std::uint8_t> samples(conversion.start, conversion.count);
    result.text = render(clipHeader(target, facts, samples));
    if (result.text.empty()) {
        result.status = ClipStatus::OutOfMemory;
        result.arrayName.clear();
        return result;
    }
    result.samples.assign(samples.begin(), samples.end());
    result.fit = fitFor(target, {conversion.count, result.sampleRate});
    return result;
}

std::string_view statusMessage(ClipStatus status) {
    const std::optional<ConsoleText> text = statusText(status);
    return text ? text->utf8 : std::string_view();
}

}  // namespace clip2c::board
