// SPDX-License-Identifier: MIT
#include "sound/prepare.h"
#include "board/clip_conversion.h"
#include "board/names.h"
#include "board/notes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "input/wave.h"
#include "riff_builder.h"
#include "sound/pcm_wave.h"
#include "sound/resample.h"

namespace clip2c::board {
namespace {

using namespace clip2c::sound;  // NOLINT(google-build-using-namespace)

using test::Bytes;
using test::doubles;
using test::floats;
using test::frames;
using test::wave;
using test::waveOf;

// Each outcome of the tool's run, with the output name it derives and, for
// a conversion, the whole text.
TEST(ConvertForPage, GivesTheToolsOutcomeForEachFile) {
    const Bytes three = {128, 129, 127};
    struct Row {
        const char* name;
        std::string fileName;
        Bytes bytes;
        bool isSigned;
        ClipStatus status;
        std::string outputName;
        std::string text;
    };
    const Row rows[] = {
        {"raw", "clip.raw", three, false, ClipStatus::Converted, "clip.h",
         "const unsigned char clip_wave[3] =\n{\n\t128, 129, 127\n};\n"},
        {"signed raw", "clip.raw", three, true, ClipStatus::Converted, "clip.h",
         "const char clip_wave[3] =\n{\n\t0, 1, -1\n};\n"},
        {"8-bit mono wav", "beep.wav", wave(1, 1, three), false, ClipStatus::Converted, "beep.h",
         "const unsigned char beep_wave[3] =\n{\n\t128, 129, 127\n};\n"},
        {"raw before wav", "snd.wav.raw", three, false, ClipStatus::Converted, "snd.wav.h",
         "const unsigned char snd.wav_wave[3] =\n{\n\t128, 129, 127\n};\n"},
        {"no name", "", three, false, ClipStatus::NoInputPath, "", ""},
        {"neither", "notes.txt", three, false, ClipStatus::NotRawOrWav, "", ""},
        {"capital extension", "CLIP.RAW", three, false, ClipStatus::NotRawOrWav, "", ""},
        {"empty file", "clip.raw", {}, false, ClipStatus::Unreadable, "clip.h", ""},
        {"stereo", "st.wav", wave(2, 2, {1, 2}), false, ClipStatus::NotMono, "st.h", ""},
        {"16-bit", "w.wav", wave(1, 2, {1, 2}), false, ClipStatus::NotEightBit, "w.h", ""},
        {"not RIFF", "x.wav", three, false, ClipStatus::NotMono, "x.h", ""},
    };
    for (const Row& row : rows) {
        const ClipResult result = convertClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()),
                                              row.fileName, row.isSigned);
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.outputName, row.outputName) << row.name;
        EXPECT_EQ(result.text, row.text) << row.name;
        const Bytes samples = row.status == ClipStatus::Converted ? three : Bytes{};
        EXPECT_EQ(result.samples, samples) << row.name;
    }
    const Bytes clip = wave(1, 1, three);
    EXPECT_EQ(convertClip(clip.data(), static_cast<std::uint32_t>(clip.size()), "a.wav", false).sampleRate,
              8000u);
    EXPECT_EQ(convertClip(three.data(), 3, "a.raw", false).sampleRate, 0u);
    EXPECT_EQ(statusMessage(ClipStatus::NotMono),
              "wav\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAF"
              "\xE3\x83\xA2\xE3\x83\x8E\xE3\x83\xA9\xE3\x83\xAB\xE3\x81\xAE\xE3\x81\xBF"
              "\xE5\xAF\xBE\xE5\xBF\x9C\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x84\xE3\x81\xBE"
              "\xE3\x81\x99.\n");
    EXPECT_EQ(statusMessage(ClipStatus::Unreadable), "");
}

