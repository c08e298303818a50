// SPDX-License-Identifier: MIT
// The page's C API, called natively: every export hands the engine's
// one-clip flow and its banks through unchanged, with the request its
// numbers and flags stand for.
#include "web/exports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/bank.h"
#include "board/texts.h"
#include "riff_builder.h"
#include "sound/ima_adpcm.h"
#include "sound/prepare.h"

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

// Every bank accessor of `b` against the bank the engine made itself.
void expectSameBank(const Clip2cBank* b, const BankResult& want, const char* row) {
    SCOPED_TRACE(row);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(clip2c_bank_refusal(b), static_cast<int>(want.refusal));
    EXPECT_EQ(clip2c_bank_refused_clip(b), want.refusedClip);
    EXPECT_EQ(clip2c_bank_refusal_text(b), want.refusalText);
    EXPECT_EQ(std::string(clip2c_bank_text(b), clip2c_bank_text_length(b)), want.text);
    std::vector<std::string> notes;
    for (std::uint32_t i = 0; i < clip2c_bank_note_count(b); ++i) notes.emplace_back(clip2c_bank_note(b, i));
    EXPECT_EQ(notes, want.notes);
    EXPECT_EQ(clip2c_bank_fits(b), want.fit.fits ? 1 : 0);
    EXPECT_EQ(clip2c_bank_fit_text(b), want.fit.text);
    EXPECT_EQ(clip2c_bank_sample_count(b), want.sampleCount);
    ASSERT_EQ(clip2c_bank_clip_count(b), want.clips.size());
    for (std::uint32_t i = 0; i < clip2c_bank_clip_count(b); ++i) {
        const ClipResult& clip = want.clips[i].result;
        EXPECT_EQ(clip2c_bank_clip_name(b, i), want.clips[i].name) << i;
        EXPECT_EQ(Bytes(clip2c_bank_clip_samples(b, i),
                        clip2c_bank_clip_samples(b, i) + clip2c_bank_clip_sample_count(b, i)),
                  clip.samples)
            << i;
        EXPECT_EQ(clip2c_bank_clip_sample_rate(b, i), clip.sampleRate) << i;
        EXPECT_EQ(clip2c_bank_clip_encoding(b, i), static_cast<int>(clip.encoding)) << i;
        EXPECT_EQ(clip2c_bank_clip_adpcm_samples(b, i), clip.adpcmSamples) << i;
        const std::vector<std::int16_t> decoded(clip2c_bank_clip_decoded(b, i),
                                                clip2c_bank_clip_decoded(b, i) + clip.adpcmSamples);
        EXPECT_EQ(decoded,
                  clip.encoding == Encoding::ImaAdpcm
                      ? sound::decodeAdpcm(clip.samples.data(), clip.samples.size(), clip.adpcmSamples)
                      : std::vector<std::int16_t>{})
            << i;
    }
}

