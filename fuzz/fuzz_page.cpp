// SPDX-License-Identifier: MIT
// Fuzzes the browser page's core: the conversion of a file under its name,
// and the preparation of a PCM WAV file into the 8-bit mono WAV file that
// the page then converts under preparedName(name).
//
// The input is: one mode byte, the file's name, a NUL, the file's bytes.
// Without a NUL the rest is all name and the file is empty. In the mode
// byte, bit 0 asks for signed output, bits 1 to 3 pick the rate to
// prepare at from kRates (index 0: the rate the file's own "fmt " chunk
// declares, so that most WAV files prepare), bit 4 asks to normalize, bit
// 5 to trim, and bits 6 and 7 pick the target the text is made for.
//
// Whenever a file prepares, the prepared file must be an 8-bit mono WAV
// file at that rate which the page converts under the prepared name, to
// exactly as many samples as the file has frames (its data size over its
// block align, as the chunk walk reads them), or fewer when trimmed, with
// no silence left at either end; an 8-bit mono file prepared without
// either must come back sample for sample.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "input/wave.h"
#include "board/clip_conversion.h"
#include "board/names.h"
#include "board/texts.h"
#include "sound/prepare.h"

using clip2c::fuzz::require;
using clip2c::board::ClipResult;
using clip2c::board::ClipStatus;

namespace {

constexpr std::uint32_t kOwnRate = 0xFFFFFFFF;  // a stand-in: the file's own rate
constexpr std::array<std::uint32_t, 8> kRates = {kOwnRate, 8000, 11025, 22050, 44100, 48000, 0, 0xFFFFFFFE};

// A copy of `size` bytes at `bytes` in a heap block of exactly that size, so
// that the sanitizers see any read past its end; null when `size` is 0.
std::unique_ptr<std::uint8_t[]> exactCopy(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return nullptr;
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    std::memcpy(copy.get(), bytes, size);
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1 || size - 1 > UINT32_MAX) return 0;
    const bool isSigned = (bytes[0] & 1u) != 0;
    std::uint32_t rate = kRates[(bytes[0] >> 1) & 7u];
    const clip2c::sound::PrepareOptions options{(bytes[0] & 0x10u) != 0, (bytes[0] & 0x20u) != 0};
    const auto target = static_cast<clip2c::board::Target>(bytes[0] >> 6);
    const std::uint8_t* rest = bytes + 1;
    const std::size_t restSize = size - 1;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(rest, 0, restSize));
    const std::size_t nameSize = nul == nullptr ? restSize : static_cast<std::size_t>(nul - rest);
    const std::string name(reinterpret_cast<const char*>(rest), nameSize);
    const std::size_t fileOffset = nul == nullptr ? restSize : nameSize + 1;
    const auto length = static_cast<std::uint32_t>(restSize - fileOffset);
    const std::unique_ptr<std::uint8_t[]> file = exactCopy(rest + fileOffset, length);

    // The page's first try with any file: the tool's own conversion.
    const ClipResult direct = clip2c::board::convertClip(file.get(), length, name, isSigned, target, 8000);
    require(direct.status != ClipStatus::Converted || direct.samples.size() <= length,
            "more samples than the file has bytes");

    if (rate == kOwnRate) rate = direct.sourceRate;
    const std::vector<std::uint8_t> prepared =
        clip2c::sound::prepareWaveFile(file.get(), length, rate, options);
    if (prepared.empty()) return 0;

    clip2c::WaveInfo info{};
    clip2c::parseWave(file.get(), length, info);
    require(info.blockAlign != 0 && info.channels != 0, "a file without a block align or channels prepared");
    const std::uint32_t frames = info.dataSize / info.blockAlign;

    const auto preparedLength = static_cast<std::uint32_t>(prepared.size());

    const std::unique_ptr<std::uint8_t[]> preparedCopy = exactCopy(prepared.data(), preparedLength);
    const ClipResult converted = clip2c::board::convertClip(
        preparedCopy.get(), preparedLength, clip2c::board::preparedName(name), isSigned, target, rate);
    require(converted.status == ClipStatus::Converted, "the prepared file does not convert under its name");
    require(converted.sourceChannels == 1 && converted.sourceBits == 8 && converted.sourceRate == rate,
            "the prepared file is not 8-bit mono at the rate asked for");
    const std::size_t count = converted.samples.size();
    require(options.trim ? count <= frames : count == frames,
            "the converted samples are not the file's frames");
    require(prepared.size() == 44u + count + (count & 1u), "the prepared file is not the canonical one");
    const auto silent = [](std::uint8_t v) { return v >= 126 && v <= 130; };
    require(!options.trim || count == 0 ||
                (!silent(converted.samples.front()) && !silent(converted.samples.back())),
            "a trimmed clip begins or ends in silence");
    require(converted.sampleRate == rate, "the converted rate is not the prepared one");
    require(prepared == clip2c::sound::makeWaveFile(converted.samples, rate),
            "the prepared file is not the canonical file of its samples");
    if (info.channels == 1 && info.blockAlign == 1 && frames != 0 && !options.normalize && !options.trim) {
        require(std::memcmp(converted.samples.data(), info.data, frames) == 0,
                "an 8-bit mono file did not come back sample for sample");
    }
    return 0;
}
