// SPDX-License-Identifier: MIT
// The page's C API, called natively: every export hands the engine's
// results through unchanged.
#include "web/exports.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "riff_builder.h"

namespace clip2c::board {
namespace {

using sound::makeWaveFile;
using test::Bytes;

std::string taken(Clip2cBytes* bytes) {
    if (bytes == nullptr) return "(null)";
    std::string value(clip2c_bytes_data(bytes), clip2c_bytes_length(bytes));
    clip2c_bytes_free(bytes);
    return value;
}

// The C API hands the core's results through unchanged.
TEST(PageExports, HandTheCoresResultsThrough) {
    EXPECT_EQ(textsJson().c_str(), clip2c_texts());
    const Bytes clip = test::waveOf(1, 1, 1, {128, 140, 116}, false, 8000);
    ClipResult* result =
        clip2c_convert(clip.data(), static_cast<std::uint32_t>(clip.size()), "beep.wav", 1, 2, 11025);
    ASSERT_NE(result, nullptr);
    const ClipResult expected = convertClip(clip.data(), static_cast<std::uint32_t>(clip.size()),
                                               "beep.wav", true, Target::Progmem, 11025);
    EXPECT_EQ(clip2c_result_status(result), 0);
    EXPECT_EQ(std::string(clip2c_result_text(result), clip2c_result_text_length(result)), expected.text);
    EXPECT_STREQ(clip2c_result_output_name(result), "beep.h");
    EXPECT_EQ(clip2c_result_sample_count(result), 3u);
    EXPECT_EQ(clip2c_result_sample_rate(result), 8000u);
    EXPECT_EQ(clip2c_result_data_promised(result), 3u);
    EXPECT_EQ(clip2c_result_data_held(result), 3u);
    EXPECT_EQ(clip2c_result_riff_wave(result), 1);
    EXPECT_EQ(clip2c_result_fits(result), 1);
    EXPECT_EQ(std::string(clip2c_result_fit_text(result)), expected.fit.text);
    EXPECT_EQ(clip2c_result_source_channels(result), 1u);
    EXPECT_EQ(clip2c_result_source_bits(result), 8u);
    EXPECT_EQ(clip2c_result_source_rate(result), 8000u);
    EXPECT_EQ(clip2c_result_is_raw(result), 0);
    EXPECT_EQ(Bytes(clip2c_result_samples(result), clip2c_result_samples(result) + 3),
              Bytes({128, 140, 116}));
    clip2c_result_free(result);
    // The same bytes under a raw name: samples, header and all.
    result = clip2c_convert(clip.data(), static_cast<std::uint32_t>(clip.size()), "beep.raw", 0, 0, 11025);
    EXPECT_EQ(clip2c_result_is_raw(result), 1);
    EXPECT_EQ(clip2c_result_sample_rate(result), 11025u);
    EXPECT_EQ(clip2c_result_sample_count(result), clip.size());
    clip2c_result_free(result);
    // A target number the page does not know gives the tool's own text.
    result = clip2c_convert(clip.data(), static_cast<std::uint32_t>(clip.size()), "beep.wav", 0, 7, 0);
    EXPECT_EQ(std::string(clip2c_result_text(result), clip2c_result_text_length(result)),
              "const unsigned char beep_wave[3] =\n{\n\t128, 140, 116\n};\n");
    clip2c_result_free(result);

    // The script's own blocks: even an empty one is a block to release.
    for (const std::uint32_t size : {0u, 1u, 4096u}) {
        void* block = clip2c_alloc(size);
        EXPECT_NE(block, nullptr) << size;
        clip2c_release(block);
    }

    const Bytes quiet = {128, 132, 124, 128};
    const auto quietLength = static_cast<std::uint32_t>(quiet.size());
    const auto file = [](const Bytes& samples, std::uint32_t rate) {
        const Bytes wave = makeWaveFile(samples, rate);
        return std::string(wave.begin(), wave.end());
    };
    EXPECT_EQ(taken(clip2c_prepare_raw(quiet.data(), quietLength, 8000, 0)), file(quiet, 8000));
    EXPECT_EQ(taken(clip2c_prepare_raw(quiet.data(), quietLength, 8000, 1)), file({128, 255, 0, 128}, 8000));
    EXPECT_EQ(taken(clip2c_prepare_raw(quiet.data(), quietLength, 8000, 2)), file({132, 124}, 8000));
    EXPECT_EQ(taken(clip2c_prepare_raw(quiet.data(), quietLength, 8000, 3)), file({255, 0}, 8000));
    EXPECT_EQ(taken(clip2c_prepare_wave(clip.data(), static_cast<std::uint32_t>(clip.size()), 8000, 1)),
              file({128, 255, 0}, 8000));
    EXPECT_EQ(taken(clip2c_prepare_wave(clip.data(), static_cast<std::uint32_t>(clip.size()), 11025, 0)),
              "(null)");
    const float planar[] = {0.5f, -0.5f, 0.5f, -0.5f};  // two equal channels of two frames
    EXPECT_EQ(taken(clip2c_prepare(planar, 2, 2, 22050, 0)), file({192, 64}, 22050));
    EXPECT_EQ(taken(clip2c_prepare(planar, 1, 4, 22050, 3)), file({255, 0, 255, 0}, 22050));

    EXPECT_EQ(taken(clip2c_clip_name("dir/Bell Ring.mp3")), "Bell Ring");
    EXPECT_EQ(taken(clip2c_propose_name("Bell Ring")), "Bell_Ring");
    EXPECT_EQ(taken(clip2c_prepared_name("dir/Bell Ring.mp3")), "dir/Bell Ring.wav");
    EXPECT_EQ(taken(clip2c_convert_name("Bell Ring.raw.wav", "bell")), "bell.raw");
    EXPECT_EQ(taken(clip2c_convert_name("Bell Ring.wav", "bell")), "bell.wav");
    EXPECT_EQ(taken(clip2c_convert_name("Bell Ring.mp3", "bell")), "Bell Ring.mp3");
    EXPECT_EQ(clip2c_gives_identifier("Bell_Ring"), 1);
    EXPECT_EQ(clip2c_gives_identifier("Bell Ring"), 0);
}

}  // namespace
}  // namespace clip2c::board
