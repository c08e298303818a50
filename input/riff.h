// SPDX-License-Identifier: MIT
// The facts of RIFF WAVE files, written once: chunk ids, format tags, and
// the little-endian fields read and written byte by byte, so that no
// alignment or host byte order is assumed. A reader's caller checks that
// the bytes are there.
#pragma once

#include <cstdint>
#include <vector>

namespace clip2c::riff {

// Chunk ids as a little-endian read of their four bytes gives them.
inline constexpr std::uint32_t kRiffId = 0x46464952;  // "RIFF"
inline constexpr std::uint32_t kWaveId = 0x45564157;  // "WAVE"
inline constexpr std::uint32_t kFmtId = 0x20746D66;   // "fmt "
inline constexpr std::uint32_t kFactId = 0x74636166;  // "fact"
inline constexpr std::uint32_t kDataId = 0x61746164;  // "data"

// The "fmt " chunk's format tags the engine knows by name.
inline constexpr std::uint32_t kPcmTag = 0x0001;
inline constexpr std::uint32_t kMsAdpcmTag = 0x0002;
inline constexpr std::uint32_t kFloatTag = 0x0003;
inline constexpr std::uint32_t kALawTag = 0x0006;
inline constexpr std::uint32_t kMuLawTag = 0x0007;
inline constexpr std::uint32_t kImaAdpcmTag = 0x0011;
inline constexpr std::uint32_t kGsmTag = 0x0031;
inline constexpr std::uint32_t kMpegTag = 0x0050;
inline constexpr std::uint32_t kMp3Tag = 0x0055;
inline constexpr std::uint32_t kWmaTag = 0x0161;
inline constexpr std::uint32_t kExtensibleTag = 0xFFFE;  // the real tag is the subformat's

inline std::uint16_t readU16le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t readU32le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Appends the low 16 bits of `value`, little-endian.
inline void putU16le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

// Appends `value`, little-endian: a chunk id as its four bytes.
inline void putU32le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putU16le(out, value & 0xFFFFu);
    putU16le(out, value >> 16);
}

// Whether the bytes begin a RIFF WAVE file: "RIFF" at 0 and "WAVE" at 8.
inline bool isRiffWave(const std::uint8_t* bytes, std::uint64_t length) {
    return length >= 12 && readU32le(bytes) == kRiffId && readU32le(bytes + 8) == kWaveId;
}

}  // namespace clip2c::riff
