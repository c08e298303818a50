// SPDX-License-Identifier: MIT
// 4-bit IMA ADPCM, mono, as a WAV file holds it (format tag 0x11): blocks
// of kAdpcmBlockBytes bytes, each a 4-byte header (the block's first
// sample, 16-bit little-endian, then its step index and a zero byte) and
// then one nibble a sample, low nibble first. The last block may be short.
//
// Decoding follows the IMA reference in its shift-and-add form:
//   diff = step >> 3; bit 2: diff += step; bit 1: diff += step >> 1;
//   bit 0: diff += step >> 2; bit 3 negates diff;
// the sample is clamped to 16 bits and the step index to 0..88. The
// product form ((2n + 1) * step) >> 3 rounds differently and is not this.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace clip2c::sound {

inline constexpr std::uint32_t kAdpcmBlockBytes = 256;

// The step sizes, by step index: the decoders the header carries are made
// from this one table.
inline constexpr std::array<std::uint16_t, 89> kAdpcmSteps = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// The header's sample, then two a byte.
inline constexpr std::uint32_t kAdpcmBlockSamples = 1 + (kAdpcmBlockBytes - 4) * 2;

// The samples that `count` samples are encoded as: `count` made whole
// 8-sample words past a short last block's header, at most 7 more. WAV
// readers (sox, ffmpeg) decode a short block's nibbles in 4-byte words and
// drop the rest, so a clip of any other length would lose its last samples
// there.
std::uint64_t adpcmSampleCount(std::uint64_t count);

// The bytes that adpcmSampleCount(count) samples take: whole blocks, then
// a short one of its 4-byte header and a byte for every two samples after.
std::uint64_t adpcmBytes(std::uint64_t count);

// The most samples that `bytes` bytes hold.
std::uint64_t adpcmSamplesIn(std::uint64_t bytes);

// `count` 16-bit samples encoded: adpcmBytes(count) bytes, which decode to
// adpcmSampleCount(count) samples, the last sample held to the end. Each
// block starts exactly at its first sample; the nibbles and the block's
// step index are chosen by a search over paths of nibbles (see the .cpp)
// for the least squared error, in integers alone, so every platform gives
// the same bytes.
std::vector<std::uint8_t> encodeAdpcm(const std::int16_t* samples, std::size_t count);

// The first `count` samples that `bytes` decode to; fewer when the bytes
// end first (a block cut short gives the samples its bytes hold).
std::vector<std::int16_t> decodeAdpcm(const std::uint8_t* bytes, std::size_t length, std::size_t count);

// A mono IMA ADPCM WAV file at `sampleRate` holding `data` (encodeAdpcm's
// bytes of `sampleCount` samples): "fmt " of 20 bytes (tag 0x11, 4 bits,
// block align kAdpcmBlockBytes, kAdpcmBlockSamples samples a block), a
// "fact" chunk with the count, and the data. Empty when the data would not
// fit a WAV file's 32-bit sizes.
std::vector<std::uint8_t> makeAdpcmWaveFile(const std::vector<std::uint8_t>& data, std::uint32_t sampleCount,
                                            std::uint32_t sampleRate);

}  // namespace clip2c::sound
