// SPDX-License-Identifier: MIT
// The C functions of web/exports.cpp, which the page's script calls in the
// WebAssembly module and the unit tests call natively; what each does is
// said where it is defined.
#pragma once

#include <cstdint>
#include <vector>

#include "board/bank.h"
#include "board/make_clip.h"

// A clip the engine made (board::makeClip), with the request it was made
// for, which finishes it when it needs a decoder, and, for IMA ADPCM, its
// samples decoded.
struct Clip2cClip {
    clip2c::board::ClipRequest request;
    clip2c::board::BoardClip clip;
    std::vector<std::int16_t> decoded;
};

// A bank being gathered (its request, whose files' bytes are the blocks it
// holds) and, once made, the engine's bank (board::makeBank), with each IMA
// ADPCM clip's samples decoded.
struct Clip2cBank {
    clip2c::board::BankRequest request;
    std::vector<void*> blocks;
    clip2c::board::BankResult result;
    std::vector<std::vector<std::int16_t>> decoded;
};

extern "C" {
void* clip2c_alloc(std::uint32_t size);
void clip2c_release(void* block);
Clip2cClip* clip2c_make_clip(const std::uint8_t* bytes, std::uint32_t length, const char* fileName,
                             const char* name, int isSigned, int target, std::uint32_t rate, int flags);
Clip2cClip* clip2c_make_decoded_clip(const Clip2cClip* first, const float* planar, std::uint32_t channelCount,
                                     std::uint32_t frames);
std::uint8_t* clip2c_sixteen_bit_wave(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                                      std::uint32_t rate, std::uint32_t* length);
int clip2c_clip_outcome(const Clip2cClip* c);
int clip2c_clip_status(const Clip2cClip* c);
const char* clip2c_clip_name(const Clip2cClip* c);
std::uint32_t clip2c_clip_note_count(const Clip2cClip* c);
const char* clip2c_clip_note(const Clip2cClip* c, std::uint32_t index);
int clip2c_clip_rate_offer(const Clip2cClip* c);
int clip2c_clip_not_wave(const Clip2cClip* c);
std::uint32_t clip2c_clip_prepare_rate(const Clip2cClip* c);
const char* clip2c_clip_text(const Clip2cClip* c);
std::uint32_t clip2c_clip_text_length(const Clip2cClip* c);
const char* clip2c_clip_output_name(const Clip2cClip* c);
const std::uint8_t* clip2c_clip_samples(const Clip2cClip* c);
std::uint32_t clip2c_clip_sample_count(const Clip2cClip* c);
int clip2c_clip_encoding(const Clip2cClip* c);
std::uint32_t clip2c_clip_adpcm_samples(const Clip2cClip* c);
const std::int16_t* clip2c_clip_decoded(const Clip2cClip* c);
const char* clip2c_clip_array_name(const Clip2cClip* c);
std::uint32_t clip2c_clip_sample_rate(const Clip2cClip* c);
int clip2c_clip_fits(const Clip2cClip* c);
const char* clip2c_clip_fit_text(const Clip2cClip* c);
const char* clip2c_clip_what(const Clip2cClip* c);
const std::uint8_t* clip2c_clip_prepared_wave(const Clip2cClip* c);
std::uint32_t clip2c_clip_prepared_wave_length(const Clip2cClip* c);
const char* clip2c_clip_prepared_name(const Clip2cClip* c);
void clip2c_clip_free(Clip2cClip* c);
Clip2cBank* clip2c_bank_new(const char* name, int isSigned, int target, std::uint32_t rate, int flags);
void clip2c_bank_add(Clip2cBank* b, std::uint8_t* block, std::uint32_t length, const char* fileName,
                     const char* name);
void clip2c_bank_make(Clip2cBank* b);
int clip2c_bank_refusal(const Clip2cBank* b);
std::uint32_t clip2c_bank_refused_clip(const Clip2cBank* b);
const char* clip2c_bank_refusal_text(const Clip2cBank* b);
const char* clip2c_bank_text(const Clip2cBank* b);
std::uint32_t clip2c_bank_text_length(const Clip2cBank* b);
std::uint32_t clip2c_bank_note_count(const Clip2cBank* b);
const char* clip2c_bank_note(const Clip2cBank* b, std::uint32_t index);
int clip2c_bank_fits(const Clip2cBank* b);
const char* clip2c_bank_fit_text(const Clip2cBank* b);
std::uint32_t clip2c_bank_sample_count(const Clip2cBank* b);
std::uint32_t clip2c_bank_clip_count(const Clip2cBank* b);
const char* clip2c_bank_clip_name(const Clip2cBank* b, std::uint32_t index);
const std::uint8_t* clip2c_bank_clip_samples(const Clip2cBank* b, std::uint32_t index);
std::uint32_t clip2c_bank_clip_sample_count(const Clip2cBank* b, std::uint32_t index);
std::uint32_t clip2c_bank_clip_sample_rate(const Clip2cBank* b, std::uint32_t index);
int clip2c_bank_clip_encoding(const Clip2cBank* b, std::uint32_t index);
const std::int16_t* clip2c_bank_clip_decoded(const Clip2cBank* b, std::uint32_t index);
std::uint32_t clip2c_bank_clip_adpcm_samples(const Clip2cBank* b, std::uint32_t index);
void clip2c_bank_free(Clip2cBank* b);
const char* clip2c_texts();
}
