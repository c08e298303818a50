// SPDX-License-Identifier: MIT
// The C functions the page's script calls in the WebAssembly module. Every
// pointer is into the module's memory; strings are UTF-8. Handles that a
// function returns are freed with the matching *_free function. A handle
// that cannot be allocated stops the module (it is built without
// exceptions, so a failed new aborts), which the page reports as running
// out of memory before it loads a fresh one. Natively (the unit tests) the
// same functions are plain C functions.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE
#endif

#include "web/exports.h"
#include "board/clip_conversion.h"
#include "board/names.h"
#include "board/texts.h"
#include "sound/prepare.h"
#include "board/board_text.h"

using clip2c::board::ClipResult;
using clip2c::sound::PrepareOptions;
using clip2c::board::Target;

// A byte string handed to the script: a prepared WAV file or a name. Its
// bytes are followed by a NUL, so a name reads as a C string.
struct Clip2cBytes {
    std::string value;
};

namespace {

// Bit 0 of a prepare's flags asks to normalize, bit 1 to trim.
PrepareOptions optionsOf(int flags) {
    PrepareOptions options;
    options.normalize = (flags & 1) != 0;
    options.trim = (flags & 2) != 0;
    return options;
}

Clip2cBytes* handOut(std::string value) { return new Clip2cBytes{std::move(value)}; }

// A prepared file for the script; null when there is none (empty).
Clip2cBytes* fileBytes(const std::vector<std::uint8_t>& file) {
    if (file.empty()) return nullptr;
    return handOut(std::string(file.begin(), file.end()));
}

}  // namespace

extern "C" {

// Memory for the script to copy a file or decoded sound into; null when it
// cannot be had (a plain malloc, which does not stop the module).
EMSCRIPTEN_KEEPALIVE void* clip2c_alloc(std::uint32_t size) { return std::malloc(size == 0 ? 1 : size); }
EMSCRIPTEN_KEEPALIVE void clip2c_release(void* block) { std::free(block); }

// Converts as the tool converts a file called `name` (NUL-terminated) in
// the current folder, into the text for `target` (0 C, 1 firmware, 2
// PROGMEM, 3 __flash); `chosenRate` is the rate a raw clip plays at.
EMSCRIPTEN_KEEPALIVE ClipResult* clip2c_convert(const std::uint8_t* bytes, std::uint32_t length,
                                                const char* name, int isSigned, int target,
                                                std::uint32_t chosenRate) {
    const Target chosen =
        target >= 0 && target <= static_cast<int>(Target::Flash) ? static_cast<Target>(target) : Target::C;
    return new ClipResult(
        clip2c::board::convertClip(bytes, length, name, isSigned != 0, chosen, chosenRate));
}
EMSCRIPTEN_KEEPALIVE int clip2c_result_status(const ClipResult* r) { return static_cast<int>(r->status); }
EMSCRIPTEN_KEEPALIVE const char* clip2c_result_text(const ClipResult* r) { return r->text.data(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_text_length(const ClipResult* r) {
    return static_cast<std::uint32_t>(r->text.size());
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_result_output_name(const ClipResult* r) {
    return r->outputName.c_str();
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t* clip2c_result_samples(const ClipResult* r) {
    return r->samples.data();
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_sample_count(const ClipResult* r) {
    return static_cast<std::uint32_t>(r->samples.size());
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_sample_rate(const ClipResult* r) { return r->sampleRate; }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_data_promised(const ClipResult* r) {
    return r->dataPromised;
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_data_held(const ClipResult* r) { return r->dataHeld; }
EMSCRIPTEN_KEEPALIVE int clip2c_result_riff_wave(const ClipResult* r) {
    return static_cast<int>(r->isRiffWave);
}
EMSCRIPTEN_KEEPALIVE int clip2c_result_is_raw(const ClipResult* r) { return static_cast<int>(r->isRaw); }
EMSCRIPTEN_KEEPALIVE int clip2c_result_fits(const ClipResult* r) { return static_cast<int>(r->fit.fits); }
// NUL-terminated UTF-8; empty unless the conversion was made.
EMSCRIPTEN_KEEPALIVE const char* clip2c_result_fit_text(const ClipResult* r) { return r->fit.text.c_str(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_source_channels(const ClipResult* r) {
    return r->sourceChannels;
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_source_bits(const ClipResult* r) { return r->sourceBits; }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_source_rate(const ClipResult* r) { return r->sourceRate; }
EMSCRIPTEN_KEEPALIVE void clip2c_result_free(ClipResult* r) { delete r; }

// Mixes planar float channels to mono and quantizes them into an 8-bit mono
// WAV file at `sampleRate`, normalized and trimmed as `flags` say (bit 0,
// bit 1). Null when the clip is too long for a WAV file.
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_prepare(const float* planar, std::uint32_t channelCount,
                                                 std::uint32_t frames, std::uint32_t sampleRate, int flags) {
    const auto samples = clip2c::sound::mixToEightBit(planar, channelCount, frames, optionsOf(flags));
    return fileBytes(clip2c::sound::makeWaveFile(samples, sampleRate));
}

// A PCM WAV file at `sampleRate` prepared by the core alone, as `flags`
// say; null when it is not one the core reads.
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_prepare_wave(const std::uint8_t* bytes, std::uint32_t length,
                                                      std::uint32_t sampleRate, int flags) {
    return fileBytes(clip2c::sound::prepareWaveFile(bytes, length, sampleRate, optionsOf(flags)));
}

// A raw clip as an 8-bit mono WAV file at `sampleRate`, as `flags` say;
// null when it is too long for a WAV file.
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_prepare_raw(const std::uint8_t* bytes, std::uint32_t length,
                                                     std::uint32_t sampleRate, int flags) {
    return fileBytes(clip2c::sound::prepareRawFile(bytes, length, sampleRate, optionsOf(flags)));
}

// The array's base name the tool gives a file called `fileName` (clipName).
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_clip_name(const char* fileName) {
    return handOut(clip2c::board::clipName(fileName));
}
// `name`, or a name giving a C identifier in its place (proposeName).
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_propose_name(const char* name) {
    return handOut(clip2c::board::proposeName(name));
}
// 1 when `<name>_wave` is a C identifier (givesIdentifier), else 0.
EMSCRIPTEN_KEEPALIVE int clip2c_gives_identifier(const char* name) {
    return static_cast<int>(clip2c::board::givesIdentifier(name));
}
// The name a prepared clip is converted and offered under ("<name>.wav").
// The name to convert a file called `fileName` under when it is renamed
// to `name` (convertName).
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_convert_name(const char* fileName, const char* name) {
    return handOut(clip2c::board::convertName(fileName, name));
}
EMSCRIPTEN_KEEPALIVE Clip2cBytes* clip2c_prepared_name(const char* name) {
    return handOut(clip2c::board::preparedName(name));
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_bytes_data(const Clip2cBytes* b) { return b->value.c_str(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bytes_length(const Clip2cBytes* b) {
    return static_cast<std::uint32_t>(b->value.size());
}
EMSCRIPTEN_KEEPALIVE void clip2c_bytes_free(Clip2cBytes* b) { delete b; }

// The page's texts: the statuses and the notices as one JSON object
// (textsJson), NUL-terminated, owned by the module.
EMSCRIPTEN_KEEPALIVE const char* clip2c_texts() { return clip2c::board::textsJson().c_str(); }

}  // extern "C"
