// SPDX-License-Identifier: MIT
// Fuzzes the engine every door shares: one clip made for a board from an
// arbitrary file under an arbitrary name (makeClip), prepared and
// resampled at arbitrary rates.
//
// The input is: a mode byte, two rate bytes, the file's name, a NUL, the
// file's bytes. Without a NUL the rest is all name and the file is empty.
// In the mode byte, bit 0 asks for signed output, bit 1 forces a prepare at
// the chosen rate, bit 2 leaves the rate unchosen (0: a WAV keeps its own),
// bit 3 asks for IMA ADPCM, bit 4 to normalize, bit 5 to trim, and bits 6
// and 7 pick the target. The rate bytes, little-endian, choose a rate from 1,000 to
// 66,535 Hz.
//
// Whatever the file, a made clip's text is there and its samples are the
// array's; a prepared clip is an 8-bit mono WAV file at the rate it was
// prepared at that converts to the very same samples, exactly as many as
// the file's frames resampled to that rate (or fewer when trimmed, with no
// silence left at either end); an 8-bit mono file made without any option
// comes back sample for sample. In IMA ADPCM a made clip's bytes are as
// many as its samples take, decode to exactly its count of samples and are
// the data chunk of its WAV file. The same file, whole and cut in half, also
// makes a bank of two clips of one name: when it is made, its clips have
// distinct names and its samples are theirs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/bank.h"
#include "board/clip_conversion.h"
#include "board/make_clip.h"
#include "fuzz/fuzz_check.h"
#include "input/wave.h"
#include "sound/ima_adpcm.h"
#include "sound/pcm_wave.h"
#include "sound/prepare.h"
#include "sound/resample.h"

using clip2c::board::BoardClip;
using clip2c::board::ClipOutcome;
using clip2c::board::ClipResult;
using clip2c::board::ClipStatus;
using clip2c::board::MadeClip;
using clip2c::fuzz::require;

