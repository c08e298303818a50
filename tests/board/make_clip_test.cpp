// SPDX-License-Identifier: MIT
#include "board/make_clip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/clip_header.h"
#include "board/notes.h"
#include "riff_builder.h"
#include "sound/ima_adpcm.h"

namespace clip2c::board {
namespace {

using test::Bytes;
using test::frames;
using test::waveOf;

// What the flow makes of each kind of file: converted as it is, prepared
// (and at which rate), refused, or left to a decoder; the name it is made
// under, what it says it did, and the notes in their order.
TEST(MakeClip, ConvertsAsItIsElsePreparesElseRefuses) {
    const Bytes mono8 = waveOf(1, 1, 1, {128, 200, 56});
    const Bytes mono8At22k = waveOf(1, 1, 1, Bytes(22, 128), false, 22050);
    const Bytes stereo16 = waveOf(1, 2, 2, frames(2, {512, 512, -512, -512}));
    const Bytes stereo16At16k = waveOf(1, 2, 2, frames(2, {0, 0, 0, 0, 0, 0, 0, 0}), false, 16000);
    // IMA ADPCM as recorders write it: 256-byte blocks, which the chunk walk
    // reads as 2048 bits a sample.
    const Bytes adpcm = waveOf(0x11, 1, 256, Bytes(256, 0x11));
    const Bytes loud = {128, 128, 160, 96, 128};
    struct Row {
        const char* name;
        std::string fileName;
        Bytes bytes;
        std::optional<std::string> chosenName;
        std::uint32_t rate;
        bool forcePrepare;
        sound::PrepareOptions options;
        ClipOutcome outcome;
        ClipStatus status;
        std::string arrayName;
        std::string what;
        Bytes samples;
        std::vector<std::string> notes;
    };
    const std::string proposed = fillNote(
        Notice::NameProposed, {{"file", "Bell Ring - final (v2)"}, {"array", "Bell_Ring_final_v2_wave"}});
    const Row rows[] = {
        {"8-bit mono as it is",
         "beep.wav",
         mono8,
         {},
         0,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "beep_wave",
         "",
         {128, 200, 56},
         {}},
        {"a raw clip as it is",
         "beep.raw",
         {1, 2},
         {},
         0,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "beep_wave",
         "",
         {1, 2},
         {}},
        {"a proposed name",
         "Bell Ring - final (v2).wav",
         mono8,
         {},
         0,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "Bell_Ring_final_v2_wave",
         "",
         {128, 200, 56},
         {proposed}},
        {"a chosen name",
         "beep.wav",
         mono8,
         "chime",
         0,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "chime_wave",
         "",
         {128, 200, 56},
         {}},
        {"a chosen name that is no identifier",
         "beep.wav",
         mono8,
         "2 x",
         0,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "2 x_wave",
         "",
         {128, 200, 56},
         {fillNote(Notice::NameNotIdentifier, {{"array", "2 x_wave"}})}},
        {"its own rate kept",
         "b.wav",
         mono8At22k,
         {},
         8000,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "b_wave",
         "",
         Bytes(22, 128),
         {fillNote(Notice::RateKept, {{"fileRate", "22050"}, {"rate", "8000"}})}},
        {"forced to the chosen rate",
         "b.wav",
         mono8At22k,
         {},
         11025,
         true,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "b_wave",
         "8-bit mono 22050 Hz \xE2\x86\x92 8-bit mono 11025 Hz",
         Bytes(11, 128),
         {}},
        {"forced at its own rate: as it is",
         "b.wav",
         mono8At22k,
         {},
         22050,
         true,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "b_wave",
         "",
         Bytes(22, 128),
         {}},
        {"16-bit stereo at its own rate",
         "s.wav",
         stereo16,
         {},
         0,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "s_wave",
         "16-bit stereo 8000 Hz \xE2\x86\x92 8-bit mono 8000 Hz",
         {130, 126},
         {}},
        {"16-bit stereo resampled",
         "s.wav",
         stereo16At16k,
         {},
         8000,
         false,
         {},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "s_wave",
         "16-bit stereo 16000 Hz \xE2\x86\x92 8-bit mono 8000 Hz",
         {128, 128},
         {}},
        {"normalized and trimmed on request",
         "l.raw",
         loud,
         {},
         8000,
         false,
         {true, true},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "l_wave",
         "raw 8-bit \xE2\x86\x92 8-bit mono 8000 Hz, normalized, trimmed",
         {255, 0},
         {fillNote(Notice::PreparedOnRequest)}},
        {"trimmed to nothing",
         "q.raw",
         {128, 129},
         {},
         0,
         false,
         {false, true},
         ClipOutcome::Made,
         ClipStatus::Converted,
         "q_wave",
         "raw 8-bit \xE2\x86\x92 8-bit mono 8000 Hz, trimmed",
         {},
         {fillNote(Notice::PreparedOnRequest), fillNote(Notice::TrimmedToNothing)}},
        {"an empty file",
         "e.wav",
         {},
         {},
         0,
         false,
         {},
         ClipOutcome::Refused,
         ClipStatus::Unreadable,
         "",
         "",
         {},
         {fillNote(Notice::Empty)}},
        {"IMA ADPCM needs a decoder",
         "a.wav",
         adpcm,
         {},
         8000,
         false,
         {},
         ClipOutcome::NeedsDecoder,
         ClipStatus::NotEightBit,
         "",
         "",
         {},
         {}},
        {"an MP3 needs a decoder",
         "song.mp3",
         {0xFF, 0xFB, 0x90, 0},
         {},
         8000,
         false,
         {},
         ClipOutcome::NeedsDecoder,
         ClipStatus::NotRawOrWav,
         "",
         "",
         {},
         {}},
    };
    for (const Row& row : rows) {
        ClipRequest request;
        request.fileName = row.fileName;
        request.name = row.chosenName;
        request.rate = row.rate;
        request.forcePrepare = row.forcePrepare;
        request.options = row.options;
        const BoardClip clip =
            makeClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()), request);
        EXPECT_EQ(clip.outcome, row.outcome) << row.name;
        EXPECT_EQ(clip.status, row.status) << row.name;
        EXPECT_EQ(clip.made.arrayName, row.arrayName) << row.name;
        EXPECT_EQ(clip.made.how, row.what) << row.name;
        EXPECT_EQ(clip.made.bytes, row.samples) << row.name;
        EXPECT_EQ(clip.notes, row.notes) << row.name;
        EXPECT_EQ(clip.made.preparedWave.empty(), row.what.empty()) << row.name;
        if (!clip.made.preparedWave.empty()) {
            EXPECT_EQ(clip.made.preparedWave, sound::makeWaveFile(row.samples, clip.prepareRate)) << row.name;
        }
    }
}

