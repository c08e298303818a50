// SPDX-License-Identifier: MIT
#include "app/selection.h"

#include "csource/array_source.h"
#include "input/wave.h"

namespace clip2c {

std::optional<std::string_view> classifyInput(const std::string& inputPath) {
    if (inputPath.find(".raw") != std::string::npos) return std::string_view(".raw");
    if (inputPath.find(".wav") != std::string::npos) return std::string_view(".wav");
    return std::nullopt;
}

SampleSelection selectSamples(const std::uint8_t* image, std::uint32_t length, bool isWave) {
    if (!isWave) return {SampleCheck::Accepted, image, length};
    WaveInfo info{};
    parseWave(image, length, info);
    if (info.channels != 1) return {SampleCheck::NotMono, nullptr, 0};
    if (info.bitsPerSample != 8) return {SampleCheck::NotEightBit, nullptr, 0};
    return {SampleCheck::Accepted, info.data, info.dataSize};
}

std::string deriveOutputPath(const std::string& inputPath, std::string_view extension) {
    return cutAtLastExtension(inputPath, extension).append(".h");
}

}  // namespace clip2c
