// SPDX-License-Identifier: MIT
// The C functions of web/exports.cpp, which the page's script calls in the
// WebAssembly module and the unit tests call natively; what each does is
// said where it is defined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/bank.h"
#include "board/make_clip.h"

// What the script reads of a result: one JSON object, and the large blocks
// it names by their index here ({"buffer": index, "length": bytes}), which
// point into the result or into `decoded`.
struct Clip2cSummary {
    struct Buffer {
        const void* data = nullptr;
        std::size_t length = 0;
    };
    std::string json;
    std::vector<Buffer> buffers;
    std::vector<std::vector<std::int16_t>> decoded;  // IMA ADPCM clips' samples, decoded
};

// A clip the engine made (board::makeClip), with the request it was made
// for, which finishes it when it needs a decoder, and its summary.
struct Clip2cClip {
    clip2c::board::ClipRequest request;
    clip2c::board::BoardClip clip;
    Clip2cSummary summary;
};

// A bank being gathered (its request, whose files' bytes are the blocks it
// holds, or the WAV files made of the samples the browser decoded) and,
// once made, the engine's bank (board::makeBank) and its summary.
struct Clip2cBank {
    clip2c::board::BankRequest request;
    std::vector<void*> blocks;                            // one a file, null once decoded
    std::vector<std::vector<std::uint8_t>> decodedWaves;  // one a file, empty unless decoded
    clip2c::board::BankResult result;
    Clip2cSummary summary;
};

extern "C" {
void* clip2c_alloc(std::uint32_t size);
void clip2c_release(void* block);
const char* clip2c_texts();
const char* clip2c_flags();
Clip2cClip* clip2c_make_clip(const std::uint8_t* bytes, std::uint32_t length, const char* fileName,
                             const char* name, int isSigned, const char* target, const char* encoding,
                             std::uint32_t rate, int flags);
Clip2cClip* clip2c_make_decoded_clip(const Clip2cClip* first, const float* planar, std::uint32_t channelCount,
                                     std::uint32_t frames);
const char* clip2c_clip_summary(const Clip2cClip* c);
const void* clip2c_clip_buffer(const Clip2cClip* c, std::uint32_t index);
void clip2c_clip_free(Clip2cClip* c);
Clip2cBank* clip2c_bank_new(const char* name, int isSigned, const char* target, const char* encoding,
                            std::uint32_t rate, int flags);
void clip2c_bank_add(Clip2cBank* b, std::uint8_t* block, std::uint32_t length, const char* fileName,
                     const char* name);
int clip2c_bank_decoded(Clip2cBank* b, std::uint32_t index, const float* planar, std::uint32_t channelCount,
                        std::uint32_t frames, std::uint32_t rate, const char* fileName);
void clip2c_bank_make(Clip2cBank* b);
const char* clip2c_bank_summary(const Clip2cBank* b);
const void* clip2c_bank_buffer(const Clip2cBank* b, std::uint32_t index);
void clip2c_bank_free(Clip2cBank* b);
}