// A clip only a decoder reads is finished from its decoded channels at the
// chosen rate, keeping the first call's notes and naming the container.
TEST(MakeDecodedClip, FinishesFromTheDecodersChannels) {
    const Bytes mp3 = {'I', 'D', '3', 4, 0};
    ClipRequest request;
    request.fileName = "2 songs.mp3";
    request.rate = 11025;
    const BoardClip first = makeClip(mp3.data(), static_cast<std::uint32_t>(mp3.size()), request);
    ASSERT_EQ(first.outcome, ClipOutcome::NeedsDecoder);
    EXPECT_EQ(first.source.description, "MP3");
    EXPECT_FALSE(first.source.notWave);
    const std::vector<float> planar = {0.5f, -1.0f, 0.5f, 1.0f};  // left 0.5, -1; right 0.5, 1
    const BoardClip clip = makeDecodedClip(first, request, {planar.data(), 2, 2});
    EXPECT_EQ(clip.outcome, ClipOutcome::Made);
    EXPECT_EQ(clip.made.bytes, (Bytes{192, 128}));
    EXPECT_EQ(clip.made.arrayName, "clip_2_songs_wave");
    EXPECT_EQ(clip.made.sampleRate, 11025u);
    EXPECT_EQ(clip.made.how, "MP3 stereo \xE2\x86\x92 8-bit mono 11025 Hz");
    EXPECT_EQ(clip.notes, first.notes);
    EXPECT_EQ(clip.made.preparedName, "clip_2_songs.wav");

    const Bytes notRiff(16, 7);
    request.fileName = "x.wav";
    EXPECT_TRUE(makeClip(notRiff.data(), 16, request).source.notWave);
}

