// SPDX-License-Identifier: MIT
// The RIFF WAVE chunk walk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace clip2c {

// What the chunk walk found in a WAV image. Zero a record before parseWave;
// every field the walk does not reach stays zero. The two positions point
// into the image and are valid only while it lives.
struct WaveInfo {
    const std::uint8_t* image = nullptr;  // start of the image, once "WAVE" was seen
    const std::uint8_t* data = nullptr;   // body of the last "data" chunk
    std::uint32_t dataSize = 0;           // bytes at `data`, never past the image
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bitsPerSample = 0;  // 8 * blockAlign / channels, not the file's field
    std::uint32_t blockAlign = 0;
};

// Walks the chunks of `image` (`length` bytes) into `info`, which the caller
// has zeroed. Only "fmt " and "data" chunks are read; when one occurs more
// than once the last one's values stay. Reads nothing outside the image and
// always ends; an image without "WAVE" at offset 8 leaves `info` untouched.
void parseWave(const std::uint8_t* image, std::size_t length, WaveInfo& info);

// Finds the last chunk with the id `id` (four bytes, read little-endian)
// that parseWave's walk of `image` reaches. Returns its first byte and stores in
// `available` the bytes from there to the image's end (at least its 8-byte
// header); null when no such chunk is reached or the image is no WAVE.
const std::uint8_t* findLastChunk(std::uint32_t id, const std::uint8_t* image, std::size_t length,
                                  std::uint64_t& available);

}  // namespace clip2c
