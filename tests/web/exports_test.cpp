// SPDX-License-Identifier: MIT
// The page's C API, called natively: every result's JSON summary and
// blocks are the engine's own record of the clip or bank, for the request
// the page's words and flags stand for.
#include "web/exports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "board/bank.h"
#include "board/notes.h"
#include "json_reader.h"
#include "riff_builder.h"
#include "sound/ima_adpcm.h"
#include "sound/prepare.h"

namespace clip2c::board {
namespace {

using test::Bytes;
using test::frames;
using test::Json;
using test::JsonReader;
using test::waveOf;

constexpr std::pair<const char*, Target> kTargets[] = {
    {"c", Target::C}, {"firmware", Target::Firmware}, {"progmem", Target::Progmem}, {"flash", Target::Flash}};
constexpr std::pair<const char*, Encoding> kEncodings[] = {{"pcm8", Encoding::Pcm8},
                                                           {"ima-adpcm", Encoding::ImaAdpcm}};
constexpr const char* kOutcomes[] = {"made", "refused", "needs-decoder"};
constexpr const char* kRefusals[] = {"none",          "no-clips",   "bad-name",  "clip-refused",
                                     "needs-decoder", "empty-clip", "over-array"};

// The block `ref` ({"buffer", "length"}) names in `handle`'s summary.
template <typename Handle>
Bytes blockOf(const Handle* handle, const Json& ref, const void* (*buffer)(const Handle*, std::uint32_t)) {
    EXPECT_EQ(ref.kind, Json::Kind::Object);
    const auto* at =
        static_cast<const std::uint8_t*>(buffer(handle, static_cast<std::uint32_t>(ref["buffer"].number)));
    return ref["length"].number == 0 ? Bytes{} : Bytes(at, at + ref["length"].number);
}

std::vector<std::string> textsOf(const Json& list) {
    std::vector<std::string> texts;
    for (const Json& item : list.items) texts.push_back(item.text);
    return texts;
}

// The sound a clip's summary gives: its array's bytes, or the samples
// they decode to as the core's decoder gives them.
template <typename Handle>
void expectSound(const Handle* handle, const Json& ref, const MadeClip& want,
                 const void* (*buffer)(const Handle*, std::uint32_t)) {
    const Bytes got = blockOf(handle, ref, buffer);
    if (want.encoding == Encoding::Pcm8) {
        EXPECT_EQ(ref["bits"].number, 8);
        EXPECT_EQ(got, want.bytes);
        return;
    }
    EXPECT_EQ(ref["bits"].number, 16);
    std::vector<std::int16_t> decoded(got.size() / 2);
    std::memcpy(decoded.data(), got.data(), got.size());
    EXPECT_EQ(decoded, sound::decodeAdpcm(want.bytes.data(), want.bytes.size(), want.sampleCount));
}

// The summary of `c` against the clip the engine made itself.
void expectClip(const Clip2cClip* c, const BoardClip& want, const std::string& row) {
    SCOPED_TRACE(row);
    ASSERT_NE(c, nullptr);
    const Json s = JsonReader::read(clip2c_clip_summary(c));
    ASSERT_EQ(s.kind, Json::Kind::Object);
    EXPECT_EQ(s["outcome"].text, kOutcomes[static_cast<int>(want.outcome)]);
    EXPECT_EQ(s["status"].number, static_cast<int>(want.status));
    EXPECT_EQ(s["name"].text, want.name);
    EXPECT_EQ(textsOf(s["notes"]), want.notes);
    EXPECT_EQ(s["rateOffer"].flag, want.rateKept != 0);
    EXPECT_EQ(s["notWave"].flag, want.source.notWave);
    EXPECT_EQ(s["prepareRate"].number, want.prepareRate);
    EXPECT_EQ(blockOf(c, s["text"], clip2c_clip_buffer), Bytes(want.made.text.begin(), want.made.text.end()));
    EXPECT_EQ(s["outputName"].text, want.made.outputName);
    EXPECT_EQ(s["arrayName"].text, want.made.arrayName);
    EXPECT_EQ(s["bytes"].number, want.made.bytes.size());
    expectSound(c, s["sound"], want.made, clip2c_clip_buffer);
    EXPECT_EQ(s["rate"].number, want.made.sampleRate);
    EXPECT_EQ(s["fits"].flag, want.made.fit.fits);
    EXPECT_EQ(s["fitText"].text, want.made.fit.text);
    EXPECT_EQ(s["what"].text, want.made.how);
    EXPECT_EQ(blockOf(c, s["preparedWave"], clip2c_clip_buffer), want.made.preparedWave);
    EXPECT_EQ(s["preparedName"].text, want.made.preparedName);
}

// Every row for every target and encoding: the page's call, and the
// request its words and flags stand for. The outcome is checked as written
// too, so that a request the call and the row both get wrong shows.
TEST(PageExports, ClipSummaryIsTheEnginesClip) {
    const Bytes mono8At11k = waveOf(1, 1, 1, {128, 140, 116}, false, 11025);
    const Bytes stereo16At44k =
        waveOf(1, 2, 2, frames(2, {0, 0, 3000, 3000, -9000, -9000, 200, 200, 12000, 11000}), false, 44100);
    struct Row {
        const char* name;
        const char* fileName;
        Bytes bytes;
        const char* chosenName;  // null: the file's own
        int isSigned;
        std::uint32_t rate;
        int flags;
        sound::PrepareOptions wantOptions;
        bool wantForce;
        ClipOutcome outcome;
    };
    const Row rows[] = {
        {"8-bit WAV keeps its rate, offered",
         "beep.wav",
         mono8At11k,
         nullptr,
         0,
         8000,
         0,
         {},
         false,
         ClipOutcome::Made},
        {"flag 4 prepares it at the rate",
         "beep.wav",
         mono8At11k,
         nullptr,
         0,
         8000,
         4,
         {},
         true,
         ClipOutcome::Made},
        {"16-bit stereo, flag 1 normalizes, flag 2 trims",
         "Bell Ring.wav",
         stereo16At44k,
         nullptr,
         0,
         8000,
         3,
         {true, true},
         false,
         ClipOutcome::Made},
        {"a chosen name with a quote, a backslash, control bytes and UTF-8, signed",
         "Bell Ring.wav",
         stereo16At44k,
         "b\"e\\l\nl\x01\xC3\xA9",
         1,
         22050,
         1,
         {true, false},
         false,
         ClipOutcome::Made},
        {"raw at 0 Hz chosen plays at 8000 Hz",
         "clip.raw",
         {128, 132, 124, 128},
         nullptr,
         0,
         0,
         0,
         {},
         false,
         ClipOutcome::Made},
        {"an empty file is refused", "empty.wav", {}, nullptr, 0, 8000, 0, {}, false, ClipOutcome::Refused},
        {"ADPCM needs a decoder",
         "voice.wav",
         waveOf(0x11, 1, 256, Bytes(256, 0x11)),
         nullptr,
         0,
         8000,
         0,
         {},
         false,
         ClipOutcome::NeedsDecoder},
        {"a text named .wav needs a decoder, and is no WAV",
         "notes.wav",
         Bytes(40, 'a'),
         "my notes",
         0,
         8000,
         0,
         {},
         false,
         ClipOutcome::NeedsDecoder},
    };
    for (const Row& row : rows) {
        for (const auto& [targetWord, target] : kTargets) {
            for (const auto& [encodingWord, encoding] : kEncodings) {
                const std::string name = std::string(row.name) + ", " + targetWord + ", " + encodingWord;
                ClipRequest request;
                request.fileName = row.fileName;
                if (row.chosenName != nullptr) request.name = row.chosenName;
                request.target = target;
                request.isSigned = row.isSigned != 0;
                request.rate = row.rate;
                request.forcePrepare = row.wantForce;
                request.options = row.wantOptions;
                request.encoding = encoding;
                const auto length = static_cast<std::uint32_t>(row.bytes.size());
                const BoardClip want = makeClip(row.bytes.data(), length, request);
                EXPECT_EQ(want.outcome, row.outcome) << name;
                Clip2cClip* got =
                    clip2c_make_clip(row.bytes.data(), length, row.fileName, row.chosenName, row.isSigned,
                                     targetWord, encodingWord, row.rate, row.flags);
                expectClip(got, want, name);
                if (want.outcome == ClipOutcome::NeedsDecoder) {
                    // Finished from the decoder's channels: two equal ones of three frames.
                    const float planar[] = {0.5f, -0.5f, 0.25f, 0.5f, -0.5f, 0.25f};
                    Clip2cClip* decoded = clip2c_make_decoded_clip(got, planar, 2, 3);
                    expectClip(decoded, makeDecodedClip(want, request, {planar, 2, 3}), name + ", decoded");
                    clip2c_clip_free(decoded);
                    // The first clip stays whole for the page's refusal when no
                    // decoder reads the sound.
                    expectClip(got, want, name);
                }
                clip2c_clip_free(got);
            }
        }
    }
}

// A word the page does not know, or none, is C and 8-bit PCM.
TEST(PageExports, UnknownWordsAreCAndEightBit) {
    const Bytes raw = {128, 132, 124, 128};
    ClipRequest request;
    request.fileName = "clip.raw";
    const BoardClip want = makeClip(raw.data(), 4, request);
    for (const char* word : {"teapot", "", static_cast<const char*>(nullptr)}) {
        Clip2cClip* got = clip2c_make_clip(raw.data(), 4, "clip.raw", nullptr, 0, word, word, 0, 0);
        expectClip(got, want, word == nullptr ? "null" : word);
        clip2c_clip_free(got);
    }
}

// The summary of `b` against the bank the engine made itself.
void expectBank(const Clip2cBank* b, const BankResult& want, const std::string& row) {
    SCOPED_TRACE(row);
    ASSERT_NE(b, nullptr);
    const Json s = JsonReader::read(clip2c_bank_summary(b));
    ASSERT_EQ(s.kind, Json::Kind::Object);
    EXPECT_EQ(s["refusal"].text, kRefusals[static_cast<int>(want.refusal)]);
    const bool clipRefusal = want.refusal >= BankRefusal::ClipRefused;
    EXPECT_EQ(s["refusedClip"].number, clipRefusal ? static_cast<std::int64_t>(want.refusedClip) : -1);
    EXPECT_EQ(s["refusalText"].text, want.refusalText);
    EXPECT_EQ(blockOf(b, s["text"], clip2c_bank_buffer), Bytes(want.text.begin(), want.text.end()));
    EXPECT_EQ(textsOf(s["notes"]), want.notes);
    EXPECT_EQ(s["fits"].flag, want.fit.fits);
    EXPECT_EQ(s["fitText"].text, want.fit.text);
    EXPECT_EQ(s["sampleCount"].number, want.sampleCount);
    ASSERT_EQ(s["clips"].items.size(), want.clips.size());
    for (std::size_t i = 0; i < want.clips.size(); ++i) {
        SCOPED_TRACE(i);
        const Json& clip = s["clips"].items[i];
        EXPECT_EQ(clip["name"].text, want.clips[i].name);
        EXPECT_EQ(clip["bytes"].number, want.clips[i].made.bytes.size());
        expectSound(b, clip["sound"], want.clips[i].made, clip2c_bank_buffer);
        EXPECT_EQ(clip["rate"].number, want.clips[i].made.sampleRate);
    }
}

struct File {
    const char* fileName;
    Bytes bytes;
    const char* chosenName;  // null: the file's own
};

// The page's bank of `files`, each copied into a block the bank takes over.
Clip2cBank* pageBank(const std::vector<File>& files, const char* name, int isSigned, const char* target,
                     const char* encoding, std::uint32_t rate, int flags) {
    Clip2cBank* bank = clip2c_bank_new(name, isSigned, target, encoding, rate, flags);
    for (const File& file : files) {
        const auto length = static_cast<std::uint32_t>(file.bytes.size());
        auto* block = static_cast<std::uint8_t*>(clip2c_alloc(length));
        std::copy(file.bytes.begin(), file.bytes.end(), block);
        clip2c_bank_add(bank, block, length, file.fileName, file.chosenName);
    }
    return bank;
}

// The bank request of `files`, which must outlive it.
BankRequest requestOf(const std::vector<File>& files) {
    BankRequest request;
    for (const File& file : files) {
        BankFile f;
        f.bytes = file.bytes.data();
        f.length = static_cast<std::uint32_t>(file.bytes.size());
        f.fileName = file.fileName;
        if (file.chosenName != nullptr) f.name = file.chosenName;
        request.files.push_back(f);
    }
    return request;
}

const File kJump = {"jump.wav", waveOf(1, 1, 1, {128, 150, 106, 128}, false, 8000), nullptr};
const File kCoin = {
    "coin.wav", waveOf(1, 2, 2, frames(2, {0, 0, 9000, 9000, -9000, -9000, 0, 0}), false, 22050), nullptr};
const File kVoice = {"voice.wav", waveOf(0x11, 1, 256, Bytes(256, 0x11)), nullptr};

// Each row in both encodings: a bank as the page asks for it, and the
// request its words and flags stand for. The refusal is checked as written
// too.
TEST(PageExports, BankSummaryIsTheEnginesBank) {
    struct Row {
        const char* name;
        std::vector<File> files;
        const char* bankName;  // null: the default
        int isSigned;
        const char* target;
        std::uint32_t rate;
        int flags;
        Target wantTarget;
        sound::PrepareOptions wantOptions;
        BankRefusal refusal;
    };
    const Row rows[] = {
        {"two WAV files at two rates, progmem at 8000 Hz, a clash",
         {kJump, kCoin, kJump},
         "sfx",
         0,
         "progmem",
         8000,
         0,
         Target::Progmem,
         {},
         BankRefusal::None},
        {"chosen names, signed, __flash, normalized and trimmed",
         {{"jump.wav", kJump.bytes, "hop"}, {"coin.wav", kCoin.bytes, "Hop"}},
         "fx",
         1,
         "flash",
         11025,
         3,
         Target::Flash,
         {true, true},
         BankRefusal::None},
        {"no name is sounds; an unknown target is C; rate 0 keeps each WAV's",
         {kCoin, kJump},
         nullptr,
         0,
         "teapot",
         0,
         0,
         Target::C,
         {},
         BankRefusal::None},
        {"a bank name that gives no identifier",
         {kJump},
         "my sounds",
         0,
         "firmware",
         8000,
         0,
         Target::Firmware,
         {},
         BankRefusal::BadName},
        {"no file", {}, "sfx", 0, "c", 8000, 0, Target::C, {}, BankRefusal::NoClips},
        {"ADPCM needs a decoder: the clips up to it are made",
         {kJump, kVoice, kCoin},
         "sfx",
         0,
         "c",
         8000,
         0,
         Target::C,
         {},
         BankRefusal::NeedsDecoder},
        {"an empty file is refused",
         {{"empty.raw", {}, nullptr}, kJump},
         "sfx",
         0,
         "c",
         8000,
         0,
         Target::C,
         {},
         BankRefusal::ClipRefused},
    };
    for (const Row& row : rows) {
        for (const auto& [encodingWord, encoding] : kEncodings) {
            const std::string name = std::string(row.name) + ", " + encodingWord;
            BankRequest request = requestOf(row.files);
            if (row.bankName != nullptr) request.name = row.bankName;
            request.target = row.wantTarget;
            request.isSigned = row.isSigned != 0;
            request.rate = row.rate;
            request.options = row.wantOptions;
            request.encoding = encoding;
            const BankResult want = makeBank(request);
            EXPECT_EQ(want.refusal, row.refusal) << name;
            Clip2cBank* got = pageBank(row.files, row.bankName, row.isSigned, row.target, encodingWord,
                                       row.rate, row.flags);
            clip2c_bank_make(got);
            expectBank(got, want, name);
            clip2c_bank_free(got);
        }
    }
}

// A file only the browser decodes enters the bank as the WAV file of its
// decoded sound: in 8-bit PCM the one its clip alone is prepared as, in
// IMA ADPCM a 16-bit one, from which the bank encodes the samples the
// clip alone is encoded from. The bank offers that file.
TEST(PageExports, ADecodedFileEntersTheBankAsItsWave) {
    const float planar[] = {0.5f, -1.0f, 0.25f, 0.5f, 1.0f, 0.25f};
    for (const auto& [encodingWord, encoding] : kEncodings) {
        SCOPED_TRACE(encodingWord);
        ClipRequest alone;
        alone.fileName = kVoice.fileName;
        alone.rate = 11025;
        alone.forcePrepare = true;
        alone.encoding = encoding;
        const BoardClip first =
            makeClip(kVoice.bytes.data(), static_cast<std::uint32_t>(kVoice.bytes.size()), alone);
        ASSERT_EQ(first.outcome, ClipOutcome::NeedsDecoder);
        const Bytes wave = encoding == Encoding::Pcm8
                               ? makeDecodedClip(first, alone, {planar, 2, 3}).made.preparedWave
                               : sound::makeSixteenBitWaveFile(sound::mixToSixteen({planar, 2, 3}), 11025);
        const std::vector<File> files = {kVoice, kJump};
        Clip2cBank* got = pageBank(files, "sfx", 0, "progmem", encodingWord, 11025, 0);
        EXPECT_EQ(clip2c_bank_decoded(got, 2, planar, 2, 3, 11025, "x.wav"), 0);
        ASSERT_EQ(clip2c_bank_decoded(got, 0, planar, 2, 3, 11025, "voice.wav"), 1);
        clip2c_bank_make(got);
        const std::vector<File> asWave = {{"voice.wav", wave, nullptr}, kJump};
        BankRequest request = requestOf(asWave);
        request.name = "sfx";
        request.target = Target::Progmem;
        request.rate = 11025;
        request.encoding = encoding;
        const BankResult want = makeBank(request);
        ASSERT_EQ(want.refusal, BankRefusal::None);
        expectBank(got, want, encodingWord);
        const Json s = JsonReader::read(clip2c_bank_summary(got));
        ASSERT_EQ(s["decodedWaves"].items.size(), 2U);
        EXPECT_EQ(blockOf(got, s["decodedWaves"].items[0], clip2c_bank_buffer), wave);
        EXPECT_EQ(s["decodedWaves"].items[1].kind, Json::Kind::Null);
        clip2c_bank_free(got);
    }
}

// The script's own blocks, even an empty one; the flags' names; the texts
// table.
TEST(PageExports, BlocksFlagsAndTexts) {
    for (const std::uint32_t size : {0u, 1u, 4096u}) {
        void* block = clip2c_alloc(size);
        EXPECT_NE(block, nullptr) << size;
        clip2c_release(block);
    }
    const Json flags = JsonReader::read(clip2c_flags());
    EXPECT_EQ(flags["normalize"].number, 1);
    EXPECT_EQ(flags["trim"].number, 2);
    EXPECT_EQ(flags["forcePrepare"].number, 4);
    EXPECT_EQ(textsJson().c_str(), clip2c_texts());
}

}  // namespace
}  // namespace clip2c::board