// With IMA ADPCM every file the engine reads is prepared to 16 bits and
// encoded: the array is the encoder's bytes of those samples, the text
// adpcmText's, the WAV file holds the same bytes; the refusals and the
// hand-over to a decoder stand as for 8 bits.
TEST(MakeClip, EncodesImaAdpcmFromEverySourceItReads) {
    const Bytes mono8At22k = waveOf(1, 1, 1, {128, 192, 64}, false, 22050);
    const Bytes stereo16 = waveOf(1, 2, 2, frames(2, {256, 768, -1024, -1024}));
    const Bytes adpcmFile = waveOf(0x11, 1, 256, Bytes(256, 0x11));
    struct Row {
        const char* name;
        std::string fileName;
        Bytes bytes;
        std::uint32_t rate;
        bool forcePrepare;
        sound::PrepareOptions options;
        ClipOutcome outcome;
        std::uint32_t clipRate;
        std::vector<std::int16_t> samples;  // as prepared, before encoding
        std::string what;
        std::vector<std::string> notes;
    };
    const Row rows[] = {
        {"raw at the default rate",
         "beep.raw",
         {128, 200, 56},
         0,
         false,
         {},
         ClipOutcome::Made,
         8000,
         {0, 72 * 256, -72 * 256},
         "raw 8-bit \xE2\x86\x92 IMA ADPCM mono 8000 Hz",
         {}},
        {"8-bit WAV keeps its rate",
         "beep.wav",
         mono8At22k,
         8000,
         false,
         {},
         ClipOutcome::Made,
         22050,
         {0, 64 * 256, -64 * 256},
         "8-bit mono 22050 Hz \xE2\x86\x92 IMA ADPCM mono 22050 Hz",
         {fillNote(Notice::RateKept, {{"fileRate", "22050"}, {"rate", "8000"}})}},
        {"16-bit stereo mixed",
         "two.wav",
         stereo16,
         0,
         false,
         {},
         ClipOutcome::Made,
         8000,
         {512, -1024},
         "16-bit stereo 8000 Hz \xE2\x86\x92 IMA ADPCM mono 8000 Hz",
         {}},
        {"trimmed to nothing",
         "hush.raw",
         {128, 129, 127},
         0,
         false,
         {false, true},
         ClipOutcome::Made,
         8000,
         {},
         "raw 8-bit \xE2\x86\x92 IMA ADPCM mono 8000 Hz, trimmed",
         {fillNote(Notice::TrimmedToNothing)}},
        {"empty file refused",
         "none.wav",
         {},
         0,
         false,
         {},
         ClipOutcome::Refused,
         0,
         {},
         "",
         {fillNote(Notice::Empty)}},
        {"compressed WAV needs a decoder",
         "rec.wav",
         adpcmFile,
         0,
         false,
         {},
         ClipOutcome::NeedsDecoder,
         0,
         {},
         "",
         {}},
    };
    for (const Row& row : rows) {
        ClipRequest request;
        request.fileName = row.fileName;
        request.rate = row.rate;
        request.forcePrepare = row.forcePrepare;
        request.options = row.options;
        request.target = Target::Progmem;
        request.encoding = Encoding::ImaAdpcm;
        const BoardClip clip =
            makeClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()), request);
        EXPECT_EQ(clip.outcome, row.outcome) << row.name;
        EXPECT_EQ(clip.notes, row.notes) << row.name;
        if (row.outcome != ClipOutcome::Made) continue;
        const MadeClip& result = clip.made;
        const Bytes bytes = sound::encodeAdpcm(row.samples.data(), row.samples.size());
        EXPECT_EQ(result.bytes, bytes) << row.name;
        EXPECT_EQ(result.encoding, Encoding::ImaAdpcm) << row.name;
        EXPECT_EQ(result.sampleCount, sound::adpcmSampleCount(row.samples.size())) << row.name;
        EXPECT_EQ(result.sampleRate, row.clipRate) << row.name;
        EXPECT_EQ(result.arrayName, clip.name + "_adpcm") << row.name;
        EXPECT_EQ(clip.made.how, row.what) << row.name;
        const ClipFacts facts{
            result.arrayName,   row.clipRate,       false,
            result.sampleCount, Encoding::ImaAdpcm, static_cast<std::uint32_t>(bytes.size())};
        EXPECT_EQ(result.text, render(clipHeader(Target::Progmem, facts, bytes))) << row.name;
        EXPECT_EQ(clip.made.preparedWave, sound::makeAdpcmWaveFile(bytes, result.sampleCount, row.clipRate))
            << row.name;
        EXPECT_EQ(clip.made.preparedName, clip.name + ".wav") << row.name;
    }

    // A decoder's channels are mixed to 16 bits and encoded the same way.
    const Bytes mp3 = {'I', 'D', '3', 4, 0};
    ClipRequest request;
    request.fileName = "song.mp3";
    request.rate = 8000;
    request.encoding = Encoding::ImaAdpcm;
    const BoardClip first = makeClip(mp3.data(), static_cast<std::uint32_t>(mp3.size()), request);
    ASSERT_EQ(first.outcome, ClipOutcome::NeedsDecoder);
    const std::vector<float> planar = {0.5f, -1.0f, 0.5f, 1.0f};
    const BoardClip clip = makeDecodedClip(first, request, {planar.data(), 2, 2});
    const std::vector<std::int16_t> mixed = {16384, 0};
    EXPECT_EQ(clip.made.bytes, sound::encodeAdpcm(mixed.data(), mixed.size()));
    EXPECT_EQ(clip.made.how, "MP3 stereo \xE2\x86\x92 IMA ADPCM mono 8000 Hz");
}