TEST(PreparedName, CutsAtTheClassifyingExtensionElseTheLastDot) {
    const struct {
        const char* name;
        const char* expected;
    } rows[] = {
        {"clip.wav", "clip.wav"},
        {"song.mp3", "song.wav"},
        {"take.raw.mp3", "take.wav"},
        {"a.wav.flac", "a.wav"},
        {"x.tar.ogg", "x.tar.wav"},
        {"noext", "noext.wav"},
        {".mp3", ".wav"},
        {"CLIP.WAV", "CLIP.wav"},
        {"v1.wav.bak.mp3", "v1.wav"},
        {"take.raw.raw", "take.wav"},
        {"a.raw.b.raw.mp3", "a.wav"},
    };
    for (const auto& row : rows) EXPECT_EQ(preparedName(row.name), row.expected) << row.name;
}

// A 16-bit value v decodes as v / 32768; multiples of 256 give v / 256 + 128
// exactly, halves round up, and everything lands in 0..255.
TEST(QuantizeSample, MapsDecodedSoundOntoEightBits) {
    for (int k = -128; k <= 127; ++k) {
        const auto decoded = static_cast<float>(k * 256) / 32768.0f;
        EXPECT_EQ(quantizeSample(decoded), k + 128) << k * 256;
    }
    const struct {
        const char* name;
        double x;
        int expected;
    } rows[] = {
        {"full scale", 1.0, 255},
        {"beyond full scale", 2.0, 255},
        {"beyond negative full scale", -2.0, 0},
        {"a half step up", 0.5 / 128, 129},
        {"a half step down", -0.5 / 128, 128},
        {"just under a half", 0.49 / 128, 128},
        {"NaN", std::numeric_limits<double>::quiet_NaN(), 128},
        {"infinity", std::numeric_limits<double>::infinity(), 255},
        {"negative infinity", -std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& row : rows) EXPECT_EQ(quantizeSample(row.x), row.expected) << row.name;
}

// Equal channels mix to exactly that channel, for every 16-bit value and
// any channel count; unequal ones to their mean.
TEST(MixToEightBit, MixesByTheMean) {
    std::vector<float> mono;
    for (int v = -32768; v <= 32767; ++v) mono.push_back(static_cast<float>(v) / 32768.0f);
    const auto frames = static_cast<std::uint32_t>(mono.size());
    const std::vector<std::uint8_t> expected = mixToEightBit({mono.data(), 1, frames});
    for (std::uint32_t channels : {2u, 3u, 6u}) {
        std::vector<float> planar;
        for (std::uint32_t c = 0; c < channels; ++c) planar.insert(planar.end(), mono.begin(), mono.end());
        EXPECT_EQ(mixToEightBit({planar.data(), channels, frames}), expected) << channels << " channels";
    }
    const std::vector<float> opposite = {1.0f, 0.5f, -1.0f, 0.5f};  // left 1, 0.5; right -1, 0.5
    EXPECT_EQ(mixToEightBit({opposite.data(), 2, 2}), (std::vector<std::uint8_t>{128, 192}));
    EXPECT_TRUE(mixToEightBit({opposite.data(), 0, 2}).empty());
}

// The prepared file is one the tool converts as it is: the chunk walk reads
// it as 8-bit mono at its rate, with every sample, odd counts padded.
TEST(MakeWaveFile, WritesAFileTheToolConverts) {
    for (std::size_t count : {0u, 1u, 2u, 17u}) {
        Bytes samples;
        for (std::size_t i = 0; i < count; ++i) samples.push_back(static_cast<std::uint8_t>(i * 29 + 3));
        const Bytes file = makeWaveFile(samples, 11025);
        EXPECT_EQ(file.size(), 44 + count + (count & 1u)) << count;
        WaveInfo info{};
        parseWave(file.data(), file.size(), info);
        EXPECT_EQ(info.channels, 1u) << count;
        EXPECT_EQ(info.bitsPerSample, 8u) << count;
        EXPECT_EQ(info.sampleRate, 11025u) << count;
        EXPECT_EQ(Bytes(info.data, info.data + info.dataSize), samples) << count;
        const ClipResult result =
            convertClip(file.data(), static_cast<std::uint32_t>(file.size()), "clip.wav", false);
        EXPECT_EQ(result.status, ClipStatus::Converted) << count;
        EXPECT_EQ(result.samples, samples) << count;
        EXPECT_EQ(result.sampleRate, 11025u) << count;
    }
    const ClipResult format = convertClip(makeWaveFile({1}, 8000).data(), 46, "clip.wav", false);
    EXPECT_EQ(format.sourceChannels, 1u);
    EXPECT_EQ(format.sourceBits, 8u);
}

// PCM at its own rate is prepared by the core alone: equal channels give
// that channel exactly at every width, a multiple of 256 in 16 bits v gives
// v / 256 + 128, and what the core cannot read exactly is left to a decoder.
TEST(PrepareWaveFile, MixesPcmAtItsRateExactly) {
    struct Row {
        const char* name;
        Bytes file;
        std::uint32_t rate;
        Bytes expected;  // the prepared samples; empty: left to a decoder
    };
    const Row rows[] = {
        {"8-bit stereo, equal channels",
         waveOf(1, 2, 1, frames(1, {-128, -128, -1, -1, 64, 64, 127, 127})),
         8000,
         {0, 127, 192, 255}},
        {"8-bit stereo, opposite channels",
         waveOf(1, 2, 1, frames(1, {-128, 127, 100, -100})),
         8000,
         {128, 128}},
        {"16-bit mono",
         waveOf(1, 1, 2, frames(2, {-32768, -256, 0, 256, 32512})),
         8000,
         {0, 127, 128, 129, 255}},
        {"16-bit stereo, equal channels",
         waveOf(1, 2, 2, frames(2, {512, 512, -512, -512})),
         8000,
         {130, 126}},
        {"16-bit, a half step rounds up", waveOf(1, 1, 2, frames(2, {128, -128})), 8000, {129, 128}},
        {"24-bit mono", waveOf(1, 1, 3, frames(3, {-8388608, 65536, 8388607})), 8000, {0, 129, 255}},
        {"32-bit mono", waveOf(1, 1, 4, frames(4, {-2147483648LL, 16777216})), 8000, {0, 129}},
        {"float mono", waveOf(3, 1, 4, floats({-1.0f, 0.0f, 0.5f, 1.5f})), 8000, {0, 128, 192, 255}},
        {"64-bit float stereo, equal channels",
         waveOf(3, 2, 8, doubles({-1.0, -1.0, 0.25, 0.25, 1.0 / 256, 1.0 / 256, 2.0, 2.0})),
         8000,
         {0, 160, 129, 255}},
        {"64-bit float, opposite channels", waveOf(3, 2, 8, doubles({0.75, -0.75})), 8000, {128}},
        {"extensible 64-bit float", waveOf(3, 1, 8, doubles({-0.5}), true), 8000, {64}},
        {"extensible 16-bit stereo", waveOf(1, 2, 2, frames(2, {1024, 1024}), true), 8000, {132}},
        {"at 0 Hz", waveOf(1, 2, 2, frames(2, {0, 0})), 0, {}},
        {"mu-law", waveOf(7, 2, 1, {0x10, 0x10}), 8000, {}},
        {"extensible mu-law", waveOf(7, 2, 1, {0x10, 0x10}, true), 8000, {}},
        {"5-byte samples", waveOf(1, 1, 5, Bytes(5, 0)), 8000, {}},
        {"not RIFF", Bytes(64, 0), 8000, {}},
    };
    for (const Row& row : rows) {
        const std::optional<Bytes> samples = prepareWaveEight(row.file, row.rate);
        EXPECT_EQ(samples.has_value(), !row.expected.empty()) << row.name;
        EXPECT_EQ(samples.value_or(Bytes{}), row.expected) << row.name;
    }
}

// At another rate the frames are mixed into floats (NaN as silence, the
// rest held to +-2^20), resampled, then quantized: the same as the pieces
// done one by one, for the 16-bit loop of its own and for every other
// layout.
TEST(PrepareWaveFile, ResamplesTheMixAtAnotherRate) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Row {
        const char* name;
        Bytes file;
        std::vector<float> mono;  // the mix the resampler is handed
    };
    const Row rows[] = {
        {"16-bit mono",
         waveOf(1, 1, 2, frames(2, {-32768, 16384, 0, 8192}), false, 16000),
         {-1.0f, 0.5f, 0.0f, 0.25f}},
        {"16-bit stereo",
         waveOf(1, 2, 2, frames(2, {16384, 0, -16384, -16384}), false, 16000),
         {0.25f, -0.5f}},
        {"8-bit stereo", waveOf(1, 2, 1, frames(1, {64, 0, -128, -128}), false, 16000), {0.25f, -1.0f}},
        {"24-bit, three channels",
         waveOf(1, 3, 3, frames(3, {4194304, 4194304, 4194304}), false, 16000),
         {0.5f}},
        {"broken floats",
         waveOf(3, 1, 4, floats({std::nanf(""), inf, -1e30f, 2e6f}), false, 16000),
         {0.0f, 1048576.0f, -1048576.0f, 1048576.0f}},
    };
    for (const Row& row : rows) {
        const std::vector<float> resampled = resample(row.mono.data(), row.mono.size(), 16000, 8000);
        Bytes expected;
        for (const float x : resampled) expected.push_back(quantizeSample(x));
        EXPECT_EQ(prepareWaveEight(row.file, 8000), expected) << row.name;
    }
}