// Each row: a bank as the page asks for it (its files in blocks the bank
// takes over), and the request its numbers stand for. The refusal and the
// clips' names are checked as written too.
TEST(PageExports, MakeTheEnginesBank) {
    struct File {
        const char* fileName;
        Bytes bytes;
        const char* chosenName;  // null: the file's own
    };
    const File jump = {"jump.wav", waveOf(1, 1, 1, {128, 150, 106, 128}, false, 8000), nullptr};
    const File coin = {"coin.wav",
                       waveOf(1, 2, 2, frames(2, {0, 0, 9000, 9000, -9000, -9000, 0, 0}), false, 22050),
                       nullptr};
    const File bell = {
        "Bell Ring.wav",
        waveOf(1, 1, 2, frames(2, {0, 3000, 6000, 3000, 0, -3000, -6000, -3000}), false, 44100), nullptr};
    const File adpcm = {"voice.wav", waveOf(0x11, 1, 256, Bytes(256, 0x11)), nullptr};
    const File empty = {"empty.raw", {}, nullptr};
    struct Row {
        const char* name;
        std::vector<File> files;
        const char* bankName;  // null: the default
        int isSigned;
        int target;
        std::uint32_t rate;
        int flags;
        std::string wantName;
        Target wantTarget;
        sound::PrepareOptions wantOptions;
        BankRefusal refusal;
        std::vector<std::string> clipNames;
    };
    const Row rows[] = {
        {"three WAV files at three rates, progmem at 8000 Hz, a clash",
         {jump, coin, bell, jump},
         "sfx",
         0,
         2,
         8000,
         0,
         "sfx",
         Target::Progmem,
         {},
         BankRefusal::None,
         {"jump", "coin", "Bell_Ring", "jump_2"}},
        {"chosen names, signed, __flash, bit 0 normalizes and bit 1 trims",
         {{"jump.wav", jump.bytes, "hop"}, {"coin.wav", coin.bytes, "Hop"}},
         "fx",
         1,
         3,
         11025,
         3,
         "fx",
         Target::Flash,
         {true, true},
         BankRefusal::None,
         {"hop", "Hop_2"}},
        {"no name is sounds; an unknown target is C; rate 0 keeps each WAV's",
         {coin, jump},
         nullptr,
         0,
         9,
         0,
         0,
         "sounds",
         Target::C,
         {},
         BankRefusal::None,
         {"coin", "jump"}},
        {"a bank name that gives no identifier",
         {jump},
         "my sounds",
         0,
         1,
         8000,
         0,
         "my sounds",
         Target::Firmware,
         {},
         BankRefusal::BadName,
         {}},
        {"no file", {}, "sfx", 0, 0, 8000, 0, "sfx", Target::C, {}, BankRefusal::NoClips, {}},
        {"ADPCM needs a decoder: the clips up to it are made",
         {jump, adpcm, coin},
         "sfx",
         0,
         0,
         8000,
         0,
         "sfx",
         Target::C,
         {},
         BankRefusal::NeedsDecoder,
         {"jump", "voice"}},
        {"an empty file is refused",
         {empty, jump},
         "sfx",
         0,
         0,
         8000,
         0,
         "sfx",
         Target::C,
         {},
         BankRefusal::ClipRefused,
         {"empty"}},
    };
    for (const Row& row : rows) {
        BankRequest request;
        request.name = row.wantName;
        request.target = row.wantTarget;
        request.isSigned = row.isSigned != 0;
        request.rate = row.rate;
        request.options = row.wantOptions;
        for (const File& file : row.files) {
            BankFile f;
            f.bytes = file.bytes.data();
            f.length = static_cast<std::uint32_t>(file.bytes.size());
            f.fileName = file.fileName;
            if (file.chosenName != nullptr) f.name = file.chosenName;
            request.files.push_back(f);
        }
        const BankResult want = makeBank(request);

        Clip2cBank* got = clip2c_bank_new(row.bankName, row.isSigned, row.target, row.rate, row.flags);
        for (const File& file : row.files) {
            const auto length = static_cast<std::uint32_t>(file.bytes.size());
            auto* block = static_cast<std::uint8_t*>(clip2c_alloc(length));
            std::copy(file.bytes.begin(), file.bytes.end(), block);
            clip2c_bank_add(got, block, length, file.fileName, file.chosenName);
        }
        clip2c_bank_make(got);
        expectSameBank(got, want, row.name);
        EXPECT_EQ(want.refusal, row.refusal) << row.name;
        std::vector<std::string> names;
        for (const BoardClip& clip : want.clips) names.push_back(clip.name);
        EXPECT_EQ(names, row.clipNames) << row.name;
        clip2c_bank_free(got);
    }
}