// A file only a decoder reads is named for its container, by its first
// bytes, else by its extension; a WAV file's own format when the chunk walk
// reads one, whatever the channels.
TEST(MakeClip, NamesWhatADecoderMustRead) {
    const struct {
        const char* name;
        std::string fileName;
        Bytes bytes;
        std::string source;
    } rows[] = {
        {"OGG", "a.ogg", {'O', 'g', 'g', 'S', 0}, "OGG"},
        {"FLAC", "a.flac", {'f', 'L', 'a', 'C', 0}, "FLAC"},
        {"MP3 by its tag", "a.mp3", {'I', 'D', '3', 3}, "MP3"},
        {"MP3 by its frame sync", "a.bin", {0xFF, 0xE3, 0}, "MP3"},
        {"a RIFF file", "a.avi", {'R', 'I', 'F', 'F', 0}, "WAV"},
        {"the extension", "a.Aiff", {0, 1, 2}, "AIFF"},
        {"an extension too long", "a.longer", {0, 1}, "decoded"},
        {"an extension of punctuation", "a.b-c", {0, 1}, "decoded"},
        {"no extension", "noext", {0, 1}, "decoded"},
        {"a byte 0xFF alone", "x", {0xFF}, "decoded"},
        {"a 3-channel WAV of IMA ADPCM", "a.wav", waveOf(0x11, 3, 256, Bytes(768, 0)),
         "2048-bit 3-channel 8000 Hz"},
    };
    for (const auto& row : rows) {
        ClipRequest request;
        request.fileName = row.fileName;
        request.rate = 8000;
        const BoardClip clip =
            makeClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()), request);
        EXPECT_EQ(clip.outcome, ClipOutcome::NeedsDecoder) << row.name;
        EXPECT_EQ(clip.source.description, row.source) << row.name;
    }
    ClipRequest request;
    request.fileName = "six.ogg";
    request.rate = 8000;
    const Bytes ogg = {'O', 'g', 'g', 'S'};
    const std::vector<float> planar(6, 0.0f);
    EXPECT_EQ(makeDecodedClip(makeClip(ogg.data(), 4, request), request, {planar.data(), 6, 1}).made.how,
              "OGG 6-channel \xE2\x86\x92 8-bit mono 8000 Hz");
}

