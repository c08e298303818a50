// SPDX-License-Identifier: MIT
// Builders of RIFF WAVE images for the tests: well-formed files, and the
// pieces to make broken ones (sizes that lie, chunks cut off or out of
// order).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace clip2c::test {

using Bytes = std::vector<std::uint8_t>;

inline void putU16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putU32(Bytes& b, std::uint32_t v) {
    putU16(b, v & 0xFFFF);
    putU16(b, v >> 16);
}
inline void putId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

// The 12-byte RIFF header declaring `riffSize`, of the form `form`.
inline Bytes riff(std::uint32_t riffSize, const char* form = "WAVE") {
    Bytes b;
    putId(b, "RIFF");
    putU32(b, riffSize);
    putId(b, form);
    return b;
}

// A chunk declaring `declared` bytes, followed by `bodyBytes` bytes of `fill`.
inline void chunk(Bytes& b, const char* id, std::uint32_t declared, std::size_t bodyBytes,
                  std::uint8_t fill = 0x80) {
    putId(b, id);
    putU32(b, declared);
    b.resize(b.size() + bodyBytes, fill);
}

// A PCM "fmt " chunk of 16 bytes, declaring `declared`.
inline void fmt(Bytes& b, std::uint32_t channels, std::uint32_t rate, std::uint32_t blockAlign,
                std::uint32_t bits, std::uint32_t declared = 16) {
    putId(b, "fmt ");
    putU32(b, declared);
    putU16(b, 1);
    putU16(b, channels);
    putU32(b, rate);
    putU32(b, rate * blockAlign);
    putU16(b, blockAlign);
    putU16(b, bits);
}

inline Bytes withRiffSize(Bytes b, std::uint32_t size) {
    for (std::size_t i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return b;
}

// Sets the RIFF size field to what the image actually holds.
inline Bytes sealed(Bytes b) {
    const auto size = static_cast<std::uint32_t>(b.size() - 8);
    return withRiffSize(std::move(b), size);
}

// A whole WAV file of the given format tag, channels and sample width at
// `rate`, holding `data`; `extensible` puts the tag in a
// WAVE_FORMAT_EXTENSIBLE subformat.
inline Bytes waveOf(std::uint16_t tag, std::uint16_t channels, std::uint16_t width, const Bytes& data,
                    bool extensible = false, std::uint32_t rate = 8000) {
    const auto align = static_cast<std::uint16_t>(channels * width);
    Bytes body;
    putU16(body, extensible ? 0xFFFE : tag);
    putU16(body, channels);
    putU32(body, rate);
    putU32(body, rate * align);
    putU16(body, align);
    putU16(body, 8u * width);
    if (extensible) {
        putU16(body, 22);  // the extension's size
        putU16(body, 8u * width);
        putU32(body, 3);  // channel mask
        // The subformat GUID: the tag, then the fixed tail of every PCM GUID.
        putU16(body, tag);
        body.insert(body.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    }
    Bytes out = riff(0);
    putId(out, "fmt ");
    putU32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    putId(out, "data");
    putU32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return sealed(std::move(out));
}

// An integer PCM WAV file at 8000 Hz of the given channels and block align.
inline Bytes wave(std::uint16_t channels, std::uint16_t align, const Bytes& data) {
    return waveOf(1, channels, static_cast<std::uint16_t>(align / channels), data);
}

// Sample data for a WAV file's data chunk.

// The low `width` bytes of `word`, least significant first.
inline void putLe(Bytes& out, std::uint64_t word, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

// Each frame's channels, as samples of `width` bytes holding `values`
// (little-endian two's complement; 8-bit as unsigned).
inline Bytes frames(std::uint16_t width, std::initializer_list<std::int64_t> values) {
    Bytes out;
    for (const std::int64_t v : values)
        putLe(out, static_cast<std::uint64_t>(width == 1 ? v + 128 : v), width);
    return out;
}

// Little-endian 32-bit and 64-bit floats.
inline Bytes floats(std::initializer_list<float> values) {
    Bytes out;
    for (const float v : values) putLe(out, std::bit_cast<std::uint32_t>(v), 4);
    return out;
}
inline Bytes doubles(std::initializer_list<double> values) {
    Bytes out;
    for (const double v : values) putLe(out, std::bit_cast<std::uint64_t>(v), 8);
    return out;
}

}  // namespace clip2c::test
