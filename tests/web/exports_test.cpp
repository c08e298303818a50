// SPDX-License-Identifier: MIT
// The page's C API, called natively: every export hands the engine's
// one-clip flow through unchanged, with the request its numbers and flags
// stand for.
#include "web/exports.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/texts.h"
#include "riff_builder.h"

namespace clip2c::board {
namespace {

using test::Bytes;
using test::frames;
using test::waveOf;

std::vector<std::string> notesOf(const Clip2cClip* c) {
    std::vector<std::string> notes;
    for (std::uint32_t i = 0; i < clip2c_clip_note_count(c); ++i) notes.emplace_back(clip2c_clip_note(c, i));
    return notes;
}

// Every accessor of `c` against the clip the engine made itself.
void expectSame(const Clip2cClip* c, const BoardClip& want, const char* row) {
    SCOPED_TRACE(row);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(clip2c_clip_outcome(c), static_cast<int>(want.outcome));
    EXPECT_EQ(clip2c_clip_status(c), static_cast<int>(want.status));
    EXPECT_EQ(clip2c_clip_name(c), want.name);
    EXPECT_EQ(notesOf(c), want.notes);
    EXPECT_EQ(clip2c_clip_rate_offer(c), want.rateOffer ? 1 : 0);
    EXPECT_EQ(clip2c_clip_not_wave(c), want.notWave ? 1 : 0);
    EXPECT_EQ(clip2c_clip_prepare_rate(c), want.prepareRate);
    EXPECT_EQ(std::string(clip2c_clip_text(c), clip2c_clip_text_length(c)), want.result.text);
    EXPECT_EQ(clip2c_clip_output_name(c), want.result.outputName);
    EXPECT_EQ(Bytes(clip2c_clip_samples(c), clip2c_clip_samples(c) + clip2c_clip_sample_count(c)),
              want.result.samples);
    EXPECT_EQ(clip2c_clip_sample_rate(c), want.result.sampleRate);
    EXPECT_EQ(clip2c_clip_fits(c), want.result.fit.fits ? 1 : 0);
    EXPECT_EQ(clip2c_clip_fit_text(c), want.result.fit.text);
    EXPECT_EQ(clip2c_clip_what(c), want.what);
    EXPECT_EQ(Bytes(clip2c_clip_prepared_wave(c),
                    clip2c_clip_prepared_wave(c) + clip2c_clip_prepared_wave_length(c)),
              want.preparedWave);
    EXPECT_EQ(clip2c_clip_prepared_name(c), want.preparedName);
}

// Each row: the page's call, and the request its numbers stand for. The
// outcome and the array's name are checked as written too, so that a
// request the call and the row both get wrong shows.
TEST(PageExports, MakeTheEnginesClip) {
    const Bytes mono8At11k = waveOf(1, 1, 1, {128, 140, 116}, false, 11025);
    const Bytes stereo16At44k =
        waveOf(1, 2, 2, frames(2, {0, 0, 3000, 3000, -9000, -9000, 200, 200}), false, 44100);
    const Bytes adpcm = waveOf(0x11, 1, 256, Bytes(256, 0x11));
    const Bytes raw = {128, 132, 124, 128};
    struct Row {
        const char* name;
        const char* fileName;
        Bytes bytes;
        const char* chosenName;  // null: the file's own
        int isSigned;
        int target;
        std::uint32_t rate;
        int flags;
        Target wantTarget;
        sound::PrepareOptions wantOptions;
        bool wantForce;
        ClipOutcome outcome;
        const char* arrayName;
    };
    const Row rows[] = {
        {"8-bit WAV keeps its rate, offered",
         "beep.wav",
         mono8At11k,
         nullptr,
         0,
         2,
         8000,
         0,
         Target::Progmem,
         {},
         false,
         ClipOutcome::Made,
         "beep_wave"},
        {"bit 2 prepares it at the rate",
         "beep.wav",
         mono8At11k,
         nullptr,
         0,
         2,
         8000,
         4,
         Target::Progmem,
         {},
         true,
         ClipOutcome::Made,
         "beep_wave"},
        {"16-bit stereo 44.1 kHz, bit 0 normalizes, bit 1 trims",
         "Bell Ring.wav",
         stereo16At44k,
         nullptr,
         0,
         1,
         8000,
         3,
         Target::Firmware,
         {true, true},
         false,
         ClipOutcome::Made,
         "Bell_Ring_wave"},
        {"a chosen name, signed, __flash",
         "Bell Ring.wav",
         stereo16At44k,
         "bell",
         1,
         3,
         22050,
         1,
         Target::Flash,
         {true, false},
         false,
         ClipOutcome::Made,
         "bell_wave"},
        {"a target the page does not know is C",
         "clip.raw",
         raw,
         nullptr,
         0,
         7,
         16000,
         2,
         Target::C,
         {false, true},
         false,
         ClipOutcome::Made,
         "clip_wave"},
        {"a negative target is C",
         "clip.raw",
         raw,
         nullptr,
         0,
         -1,
         0,
         0,
         Target::C,
         {},
         false,
         ClipOutcome::Made,
         "clip_wave"},
        {"an empty file is refused",
         "empty.wav",
         {},
         nullptr,
         0,
         0,
         8000,
         0,
         Target::C,
         {},
         false,
         ClipOutcome::Refused,
         ""},
        {"ADPCM needs a decoder",
         "voice.wav",
         adpcm,
         nullptr,
         0,
         0,
         8000,
         0,
         Target::C,
         {},
         false,
         ClipOutcome::NeedsDecoder,
         ""},
        {"a text named .wav needs a decoder, and is no WAV",
         "notes.wav",
         Bytes(40, 'a'),
         "my notes",
         0,
         0,
         8000,
         0,
         Target::C,
         {},
         false,
         ClipOutcome::NeedsDecoder,
         ""},
    };
    for (const Row& row : rows) {
        ClipRequest request;
        request.fileName = row.fileName;
        if (row.chosenName != nullptr) request.name = row.chosenName;
        request.target = row.wantTarget;
        request.isSigned = row.isSigned != 0;
        request.rate = row.rate;
        request.forcePrepare = row.wantForce;
        request.options = row.wantOptions;
        const auto length = static_cast<std::uint32_t>(row.bytes.size());
        const BoardClip want = makeClip(row.bytes.data(), length, request);
        Clip2cClip* got = clip2c_make_clip(row.bytes.data(), length, row.fileName, row.chosenName,
                                           row.isSigned, row.target, row.rate, row.flags);
        expectSame(got, want, row.name);
        EXPECT_EQ(want.outcome, row.outcome) << row.name;
        EXPECT_EQ(want.result.arrayName, row.arrayName) << row.name;
        if (want.outcome == ClipOutcome::NeedsDecoder) {
            // Finished from the decoder's channels: two equal ones of three frames.
            const float planar[] = {0.5f, -0.5f, 0.25f, 0.5f, -0.5f, 0.25f};
            Clip2cClip* decoded = clip2c_make_decoded_clip(got, planar, 2, 3);
            expectSame(decoded, makeDecodedClip(want, request, planar, 2, 3), row.name);
            EXPECT_EQ(clip2c_clip_outcome(decoded), 0) << row.name;
            clip2c_clip_free(decoded);
            // The first clip stays whole for the page's refusal when no
            // decoder reads the sound.
            expectSame(got, want, row.name);
        }
        clip2c_clip_free(got);
    }
}

// The script's own blocks, even an empty one, and the texts table.
TEST(PageExports, BlocksAndTexts) {
    for (const std::uint32_t size : {0u, 1u, 4096u}) {
        void* block = clip2c_alloc(size);
        EXPECT_NE(block, nullptr) << size;
        clip2c_release(block);
    }
    EXPECT_EQ(textsJson().c_str(), clip2c_texts());
}

}  // namespace
}  // namespace clip2c::board