// A note's placeholders are filled from the values given; one without a
// value stays as written, and an unknown note is empty.
TEST(FillNote, FillsThePlaceholdersItIsGiven) {
    EXPECT_EQ(fillNote(Notice::CutShort, {{"held", "1"}, {"promised", "2"}}), "cut short: 1 of 2 bytes");
    EXPECT_EQ(fillNote(Notice::CutShort, {{"held", "1"}}), "cut short: 1 of {promised} bytes");
    EXPECT_EQ(statusEnglish(static_cast<int>(ClipStatus::NotMono)), "wav files: only mono is supported.");
    EXPECT_EQ(statusEnglish(99), "");
}

// Every file the engine makes no clip of carries its typed reason, which
// the one English wording says as the command line prints it.
TEST(ClipRefusal, IsTypedAndWordedOnce) {
    const Bytes mp3 = {'I', 'D', '3', 4, 0};
    const Bytes zeroRate = test::waveOf(1, 1, 2, Bytes(8, 0), false, 0);
    Bytes noFormat = test::riff(0);
    test::chunk(noFormat, "data", 4, 4);
    const struct {
        const char* name;
        const char* fileName;
        Bytes bytes;
        RefusalKind kind;
        const char* words;
    } rows[] = {
        {"empty", "e.wav", {}, RefusalKind::Empty, "the file is empty"},
        {"MP3 by name", "song.mp3", mp3, RefusalKind::NotWaveOrRaw,
         "clip2c-board reads WAV and raw files only; it holds MP3 data: decode it first, e.g. sox song.mp3 -b 16 "
         "song.wav"},
        {"MP3 named WAV", "song.wav", mp3, RefusalKind::NotWave,
         "not a WAV file; it holds MP3 data: decode it first, e.g. sox song.wav -b 16 song-pcm.wav"},
        {"0 Hz", "z.wav", zeroRate, RefusalKind::ZeroRate,
         "the WAV file gives its sample rate as 0 Hz, so its sound cannot be prepared; write the rate it plays at "
         "into it first, e.g. sox -r 8000 z.wav -b 16 z-pcm.wav"},
        {"no fmt chunk", "nofmt.wav", test::sealed(noFormat), RefusalKind::NoFormat,
         "a WAV file without a readable \"fmt \" chunk, so its sound cannot be read; decode it first, e.g. sox "
         "nofmt.wav -b 16 nofmt-pcm.wav"},
        {"u-law stereo", "law.wav", test::waveOf(7, 2, 1, Bytes(4, 0)), RefusalKind::Compressed,
         "a compressed or non-PCM WAV file, u-law (format 0x0007), which clip2c-board does not read; decode it "
         "first, e.g. sox law.wav -b 16 law-pcm.wav"},
        {"5-byte samples", "five.wav", test::waveOf(1, 1, 5, Bytes(10, 0)), RefusalKind::UnreadablePcm,
         "a WAV file whose PCM data cannot be read (40-bit mono 8000 Hz, 5 bytes a frame); decode it first, e.g. "
         "sox five.wav -b 16 five-pcm.wav"},
    };
    for (const auto& row : rows) {
        ClipRequest request;
        request.fileName = row.fileName;
        const BoardClip clip =
            makeClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()), request);
        EXPECT_NE(clip.outcome, ClipOutcome::Made) << row.name;
        EXPECT_EQ(clip.refusal.kind, row.kind) << row.name;
        EXPECT_EQ(refusalEnglish(clip.refusal), row.words) << row.name;
    }
    Refusal unconvertible;
    unconvertible.kind = RefusalKind::Unconvertible;
    unconvertible.status = ClipStatus::NotEightBit;
    EXPECT_EQ(refusalEnglish(unconvertible), "cannot be converted: wav files: only 8 bit is supported.");
}

}  // namespace
}  // namespace clip2c::board