// What the core reads of a WAV file's format, and which files it leaves to
// a decoder.
TEST(ReadPcmWave, ReadsPcmAndFloatOnly) {
    using test::chunk;
    using test::riff;
    using test::sealed;
    Bytes noTag = riff(0);
    chunk(noTag, "fmt ", 1, 1);
    Bytes threeBytesTwoChannels = riff(0);
    test::fmt(threeBytesTwoChannels, 2, 8000, 3, 12);
    chunk(threeBytesTwoChannels, "data", 6, 6);
    Bytes cutExtensible = riff(0);
    chunk(cutExtensible, "fmt ", 40, 0);
    test::putU16(cutExtensible, 0xFFFE);
    struct Row {
        const char* name;
        Bytes file;
        bool readable;
        std::uint32_t tag, width, frames;
    };
    const Row rows[] = {
        {"16-bit stereo", waveOf(1, 2, 2, frames(2, {1, 2, 3, 4, 5})), true, 1, 2, 2},
        {"float 64", waveOf(3, 1, 8, doubles({0.5})), true, 3, 8, 1},
        {"float 16", waveOf(3, 1, 2, frames(2, {1})), false, 3, 2, 0},
        {"PCM of 5 bytes", waveOf(1, 1, 5, Bytes(5, 0)), false, 1, 5, 0},
        {"a block align of 0", waveOf(1, 2, 0, {}), false, 1, 0, 0},
        {"a block align that does not split", sealed(threeBytesTwoChannels), false, 1, 0, 0},
        {"a fmt cut before its tag", sealed(noTag), false, 0, 0, 0},
        {"an extensible fmt cut before its subformat", sealed(cutExtensible), false, 0, 0, 0},
        {"no RIFF", Bytes(8, 0), false, 0, 0, 0},
    };
    for (const Row& row : rows) {
        const PcmWave wave = readPcmWave(row.file.data(), static_cast<std::uint32_t>(row.file.size()));
        EXPECT_EQ(wave.readable, row.readable) << row.name;
        EXPECT_EQ(wave.formatTag, row.tag) << row.name;
        EXPECT_EQ(wave.width, row.width) << row.name;
        EXPECT_EQ(wave.frames, row.frames) << row.name;
    }
}

}  // namespace
}  // namespace clip2c::board
