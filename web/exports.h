// SPDX-License-Identifier: MIT
// The C functions of web/exports.cpp, which the page's script calls in the
// WebAssembly module and the unit tests call natively; what each does is
// said where it is defined.
#pragma once

#include <cstdint>

#include "board/clip_conversion.h"
#include "board/names.h"
#include "board/texts.h"
#include "sound/prepare.h"

struct Clip2cBytes;

extern "C" {
void* clip2c_alloc(std::uint32_t size);
void clip2c_release(void* block);
clip2c::board::ClipResult* clip2c_convert(const std::uint8_t* bytes, std::uint32_t length, const char* name,
                                        int isSigned, int target, std::uint32_t chosenRate);
int clip2c_result_status(const clip2c::board::ClipResult* r);
const char* clip2c_result_text(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_text_length(const clip2c::board::ClipResult* r);
const char* clip2c_result_output_name(const clip2c::board::ClipResult* r);
const std::uint8_t* clip2c_result_samples(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_sample_count(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_sample_rate(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_data_promised(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_data_held(const clip2c::board::ClipResult* r);
int clip2c_result_riff_wave(const clip2c::board::ClipResult* r);
int clip2c_result_is_raw(const clip2c::board::ClipResult* r);
int clip2c_result_fits(const clip2c::board::ClipResult* r);
const char* clip2c_result_fit_text(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_source_channels(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_source_bits(const clip2c::board::ClipResult* r);
std::uint32_t clip2c_result_source_rate(const clip2c::board::ClipResult* r);
void clip2c_result_free(clip2c::board::ClipResult* r);
Clip2cBytes* clip2c_prepare(const float* planar, std::uint32_t channelCount, std::uint32_t frames,
                            std::uint32_t sampleRate, int flags);
Clip2cBytes* clip2c_prepare_wave(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t sampleRate,
                                 int flags);
Clip2cBytes* clip2c_prepare_raw(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t sampleRate,
                                int flags);
Clip2cBytes* clip2c_clip_name(const char* fileName);
Clip2cBytes* clip2c_propose_name(const char* name);
int clip2c_gives_identifier(const char* name);
Clip2cBytes* clip2c_convert_name(const char* fileName, const char* name);
Clip2cBytes* clip2c_prepared_name(const char* name);
const char* clip2c_bytes_data(const Clip2cBytes* b);
std::uint32_t clip2c_bytes_length(const Clip2cBytes* b);
void clip2c_bytes_free(Clip2cBytes* b);
const char* clip2c_texts();
}
