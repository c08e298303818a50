// SPDX-License-Identifier: MIT
#include "sound/ima_adpcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace clip2c::sound {
namespace {

struct LayoutRow {
    const char* name;
    std::uint64_t count;
    std::uint64_t samples;  // adpcmSampleCount
    std::uint64_t bytes;    // adpcmBytes
};

TEST(ImaAdpcm, ShortLastBlockHoldsWholeWords) {
    const LayoutRow rows[] = {
        {"empty", 0, 0, 0},
        {"one sample: a header alone", 1, 1, 4},
        {"two samples make one word", 2, 9, 8},
        {"one word", 9, 9, 8},
        {"a word and one", 10, 17, 12},
        {"one whole block", 505, 505, 256},
        {"a block and a header", 506, 506, 260},
        {"a block and two", 507, 514, 264},
        {"two whole blocks", 1010, 1010, 512},
    };
    for (const LayoutRow& row : rows) {
        EXPECT_EQ(adpcmSampleCount(row.count), row.samples) << row.name;
        EXPECT_EQ(adpcmBytes(row.count), row.bytes) << row.name;
        EXPECT_EQ(adpcmSamplesIn(row.bytes), row.samples) << row.name;
    }
    // The Uno's room beside the player: 30,976 bytes hold 121 blocks.
    EXPECT_EQ(adpcmSamplesIn(30976), 121u * 505u);
}

struct DecodeRow {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t count;
    std::vector<std::int16_t> expected;
};

TEST(ImaAdpcm, DecodesAsTheReferenceInShiftAndAddForm) {
    const DecodeRow rows[] = {
        // 16, then nibble 4 at step 7 (diff 0 + 7, index 2), then nibble 7
        // at step 9 (diff 1 + 9 + 4 + 2, index 10).
        {"steps up", {16, 0, 0, 0, 0x74}, 3, {16, 23, 39}},
        // Nibble 0xC at step 7: diff 7 down, index 2; 0x8 at step 9: diff 1
        // down (the product form would give 1 too); index back to 1.
        {"steps down", {0, 0, 0, 0, 0x8C}, 3, {0, -7, -8}},
        {"clamped high", {0xFF, 0x7F, 88, 0, 0x77}, 3, {32767, 32767, 32767}},
        {"clamped low", {0x00, 0x80, 88, 0, 0xFF}, 3, {-32768, -32768, -32768}},
        // An index past 88 in a header reads as 88: step 32767, diff 4095.
        {"header index past 88", {0, 0, 200, 0, 0x00}, 2, {0, 4095}},
        // From index 84, nibble 7 (up to the clamp) takes it to 92, held at
        // 88; nibble 8 then steps down by 32767 >> 3 = 4095 (index 87) and
        // nibble 0 up by 29794 >> 3 = 3724: a decoder that holds the index
        // at 87 gives 29043 and 32428 instead.
        {"index driven to 88 and past it", {0, 0, 84, 0, 0x87, 0x00}, 4, {0, 32767, 28672, 32396}},
        {"count stops early", {16, 0, 0, 0, 0x74}, 2, {16, 23}},
        {"bytes end first", {16, 0, 0, 0, 0x74}, 9, {16, 23, 39}},
        {"a header cut short holds nothing", {16, 0, 0}, 1, {}},
    };
    for (const DecodeRow& row : rows) {
        EXPECT_EQ(decodeAdpcm(row.bytes.data(), row.bytes.size(), row.count), row.expected) << row.name;
    }
}

struct SignalRow {
    const char* name;
    std::size_t count;
    std::function<std::int16_t(std::size_t)> sampleAt;
    double leastSnr;  // dB of the decoded samples against the input; 0: exact
};

double snr(const std::vector<std::int16_t>& x, const std::vector<std::int16_t>& y) {
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double miss = static_cast<double>(x[i]) - y[i];
        signal += static_cast<double>(x[i]) * x[i];
        noise += miss * miss;
    }
    return noise == 0 ? INFINITY : 10 * std::log10(signal / noise);
}