// Bit 3 asks for IMA ADPCM, of a clip the engine reads and of one only a
// decoder does: the engine's clip, its encoding, its decoded count and the
// samples the core's decoder gives for its bytes; without the bit, 8-bit
// PCM with nothing decoded.
TEST(PageExports, ImaAdpcmClips) {
    const Bytes stereo16At44k =
        waveOf(1, 2, 2, frames(2, {0, 0, 3000, 3000, -9000, -9000, 200, 200, 12000, 11000, -300, -200}),
               false, 44100);
    const Bytes compressed = waveOf(0x11, 1, 256, Bytes(256, 0x11));
    struct Row {
        const char* name;
        const char* fileName;
        Bytes bytes;
        int target;
        int flags;
        Encoding wantEncoding;
        sound::PrepareOptions wantOptions;
        const char* arrayName;
    };
    const Row rows[] = {
        {"16-bit stereo, progmem",
         "Bell Ring.wav",
         stereo16At44k,
         2,
         8,
         Encoding::ImaAdpcm,
         {},
         "Bell_Ring_adpcm"},
        {"raw, C, normalized",
         "clip.raw",
         {128, 200, 60, 128, 140},
         0,
         8 | 1,
         Encoding::ImaAdpcm,
         {true, false},
         "clip_adpcm"},
        {"bit 3 clear: 8-bit PCM", "clip.raw", {128, 200, 60}, 0, 0, Encoding::Pcm8, {}, "clip_wave"},
        {"a sound only a decoder reads, firmware",
         "voice.wav",
         compressed,
         1,
         8,
         Encoding::ImaAdpcm,
         {},
         "voice_adpcm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClipRequest request;
        request.fileName = row.fileName;
        request.target = static_cast<Target>(row.target);
        request.rate = 8000;
        request.options = row.wantOptions;
        request.encoding = row.wantEncoding;
        const auto length = static_cast<std::uint32_t>(row.bytes.size());
        BoardClip want = makeClip(row.bytes.data(), length, request);
        Clip2cClip* first =
            clip2c_make_clip(row.bytes.data(), length, row.fileName, nullptr, 0, row.target, 8000, row.flags);
        expectSame(first, want, row.name);
        Clip2cClip* got = first;
        if (want.outcome == ClipOutcome::NeedsDecoder) {
            const float planar[] = {0.5f, -0.5f, 0.25f, 0.0f, 0.75f};
            want = makeDecodedClip(want, request, planar, 1, 5);
            got = clip2c_make_decoded_clip(first, planar, 1, 5);
            expectSame(got, want, row.name);
        }
        ASSERT_EQ(want.outcome, ClipOutcome::Made);
        EXPECT_EQ(want.result.arrayName, row.arrayName);
        EXPECT_STREQ(clip2c_clip_array_name(got), row.arrayName);
        EXPECT_EQ(clip2c_clip_encoding(got), static_cast<int>(row.wantEncoding));
        EXPECT_EQ(clip2c_clip_adpcm_samples(got), want.result.adpcmSamples);
        const std::vector<std::int16_t> decoded(clip2c_clip_decoded(got),
                                                clip2c_clip_decoded(got) + clip2c_clip_adpcm_samples(got));
        if (row.wantEncoding == Encoding::ImaAdpcm) {
            EXPECT_GT(want.result.adpcmSamples, 0U);
            EXPECT_EQ(decoded, sound::decodeAdpcm(want.result.samples.data(), want.result.samples.size(),
                                                  want.result.adpcmSamples));
            EXPECT_EQ(decoded.size(), want.result.adpcmSamples);
        } else {
            EXPECT_TRUE(decoded.empty());
        }
        if (got != first) clip2c_clip_free(got);
        clip2c_clip_free(first);
    }
}

// Bit 3 of a bank's flags asks for IMA ADPCM for every clip.
TEST(PageExports, ImaAdpcmBank) {
    const Bytes jump = waveOf(1, 1, 1, {128, 150, 106, 128}, false, 8000);
    const Bytes coin = waveOf(1, 2, 2, frames(2, {0, 0, 9000, 9000, -9000, -9000, 0, 0}), false, 22050);
    for (const int flags : {8, 8 | 2}) {
        SCOPED_TRACE(flags);
        BankRequest request;
        request.name = "sfx";
        request.target = Target::Progmem;
        request.rate = 8000;
        request.options.trim = (flags & 2) != 0;
        request.encoding = Encoding::ImaAdpcm;
        request.files = {{jump.data(), static_cast<std::uint32_t>(jump.size()), "jump.wav", std::nullopt},
                         {coin.data(), static_cast<std::uint32_t>(coin.size()), "coin.wav", std::nullopt}};
        const BankResult want = makeBank(request);
        Clip2cBank* got = clip2c_bank_new("sfx", 0, 2, 8000, flags);
        EXPECT_EQ(got->request.encoding, Encoding::ImaAdpcm);
        for (const Bytes* file : {&jump, &coin}) {
            const auto length = static_cast<std::uint32_t>(file->size());
            auto* block = static_cast<std::uint8_t*>(clip2c_alloc(length));
            std::copy(file->begin(), file->end(), block);
            clip2c_bank_add(got, block, length, file == &jump ? "jump.wav" : "coin.wav", nullptr);
        }
        clip2c_bank_make(got);
        expectSameBank(got, want, "IMA ADPCM bank");
        ASSERT_EQ(want.clips.size(), 2U);
        for (const BoardClip& clip : want.clips) {
            EXPECT_EQ(clip.result.encoding, Encoding::ImaAdpcm);
            EXPECT_GT(clip.result.adpcmSamples, 0U);
        }
        clip2c_bank_free(got);
    }
}

// The script's own blocks, even an empty one, and the texts table.
// A file only the browser decodes enters an IMA ADPCM bank as a 16-bit WAV
// file, which the engine reads back as the very samples a clip alone is
// encoded from.
TEST(PageExports, SixteenBitWaveHoldsTheMixAsAClipAloneHasIt) {
    const std::vector<float> planar = {0.5f, -1.0f, 0.25f, 0.5f, 1.0f, 0.25f};
    std::uint32_t length = 0;
    std::uint8_t* wave = clip2c_sixteen_bit_wave(planar.data(), 2, 3, 11025, &length);
    ASSERT_NE(wave, nullptr);
    const std::vector<std::int16_t> mixed = clip2c::sound::mixToSixteen(planar.data(), 2, 3);
    EXPECT_EQ(mixed, (std::vector<std::int16_t>{16384, 0, 8192}));
    const std::vector<std::uint8_t> file(wave, wave + length);
    EXPECT_EQ(file, clip2c::sound::makeSixteenBitWaveFile(mixed, 11025));
    EXPECT_EQ(clip2c::sound::prepareWaveSixteen(file.data(), length, 11025), mixed);
    clip2c_release(wave);
}

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
