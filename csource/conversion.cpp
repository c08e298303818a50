// SPDX-License-Identifier: MIT
#include "csource/conversion.h"

#include "csource/array_source.h"

namespace clip2c {

std::optional<ConsoleText> statusText(ClipStatus status) {
    switch (status) {
        case ClipStatus::NoInputPath:
            return kNoInputPath;
        case ClipStatus::NotRawOrWav:
            return kNotRawOrWav;
        case ClipStatus::NotMono:
            return kMonoOnly;
        case ClipStatus::NotEightBit:
            return kEightBitOnly;
        case ClipStatus::Converted:
        case ClipStatus::Unreadable:
        case ClipStatus::OutOfMemory:
            break;
    }
    return std::nullopt;
}

std::optional<std::string_view> classifyInput(const std::string& inputPath) {
    if (inputPath.find(".raw") != std::string::npos) return std::string_view(".raw");
    if (inputPath.find(".wav") != std::string::npos) return std::string_view(".wav");
    return std::nullopt;
}

std::string deriveOutputPath(const std::string& inputPath, std::string_view extension) {
    return cutAtLastExtension(inputPath, extension).append(".h");
}

Conversion convertBytes(const std::string& name, const std::uint8_t* bytes, std::uint32_t length) {
    Conversion conversion;
    parseWave(bytes, length, conversion.wave);
    if (name.empty()) {
        conversion.status = ClipStatus::NoInputPath;
        return conversion;
    }
    conversion.extension = classifyInput(name);
    if (!conversion.extension) {
        conversion.status = ClipStatus::NotRawOrWav;
        return conversion;
    }
    conversion.arrayName = deriveArrayName(name, *conversion.extension);
    conversion.outputName = deriveOutputPath(name, *conversion.extension);
    if (length == 0) {
        conversion.status = ClipStatus::Unreadable;
        return conversion;
    }
    if (*conversion.extension == ".raw") {
        conversion.status = ClipStatus::Converted;
        conversion.start = bytes;
        conversion.count = length;
        return conversion;
    }
    const WaveInfo& info = conversion.wave;
    if (info.channels != 1) {
        conversion.status = ClipStatus::NotMono;
    } else if (info.bitsPerSample != 8) {
        conversion.status = ClipStatus::NotEightBit;
    } else {
        conversion.status = ClipStatus::Converted;
        conversion.start = info.data;
        conversion.count = info.dataSize;
    }
    return conversion;
}

}  // namespace clip2c