TEST(ImaAdpcm, EncodesEverySignalToItsWholeLength) {
    constexpr double kPi = 3.141592653589793;
    const SignalRow rows[] = {
        {"one sample", 1, [](std::size_t) { return std::int16_t{-1234}; }, 0},
        {"silence over a short last block", 600, [](std::size_t) { return std::int16_t{0}; }, 0},
        {"full-scale square (the clamps)", 1200,
         [](std::size_t i) { return (i / 20) % 2 != 0 ? std::int16_t{32767} : std::int16_t{-32768}; }, 5},
        {"tone", 2020,
         [kPi](std::size_t i) {
             return static_cast<std::int16_t>(
                 std::lround(12000 * std::sin(static_cast<double>(i) * 2 * kPi / 40)));
         },
         25},
    };
    for (const SignalRow& row : rows) {
        std::vector<std::int16_t> x(row.count);
        for (std::size_t i = 0; i < x.size(); ++i) x[i] = row.sampleAt(i);
        const std::vector<std::uint8_t> bytes = encodeAdpcm(x.data(), x.size());
        ASSERT_EQ(bytes.size(), adpcmBytes(x.size())) << row.name;
        const std::vector<std::int16_t> y = decodeAdpcm(bytes.data(), bytes.size(), SIZE_MAX);
        ASSERT_EQ(y.size(), adpcmSampleCount(x.size())) << row.name;
        for (std::size_t block = 0; block < bytes.size(); block += kAdpcmBlockBytes) {
            EXPECT_LE(bytes[block + 2], 88) << row.name;
            EXPECT_EQ(bytes[block + 3], 0) << row.name;
            // Each block starts exactly at its sample.
            EXPECT_EQ(y[block / kAdpcmBlockBytes * kAdpcmBlockSamples],
                      x[block / kAdpcmBlockBytes * kAdpcmBlockSamples])
                << row.name;
        }
        const std::vector<std::int16_t> decoded(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(x.size()));
        if (row.leastSnr == 0) {
            EXPECT_EQ(decoded, x) << row.name;
        } else {
            EXPECT_GE(snr(x, decoded), row.leastSnr) << row.name;
        }
    }
}

// The encoder's choices are integers alone: a pinned input hashes to the
// same bytes on every platform and library (the page's module included).
TEST(ImaAdpcm, GivesTheSameBytesEverywhere) {
    std::vector<std::int16_t> x(3000);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < x.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        const auto tone = static_cast<std::int32_t>((i * 37) % 400) * 40 - 8000;
        x[i] = static_cast<std::int16_t>(tone + static_cast<std::int32_t>(noise >> 20) - 2048);
    }
    const std::vector<std::uint8_t> bytes = encodeAdpcm(x.data(), x.size());
    std::uint64_t hash = 14695981039346656037u;
    for (const std::uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211u;
    EXPECT_EQ(hash, 13839374171140706017u);
}

TEST(ImaAdpcm, WaveFileHoldsTheBytesAsItsDataChunk) {
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5};
    const std::vector<std::uint8_t> file = makeAdpcmWaveFile(data, 3, 8000);
    const std::vector<std::uint8_t> expected = {
        'R',  'I',  'F', 'F', 58,   0,    0,    0, 'W',  'A', 'V', 'E',  //
        'f',  'm',  't', ' ', 20,   0,    0,    0, 0x11, 0,   1,   0,    // IMA ADPCM, mono
        0x40, 0x1F, 0,   0,   0xD7, 0x0F, 0,    0,                       // 8000 Hz, 4055 bytes a second
        0,    1,    4,   0,   2,    0,    0xF9, 1,                     // 256-byte blocks, 4 bits, 505 a block
        'f',  'a',  'c', 't', 4,    0,    0,    0, 3,    0,   0,   0,  //
        'd',  'a',  't', 'a', 5,    0,    0,    0, 1,    2,   3,   4,   5, 0,  // padded to even
    };
    EXPECT_EQ(file, expected);
}

}  // namespace
}  // namespace clip2c::sound
