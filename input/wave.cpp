// SPDX-License-Identifier: MIT
#include "input/wave.h"

#include "input/riff.h"

namespace clip2c {
namespace {

constexpr std::uint64_t kRiffHeaderSize = 12;
constexpr std::uint64_t kChunkHeaderSize = 8;
// A "fmt " chunk's fields end with the block align at offset 20, counted
// from the chunk's id.
constexpr std::uint64_t kFmtFieldsEnd = 22;

void readFmtChunk(const std::uint8_t* chunk, WaveInfo& info) {
    info.channels = riff::readU16le(chunk + 10);
    info.sampleRate = riff::readU32le(chunk + 12);
    info.blockAlign = riff::readU16le(chunk + 20);
    // A channel count of 0 is rejected by the caller; it gets no division.
    info.bitsPerSample = info.channels == 0 ? 0 : info.blockAlign / info.channels * 8;
}

// Walks the chunks of a WAVE image, calling visit(chunk, remaining) with each
// chunk header the walk reaches and the bytes from it to the image's end
// (at least a header's worth). The walk ends at the RIFF size + 8, in 32-bit
// arithmetic: a RIFF size of 0xFFFFFFF8 or more wraps the limit below 12
// and no chunk is walked. Positions are 64-bit so that no body size can
// wrap them; every position the loop holds is at most `length`.
template <typename Visit>
void walkChunks(const std::uint8_t* image, std::size_t length, Visit visit) {
    const std::uint32_t limit = riff::readU32le(image + 4) + 8u;
    std::uint64_t position = kRiffHeaderSize;
    while (position < limit) {
        const std::uint64_t remaining = length - position;
        // A chunk header cut off by the end of the file ends the walk.
        if (remaining < kChunkHeaderSize) break;
        const std::uint8_t* chunk = image + position;
        visit(chunk, remaining);
        // An odd-sized body is followed by a pad byte that keeps the next
        // chunk at an even offset.
        const std::uint32_t bodySize = riff::readU32le(chunk + 4);
        const std::uint64_t next = position + kChunkHeaderSize + bodySize + (bodySize & 1u);
        if (next > length) break;
        position = next;
    }
}

bool isWave(const std::uint8_t* image, std::size_t length) {
    return length >= kRiffHeaderSize && riff::readU32le(image + 8) == riff::kWaveId;
}

}  // namespace

void parseWave(const std::uint8_t* image, std::size_t length, WaveInfo& info) {
    if (!isWave(image, length)) return;
    info.image = image;
    walkChunks(image, length, [&](const std::uint8_t* chunk, std::uint64_t remaining) {
        const std::uint32_t id = riff::readU32le(chunk);
        if (id == riff::kFmtId) {
            // The fields are read at fixed offsets whatever size the chunk
            // declares; a chunk cut off before them gives nothing.
            if (remaining >= kFmtFieldsEnd) readFmtChunk(chunk, info);
        } else if (id == riff::kDataId) {
            // A file cut short, or one written while streaming with a size
            // of 0xFFFFFFFF, declares more than it holds: take what is there.
            const std::uint32_t bodySize = riff::readU32le(chunk + 4);
            const std::uint64_t held = remaining - kChunkHeaderSize;
            info.data = chunk + kChunkHeaderSize;
            info.dataSize = bodySize <= held ? bodySize : static_cast<std::uint32_t>(held);
        }
    });
}

const std::uint8_t* findLastChunk(std::uint32_t id, const std::uint8_t* image, std::size_t length,
                                  std::uint64_t& available) {
    const std::uint8_t* found = nullptr;
    if (!isWave(image, length)) return found;
    walkChunks(image, length, [&](const std::uint8_t* chunk, std::uint64_t remaining) {
        if (riff::readU32le(chunk) != id) return;
        found = chunk;
        available = remaining;
    });
    return found;
}

}  // namespace clip2c
