// SPDX-License-Identifier: MIT
// The C functions the page's script calls in the WebAssembly module. Every
// pointer is into the module's memory; strings are UTF-8. Handles that a
// function returns are freed with the matching *_free function.
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include <emscripten/emscripten.h>

#include "web/page_core.h"

using clip2c::web::PageResult;
using clip2c::web::PageStatus;

namespace {

// A byte string handed to the script: a prepared WAV file or a name. Its
// bytes are followed by a NUL, so a name reads as a C string.
struct Bytes {
    std::string value;
};

}  // namespace

extern "C" {

// Memory for the script to copy a file or decoded sound into; null when it
// cannot be had.
EMSCRIPTEN_KEEPALIVE void* clip2c_alloc(std::uint32_t size) { return std::malloc(size == 0 ? 1 : size); }
EMSCRIPTEN_KEEPALIVE void clip2c_release(void* block) { std::free(block); }

// Converts as the tool converts a file called `name` (NUL-terminated) in
// the current folder. Returns null only when memory runs out.
EMSCRIPTEN_KEEPALIVE PageResult* clip2c_convert(const std::uint8_t* bytes, std::uint32_t length,
                                                const char* name, int isSigned) {
    return new (std::nothrow) PageResult(clip2c::web::convertForPage(bytes, length, name, isSigned != 0));
}
EMSCRIPTEN_KEEPALIVE int clip2c_result_status(const PageResult* r) { return static_cast<int>(r->status); }
EMSCRIPTEN_KEEPALIVE const char* clip2c_result_text(const PageResult* r) { return r->text.data(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_text_length(const PageResult* r) {
    return static_cast<std::uint32_t>(r->text.size());
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_result_output_name(const PageResult* r) {
    return r->outputName.c_str();
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t* clip2c_result_samples(const PageResult* r) {
    return r->samples.data();
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_sample_count(const PageResult* r) {
    return static_cast<std::uint32_t>(r->samples.size());
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_result_sample_rate(const PageResult* r) { return r->sampleRate; }
EMSCRIPTEN_KEEPALIVE void clip2c_result_free(PageResult* r) { delete r; }

// The tool's message for a status (NUL-terminated UTF-8, ending "\n");
// empty when the tool prints none.
EMSCRIPTEN_KEEPALIVE const char* clip2c_message(int status) {
    return clip2c::web::pageMessage(static_cast<PageStatus>(status)).data();
}

// Mixes planar float channels to mono and quantizes them into an 8-bit mono
// WAV file at `sampleRate`. Returns null only when memory runs out.
EMSCRIPTEN_KEEPALIVE Bytes* clip2c_prepare(const float* planar, std::uint32_t channelCount,
                                           std::uint32_t frames, std::uint32_t sampleRate) {
    const auto samples = clip2c::web::mixToEightBit(planar, channelCount, frames);
    const auto file = clip2c::web::makeWaveFile(samples, sampleRate);
    return new (std::nothrow) Bytes{std::string(file.begin(), file.end())};
}

// A PCM WAV file at `sampleRate` prepared by the core alone; null when it is
// not one the core reads, or memory runs out.
EMSCRIPTEN_KEEPALIVE Bytes* clip2c_prepare_wave(const std::uint8_t* bytes, std::uint32_t length,
                                                std::uint32_t sampleRate) {
    const auto file = clip2c::web::prepareWaveFile(bytes, length, sampleRate);
    if (file.empty()) return nullptr;
    return new (std::nothrow) Bytes{std::string(file.begin(), file.end())};
}

// The name a prepared clip is converted and offered under ("<name>.wav").
EMSCRIPTEN_KEEPALIVE Bytes* clip2c_prepared_name(const char* name) {
    return new (std::nothrow) Bytes{clip2c::web::preparedName(name)};
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_bytes_data(const Bytes* b) { return b->value.c_str(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bytes_length(const Bytes* b) {
    return static_cast<std::uint32_t>(b->value.size());
}
EMSCRIPTEN_KEEPALIVE void clip2c_bytes_free(Bytes* b) { delete b; }

// What the chunk walk reads of a WAV file's format: stores channels, sample
// rate and bits per sample at out[0..2], all 0 when it is not a WAV file.
EMSCRIPTEN_KEEPALIVE void clip2c_source_format(const std::uint8_t* bytes, std::uint32_t length,
                                               std::uint32_t* out) {
    const clip2c::web::SourceFormat format = clip2c::web::readSourceFormat(bytes, length);
    out[0] = format.channels;
    out[1] = format.sampleRate;
    out[2] = format.bitsPerSample;
}

}  // extern "C"
