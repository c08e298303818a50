// SPDX-License-Identifier: MIT
// Fuzzes the RIFF chunk walk with arbitrary bytes. Beyond the sanitizers'
// own checks (libFuzzer hands over a heap block of exactly `size` bytes, so
// any read past it is caught), it requires that everything the record points
// at lies inside the image.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "input/wave.h"

using clip2c::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    clip2c::WaveInfo info{};
    clip2c::parseWave(bytes, size, info);

    if (info.image == nullptr) {
        // Without the WAVE tag nothing may have been taken.
        require(info.data == nullptr && info.dataSize == 0 && info.channels == 0 && info.sampleRate == 0 &&
                    info.bitsPerSample == 0 && info.blockAlign == 0,
                "a record without the WAVE tag holds fields");
        return 0;
    }
    require(info.image == bytes, "image is not the start of the image");
    require(size >= 12, "a record was filled from fewer than 12 bytes");

    if (info.data == nullptr) {
        require(info.dataSize == 0, "a data size without a data position");
    } else {
        // Compared as addresses: a wrong pointer may lie outside the block,
        // where pointer arithmetic would not be defined.
        const auto start = reinterpret_cast<std::uintptr_t>(bytes);
        const auto data = reinterpret_cast<std::uintptr_t>(info.data);
        // The first body begins after the 12-byte RIFF header and an 8-byte chunk header.
        require(data >= start + 20, "data lies before the first chunk body");
        const std::size_t dataOffset = data - start;
        require(dataOffset <= size, "data lies past the end of the image");
        require(info.dataSize <= size - dataOffset, "data + dataSize passes the end of the image");
    }
    if (info.channels == 0) require(info.bitsPerSample == 0, "bits per sample without channels");
    return 0;
}