namespace {

// Clips longer than this are not made. Under the sanitizers every sample
// costs many times what it costs in a release build, and the engine's
// cases (edges, phases, rates, names, options) are as likely in a short
// clip, so short clips let the fuzzer try many more inputs; a file that
// claims 1 Hz, resampled to 66 kHz, would otherwise spend the run on one.
constexpr std::uint64_t kMostSamples = 1u << 12;
// The IMA ADPCM encoder's search costs far more a sample than the rest of
// the engine: an IMA ADPCM clip, and its file, are kept within one block.
constexpr std::uint64_t kMostAdpcmSamples = 1u << 7;

// A copy of `size` bytes at `bytes` in a heap block of exactly that size, so
// that the sanitizers see any read past its end; null when `size` is 0.
std::unique_ptr<std::uint8_t[]> exactCopy(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return nullptr;
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    std::memcpy(copy.get(), bytes, size);
    return copy;
}

// A bank of the whole file and its first half, both under the file's name.
void checkBank(const std::uint8_t* file, std::uint32_t length, const clip2c::board::ClipRequest& one) {
    clip2c::board::BankRequest request;
    request.name = "fuzz";
    request.target = one.target;
    request.rate = one.rate;
    request.options = one.options;
    request.isSigned = one.isSigned;
    request.encoding = one.encoding;
    request.files = {{file, length, one.fileName, std::nullopt},
                     {file, length / 2, one.fileName, std::nullopt}};
    const clip2c::board::BankResult bank = clip2c::board::makeBank(request);
    if (bank.refusal != clip2c::board::BankRefusal::None) {
        require(bank.text.empty() && !bank.refusalText.empty(),
                "a refused bank without its reason, or with a text");
        return;
    }
    require(bank.clips.size() == 2 && bank.clips[0].name != bank.clips[1].name,
            "a bank's clips share a name");
    const auto samplesOf = [](const BoardClip& clip) -> std::uint64_t { return clip.made.sampleCount; };
    require(bank.sampleCount == samplesOf(bank.clips[0]) + samplesOf(bank.clips[1]),
            "a bank's samples are not its clips'");
    require(bank.text.find("enum {") != std::string::npos &&
                bank.text.find("_at(unsigned index)") != std::string::npos,
            "a bank's text without its enum or its accessor");
}

// An IMA ADPCM clip of at most `most` samples (trimmed: fewer): its bytes
// as many as its samples take, decoding to exactly its count, and the data
// chunk of its WAV file.
void checkAdpcm(const BoardClip& clip, std::uint32_t fileLength, std::uint64_t most) {
    const MadeClip& result = clip.made;
    require(result.encoding == clip2c::board::Encoding::ImaAdpcm, "an IMA ADPCM clip made as another");
    const std::uint64_t count = result.sampleCount;
    require(result.bytes.size() == clip2c::sound::adpcmBytes(count) &&
                clip2c::sound::adpcmSampleCount(count) == count,
            "an IMA ADPCM clip's bytes are not as many as its samples take");
    require(count <= clip2c::sound::adpcmSampleCount(clip.source.isRaw ? fileLength : most),
            "an IMA ADPCM clip longer than its sound");
    const std::unique_ptr<std::uint8_t[]> data = exactCopy(result.bytes.data(), result.bytes.size());
    const std::vector<std::int16_t> decoded =
        clip2c::sound::decodeAdpcm(data.get(), result.bytes.size(), SIZE_MAX);
    require(decoded.size() == count, "an IMA ADPCM clip does not decode to its count of samples");
    const std::vector<std::uint8_t>& file = result.preparedWave;
    require(file.size() >= result.bytes.size() + 8 &&
                std::equal(result.bytes.begin(), result.bytes.end(),
                           file.end() -
                               static_cast<std::ptrdiff_t>(result.bytes.size() + (result.bytes.size() & 1))),
            "the IMA ADPCM WAV file's data chunk is not the array's bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 3 || size - 3 > UINT32_MAX) return 0;
    clip2c::board::ClipRequest request;
    request.isSigned = (bytes[0] & 1u) != 0;
    request.forcePrepare = (bytes[0] & 2u) != 0;
    request.rate = (bytes[0] & 4u) != 0 ? 0 : 1000u + (bytes[1] | (std::uint32_t{bytes[2]} << 8));
    request.options = {(bytes[0] & 0x10u) != 0, (bytes[0] & 0x20u) != 0};
    const bool adpcm = (bytes[0] & 8u) != 0;
    if (adpcm) request.encoding = clip2c::board::Encoding::ImaAdpcm;
    request.target = static_cast<clip2c::board::Target>(bytes[0] >> 6);
    const std::uint8_t* rest = bytes + 3;
    const std::size_t restSize = size - 3;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(rest, 0, restSize));
    const std::size_t nameSize = nul == nullptr ? restSize : static_cast<std::size_t>(nul - rest);
    request.fileName.assign(reinterpret_cast<const char*>(rest), nameSize);
    const std::size_t fileOffset = nul == nullptr ? restSize : nameSize + 1;
    const auto length = static_cast<std::uint32_t>(restSize - fileOffset);
    const std::unique_ptr<std::uint8_t[]> file = exactCopy(rest + fileOffset, length);

    // How long the prepared clip would be, before any of it is made.
    const clip2c::sound::PcmWave wave = clip2c::sound::readPcmWave(file.get(), length);
    const std::uint32_t waveRate = request.rate != 0 ? request.rate : wave.sampleRate;
    const std::optional<std::uint32_t> resampled =
        clip2c::sound::resampledLength(wave.frames, wave.sampleRate, waveRate);
    if (wave.readable && (!resampled || *resampled > (adpcm ? kMostAdpcmSamples : kMostSamples))) return 0;
    if (adpcm && length > kMostAdpcmSamples) return 0;

    checkBank(file.get(), length, request);
    const BoardClip clip = clip2c::board::makeClip(file.get(), length, request);
    require(clip.outcome != ClipOutcome::Made || clip.status == ClipStatus::Converted,
            "a made clip whose status is not Converted");
    if (clip.outcome != ClipOutcome::Made) {
        require(clip.made.preparedWave.empty() || clip.status != ClipStatus::Converted,
                "a refusal with a clip");
        return 0;
    }
    const MadeClip& result = clip.made;
    require(!result.text.empty(), "a made clip without a text");
    require(result.fit.text.size() > 0, "a made clip without its fit");
    if (adpcm) {
        checkAdpcm(clip, length, wave.readable ? std::max<std::uint64_t>(*resampled, wave.frames) : length);
        return 0;
    }
    if (result.preparedWave.empty()) {
        require(result.bytes.size() <= length, "more samples than the file has bytes");
        require(!request.options.normalize && !request.options.trim, "an option asked for and not done");
        if (wave.readable && wave.channels == 1 && wave.blockAlign == 1 && !clip.source.isRaw) {
            require(result.bytes.size() == wave.frames &&
                        std::equal(result.bytes.begin(), result.bytes.end(), wave.data),
                    "an 8-bit mono file did not come back sample for sample");
        }
        return 0;
    }

    // A prepared clip: the file that the text is of.
    const auto preparedLength = static_cast<std::uint32_t>(result.preparedWave.size());
    const std::unique_ptr<std::uint8_t[]> preparedCopy =
        exactCopy(result.preparedWave.data(), preparedLength);
    const ClipResult again =
        clip2c::board::convertClip(preparedCopy.get(), preparedLength, result.preparedName, request.isSigned,
                                   request.target, clip.prepareRate);
    require(again.status == ClipStatus::Converted && again.text == result.text,
            "the prepared file does not convert to the clip's text");
    require(again.sourceChannels == 1 && again.sourceBits == 8 && again.sourceRate == clip.prepareRate,
            "the prepared file is not 8-bit mono at the rate it was prepared at");
    require(result.preparedWave == clip2c::sound::makeWaveFile(result.bytes, clip.prepareRate),
            "the prepared file is not the canonical file of its samples");
    const std::size_t count = result.bytes.size();
    const std::size_t expected = clip.source.isRaw || !wave.readable ? length : *resampled;
    require(request.options.trim ? count <= expected : count == expected,
            "the prepared samples are not the file's frames at the new rate");
    const auto silent = [](std::uint8_t v) { return v >= 126 && v <= 130; };
    require(!request.options.trim || count == 0 ||
                (!silent(result.bytes.front()) && !silent(result.bytes.back())),
            "a trimmed clip begins or ends in silence");
    return 0;
}
