// SPDX-License-Identifier: MIT
#include "board/targets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "board/clip_conversion.h"
#include "board/clip_header.h"
#include "board/names.h"
#include "board/notes.h"
#include "csource/refusals.h"
#include "json_reader.h"
#include "riff_builder.h"
#include "sound/prepare.h"

namespace clip2c::board {
namespace {

using namespace clip2c::sound;  // NOLINT(google-build-using-namespace)

using test::Bytes;
using test::Json;
using test::JsonReader;

TEST(ProposeName, KeepsIdentifiersAndMakesOneOfEverythingElse) {
    const struct {
        const char* name;
        bool gives;
        const char* proposed;
    } rows[] = {
        {"beep", true, "beep"},
        {"Beep_2", true, "Beep_2"},
        {"a__b", true, "a__b"},
        {"Z", true, "Z"},
        {"Bell Ring - final (v2)", false, "Bell_Ring_final_v2"},
        {"8bit", false, "clip_8bit"},
        {"my-clip", false, "my_clip"},
        {"\xE9\x9F\xB3\xE5\xA3\xB0", false, "clip"},  // 音声
        {"", false, "clip"},
        {"_hidden", false, "hidden"},
        {"__", false, "clip"},
        {"snd.wav", false, "snd_wav"},
        {"caf\xC3\xA9 au lait", false, "caf_au_lait"},
        {"-1-", false, "clip_1"},
        {"x*/y", false, "x_y"},
        {"take\t2\n", false, "take_2"},
        {"9", false, "clip_9"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(givesIdentifier(row.name), row.gives) << row.name;
        EXPECT_EQ(proposeName(row.name), row.proposed) << row.name;
        EXPECT_TRUE(givesIdentifier(proposeName(row.name))) << row.name;
    }
}

TEST(ClipName, IsTheToolsArrayNameElseThePreparedClips) {
    const struct {
        const char* fileName;
        const char* expected;
    } rows[] = {
        {"beep.wav", "beep"},       {"dir/take.raw", "take"},
        {"snd.wav.raw", "snd.wav"}, {"song.mp3", "song"},
        {"a.raw.mp3", "a"},         {"noext", "noext"},
        {"C:\\clips\\x.flac", "x"}, {"Bell Ring.ogg", "Bell Ring"},
        {"CLIP.WAV", "CLIP"},
    };
    for (const auto& row : rows) EXPECT_EQ(clipName(row.fileName), row.expected) << row.fileName;
}

// The whole header of one 8-bit clip for each target.
TEST(ClipHeader, PutsTheFactsRateAndStorageWordsAroundTheArray) {
    const std::uint8_t one[] = {128};
    const std::string tool = "const unsigned char beep_wave[1] =\n{\n\t128\n};\n";
    const std::string signedTool = "const char beep_wave[1] =\n{\n\t0\n};\n";
    const std::string comment =
        "/* beep_wave: 4,800 samples, 0.600 s at 8000 Hz, unsigned 8-bit (silence 128) */\n";
    const std::string define = "#define beep_wave_rate 8000\n";
    const std::string x = "const unsigned char s_wave[1] =\n{\n\t128\n};\n";
    const ClipFacts beep{"beep_wave", 8000, false, 4800};
    const struct {
        const char* name;
        Target target;
        ClipFacts facts;
        std::string expected;
    } rows[] = {
        {"C", Target::C, beep, tool},
        {"firmware", Target::Firmware, beep, comment + define + tool},
        {"PROGMEM", Target::Progmem, beep,
         comment + "#include <avr/pgmspace.h>\n" + define +
             "const PROGMEM unsigned char beep_wave[1] =\n{\n\t128\n};\n"},
        {"__flash", Target::Flash, beep,
         comment + define + "const __flash unsigned char beep_wave[1] =\n{\n\t128\n};\n"},
        {"signed __flash", Target::Flash, ClipFacts{"beep_wave", 8000, true, 4800},
         "/* beep_wave: 4,800 samples, 0.600 s at 8000 Hz, signed 8-bit (silence 0) */\n" + define +
             "const __flash signed char beep_wave[1] =\n{\n\t0\n};\n"},
        {"signed firmware", Target::Firmware, ClipFacts{"beep_wave", 8000, true, 4800},
         "/* beep_wave: 4,800 samples, 0.600 s at 8000 Hz, signed 8-bit (silence 0) */\n" + define +
             "const signed char beep_wave[1] =\n{\n\t0\n};\n"},
        {"signed C", Target::C, ClipFacts{"beep_wave", 8000, true, 4800}, signedTool},
        {"0 Hz", Target::Firmware, ClipFacts{"beep_wave", 0, false, 4800},
         "/* beep_wave: 4,800 samples, length unknown at 0 Hz, unsigned 8-bit (silence 128) */\n"
         "#define beep_wave_rate 0\n" +
             tool},
        {"seconds rounded half up", Target::Firmware, ClipFacts{"s_wave", 2000, false, 1},
         "/* s_wave: 1 samples, 0.001 s at 2000 Hz, unsigned 8-bit (silence 128) */\n"
         "#define s_wave_rate 2000\n" +
             x},
        {"seconds rounded down", Target::Firmware, ClipFacts{"s_wave", 3, false, 1},
         "/* s_wave: 1 samples, 0.333 s at 3 Hz, unsigned 8-bit (silence 128) */\n"
         "#define s_wave_rate 3\n" +
             x},
        {"a long clip", Target::Firmware, ClipFacts{"s_wave", 44100, false, 1234567},
         "/* s_wave: 1,234,567 samples, 27.995 s at 44100 Hz, unsigned 8-bit (silence 128) */\n"
         "#define s_wave_rate 44100\n" +
             x},
        {"the longest clip", Target::Firmware, ClipFacts{"s_wave", 1, false, 4294967295u},
         "/* s_wave: 4,294,967,295 samples, 4294967295.000 s at 1 Hz, unsigned 8-bit (silence 128) */\n"
         "#define s_wave_rate 1\n" +
             x},
        {"comment end in the name", Target::Firmware, ClipFacts{"a*/b*//c_wave", 1, false, 1},
         "/* a* /b* //c_wave: 1 samples, 1.000 s at 1 Hz, unsigned 8-bit (silence 128) */\n"
         "#define a*/b*//c_wave_rate 1\nconst unsigned char a*/b*//c_wave[1] =\n{\n\t128\n};\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(render(clipHeader(row.target, row.facts, one)), row.expected) << row.name;
}

// The conversion hands out the target's text for the clip it converted, at
// the rate the clip plays at, with its fit.
TEST(ConvertForPage, MakesTheTargetsTextAtTheClipsRate) {
    const Bytes three = {128, 129, 127};
    const std::string array = "unsigned char beep_wave[3] =\n{\n\t128, 129, 127\n};\n";
    const std::string head = "/* beep_wave: 3 samples, 0.375 s at 8 Hz, unsigned 8-bit (silence 128) */\n";
    const std::string define = "#define beep_wave_rate 8\n";
    const struct {
        const char* name;
        std::string fileName;
        Bytes bytes;
        Target target;
        std::string text;
        std::string fit;
    } rows[] = {
        {"raw as C", "beep.raw", three, Target::C, "const " + array,
         "3 bytes: 0.0011 % of 256 KB (SAMD21), 0.00057 % of 512 KB, 0.00014 % of 2 MB (RP2040), 0.000072 % of "
         "4 MB (ESP32)."},
        {"raw for firmware", "beep.raw", three, Target::Firmware, head + define + "const " + array,
         "3 bytes: 0.0011 % of 256 KB (SAMD21), 0.00057 % of 512 KB, 0.00014 % of 2 MB (RP2040), 0.000072 % of "
         "4 MB (ESP32)."},
        {"raw in PROGMEM", "beep.raw", three, Target::Progmem,
         head + "#include <avr/pgmspace.h>\n" + define + "const PROGMEM " + array,
         "Fits an Arduino Uno or Nano: 3 bytes, where the Uno holds 31,488 bytes (3936.000 s at 8 Hz) and the Nano "
         "29,952 bytes (3744.000 s at 8 Hz)."},
        {"WAV keeps its own rate", "beep.wav", test::waveOf(1, 1, 1, three, false, 11025), Target::Flash,
         "/* beep_wave: 3 samples, 0.000 s at 11025 Hz, unsigned 8-bit (silence 128) */\n"
         "#define beep_wave_rate 11025\nconst __flash " +
             array,
         "Fits an Arduino Uno or Nano: 3 bytes, where the Uno holds 31,488 bytes (2.856 s at 11025 Hz) and the Nano "
         "29,952 bytes (2.716 s at 11025 Hz)."},
    };
    for (const auto& row : rows) {
        const ClipResult result = convertClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()),
                                              row.fileName, false, row.target, 8);
        EXPECT_EQ(result.status, ClipStatus::Converted) << row.name;
        EXPECT_EQ(result.target, row.target) << row.name;
        EXPECT_EQ(result.text, row.text) << row.name;
        EXPECT_TRUE(result.fit.fits) << row.name;
        EXPECT_EQ(result.fit.text, row.fit) << row.name;
    }
}

TEST(FitFor, JudgesTheUnoAtItsLimitAndScalesTheRest) {
    const std::string advice =
        ". Lower the rate, trim it, or cut the clip shorter; a board with more flash still takes at most "
        "32,767 bytes in one array.";
    const struct {
        const char* name;
        Target target;
        std::uint32_t count;
        std::uint32_t rate;
        bool fits;
        std::string text;
        Encoding encoding = Encoding::Pcm8;
    } rows[] = {
        {"at the Nano's limit", Target::Progmem, 29952, 8000, true,
         "Fits an Arduino Uno or Nano: 29,952 bytes, where the Uno holds 31,488 bytes (3.936 s at 8000 Hz) and "
         "the Nano 29,952 bytes (3.744 s at 8000 Hz)."},
        {"a byte over the Nano's", Target::Progmem, 29953, 8000, true,
         "Fits an Arduino Uno: 29,953 bytes, where it holds 31,488 bytes (3.936 s at 8000 Hz); too big for a Nano, "
         "which holds 29,952 bytes (3.744 s at 8000 Hz)."},
        {"at the Uno's limit", Target::Flash, 31488, 8000, true,
         "Fits an Arduino Uno: 31,488 bytes, where it holds 31,488 bytes (3.936 s at 8000 Hz); too big for a Nano, "
         "which holds 29,952 bytes (3.744 s at 8000 Hz)."},
        {"a byte over the Uno's", Target::Flash, 31489, 8000, false,
         "Too big for an Arduino Uno: 31,489 bytes, where it holds 31,488 bytes (3.936 s at 8000 Hz)" +
             advice},
        {"beyond one array", Target::Progmem, 40000, 8000, false,
         "Too big for an Arduino Uno: 40,000 bytes, where it holds 31,488 bytes (3.936 s at 8000 Hz)" +
             advice},
        {"seconds rounded down", Target::Flash, 0, 44100, true,
         "Fits an Arduino Uno or Nano: 0 bytes, where the Uno holds 31,488 bytes (0.714 s at 44100 Hz) and the "
         "Nano 29,952 bytes (0.679 s at 44100 Hz)."},
        {"fits at 0 Hz", Target::Progmem, 4800, 0, true,
         "Fits an Arduino Uno or Nano: 4,800 bytes, where the Uno holds 31,488 bytes and the Nano 29,952 bytes."},
        {"too big at 0 Hz", Target::Flash, 40000, 0, false,
         "Too big for an Arduino Uno: 40,000 bytes, where it holds 31,488 bytes" + advice},
        {"C", Target::C, 4800, 8000, true,
         "4,800 bytes: 1.8 % of 256 KB (SAMD21), 0.92 % of 512 KB, 0.23 % of 2 MB (RP2040), 0.11 % of 4 MB "
         "(ESP32)."},
        {"one byte", Target::Firmware, 1, 8000, true,
         "1 byte: 0.00038 % of 256 KB (SAMD21), 0.00019 % of 512 KB, 0.000048 % of 2 MB (RP2040), 0.000024 % of "
         "4 MB (ESP32)."},
        {"nothing", Target::Firmware, 0, 0, true,
         "0 bytes: 0 % of 256 KB (SAMD21), 0 % of 512 KB, 0 % of 2 MB (RP2040), 0 % of 4 MB (ESP32)."},
        {"50 MB", Target::C, 50000000, 8000, true,
         "50,000,000 bytes: 19073 % of 256 KB (SAMD21), 9537 % of 512 KB, 2384 % of 2 MB (RP2040), 1192 % of 4 "
         "MB (ESP32)."},
        // IMA ADPCM counts the same bytes beside a larger sketch, and
        // about twice the seconds in them.
        {"IMA ADPCM, 7 s", Target::Progmem, 28384, 8000, true,
         "Fits an Arduino Uno or Nano: 28,384 bytes, where the Uno holds 30,976 bytes (7.638 s at 8000 Hz) and "
         "the Nano 29,440 bytes (7.259 s at 8000 Hz).",
         Encoding::ImaAdpcm},
        {"IMA ADPCM over the Uno", Target::Flash, 30977, 8000, false,
         "Too big for an Arduino Uno: 30,977 bytes, where it holds 30,976 bytes (7.638 s at 8000 Hz)" +
             advice,
         Encoding::ImaAdpcm},
        {"IMA ADPCM on C", Target::C, 2436, 8000, true,
         "2,436 bytes: 0.93 % of 256 KB (SAMD21), 0.46 % of 512 KB, 0.12 % of 2 MB (RP2040), 0.058 % of 4 MB "
         "(ESP32).",
         Encoding::ImaAdpcm},
    };
    for (const auto& row : rows) {
        const Fit fit = fitFor(row.target, {row.count, row.rate, row.encoding});
        EXPECT_EQ(fit.fits, row.fits) << row.name;
        EXPECT_EQ(fit.text, row.text) << row.name;
    }
    // The array limit is its own rule, seen on a board with more room.
    EXPECT_EQ(kBoardRoom, 31488u);
    EXPECT_TRUE(fitsFlash(kArrayLimit, kArrayLimit + 1000));
    EXPECT_FALSE(fitsFlash(kArrayLimit + 1, kArrayLimit + 1000));
    EXPECT_TRUE(fitsFlash(kBoardRoom, kBoardRoom));
    EXPECT_FALSE(fitsFlash(kBoardRoom + 1, kBoardRoom));
}

// Normalize and trim, on each way a clip is prepared; each row's prepared
// WAV file against the one holding the expected samples.
TEST(PrepareOptions, NormalizesToFullScaleAndTrimsSilence) {
    constexpr PrepareOptions kNormalize{true, false};
    constexpr PrepareOptions kTrim{false, true};
    constexpr PrepareOptions kBoth{true, true};
    const auto raw = [](const Bytes& bytes, PrepareOptions options) {
        return makeWaveFile(prepareRawEight(bytes, options), 8000);
    };
    const auto wave = [](const Bytes& file, PrepareOptions options) {
        return makeWaveFile(prepareWaveEight(file, 8000, options).value_or(Bytes{}), 8000);
    };
    const auto mixed = [](const std::vector<float>& planar, std::uint32_t channels, PrepareOptions options) {
        const auto frames = static_cast<std::uint32_t>(planar.size() / channels);
        return makeWaveFile(mixToEightBit({planar.data(), channels, frames}, options), 8000);
    };
    Bytes everyByte;
    for (int u = 0; u < 256; ++u) everyByte.push_back(static_cast<std::uint8_t>(u));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        Bytes prepared;
        Bytes expected;
    } rows[] = {
        {"raw, both off: the bytes unchanged", raw(everyByte, {}), everyByte},
        {"raw, a quiet clip reaches 0 and 255", raw({120, 136, 128, 132}, kNormalize), {0, 255, 128, 192}},
        {"raw, silence stays silence", raw({128, 128}, kNormalize), {128, 128}},
        {"raw, trim cuts within 2 steps at both ends",
         raw({128, 127, 126, 131, 128, 140, 130, 129}, kTrim),
         {131, 128, 140}},
        {"raw, all silence trims to nothing", raw({128, 126, 130, 127}, kTrim), {}},
        {"raw, 125 and 131 are sound", raw({125, 128, 131}, kTrim), {125, 128, 131}},
        {"raw, normalize before trim", raw({128, 129, 136, 120, 128}, kBoth), {144, 255, 0}},
        {"decoded, a quiet stereo clip",
         mixed({0.25f, -0.125f, 0.0f, 0.25f, -0.125f, 0.0f}, 2, kNormalize),
         {255, 64, 128}},
        {"decoded, NaN and infinity not the peak",
         mixed({0.5f, nan, inf, -0.25f}, 1, kNormalize),
         {255, 128, 255, 64}},
        {"decoded, both off", mixed({0.25f, -0.125f}, 1, {}), {160, 112}},
        {"decoded, trim", mixed({0.0f, 0.5f, 0.01f}, 1, kTrim), {192}},
        {"16-bit WAV, normalized",
         wave(test::waveOf(1, 1, 2, test::frames(2, {1024, -2048, 0})), kNormalize),
         {192, 0, 128}},
        {"16-bit WAV, both",
         wave(test::waveOf(1, 1, 2, test::frames(2, {0, 1024, -2048, 30})), kBoth),
         {192, 0}},
        {"64-bit float WAV, both",
         wave(test::waveOf(3, 1, 8, test::doubles({0.001, -0.1, 0.05, 0.0})), kBoth),
         {0, 192}},
    };
    for (const auto& row : rows) EXPECT_EQ(row.prepared, makeWaveFile(row.expected, 8000)) << row.name;
}

// What a conversion says about the bytes, for every outcome: the data
// chunk's promise and what the file holds of it, the RIFF form, the format
// the chunk walk reads, and the rate the clip plays at.
TEST(ConvertForPage, GivesTheFactsBehindTheNotices) {
    using test::chunk;
    using test::fmt;
    using test::riff;
    using test::sealed;
    Bytes cutShort = riff(0);
    fmt(cutShort, 1, 8000, 1, 8);
    chunk(cutShort, "data", 1000, 10);
    Bytes streamed = riff(0xFFFFFFFF - 8 - 1);
    fmt(streamed, 1, 22050, 1, 8);
    chunk(streamed, "data", 0xFFFFFFFF, 7);
    Bytes twoData = riff(0);
    fmt(twoData, 1, 8000, 1, 8);
    chunk(twoData, "data", 2, 2);
    chunk(twoData, "data", 9, 4);
    Bytes zeroRate = riff(0);
    fmt(zeroRate, 1, 0, 1, 8);
    chunk(zeroRate, "data", 2, 2);
    const Bytes whole = test::waveOf(1, 1, 1, {1, 2, 3});
    const Bytes stereo16 = test::waveOf(1, 2, 2, {1, 2, 3, 4});
    const Bytes notWave = riff(4, "WAVX");
    struct Row {
        const char* name;
        const char* fileName;
        Bytes bytes;
        ClipStatus status;
        std::uint32_t promised, held;
        bool riffWave;
        std::uint32_t channels, bits, rate;
        std::size_t samples;
    };
    const Row rows[] = {
        {"whole WAV", "a.wav", whole, ClipStatus::Converted, 3, 3, true, 1, 8, 8000, 3},
        {"cut short", "a.wav", sealed(cutShort), ClipStatus::Converted, 1000, 10, true, 1, 8, 8000, 10},
        {"streamed size", "a.wav", streamed, ClipStatus::Converted, 0xFFFFFFFF, 7, true, 1, 8, 22050, 7},
        {"the last data chunk", "a.wav", sealed(twoData), ClipStatus::Converted, 9, 4, true, 1, 8, 8000, 4},
        {"0 Hz", "a.wav", sealed(zeroRate), ClipStatus::Converted, 2, 2, true, 1, 8, 0, 2},
        {"16-bit stereo", "a.wav", stereo16, ClipStatus::NotMono, 4, 4, true, 2, 16, 8000, 0},
        {"not WAVE", "a.wav", notWave, ClipStatus::NotMono, 0, 0, false, 0, 0, 0, 0},
        {"empty WAV", "a.wav", {}, ClipStatus::Unreadable, 0, 0, false, 0, 0, 0, 0},
        {"a WAV named raw", "a.raw", whole, ClipStatus::Converted, 0, 0, true, 1, 8, 11025, whole.size()},
        {"raw", "a.raw", {1, 2, 3}, ClipStatus::Converted, 0, 0, false, 0, 0, 11025, 3},
        {"a WAV the tool does not classify", "a.mp3", stereo16, ClipStatus::NotRawOrWav, 0, 0, true, 2, 16, 0,
         0},
    };
    for (const Row& row : rows) {
        const ClipResult result = convertClip(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()),
                                              row.fileName, false, Target::C, 11025);
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.dataPromised, row.promised) << row.name;
        EXPECT_EQ(result.dataHeld, row.held) << row.name;
        EXPECT_EQ(result.isRiffWave, row.riffWave) << row.name;
        EXPECT_EQ(result.sourceChannels, row.channels) << row.name;
        EXPECT_EQ(result.sourceBits, row.bits) << row.name;
        EXPECT_EQ(result.sampleRate, row.rate) << row.name;
        EXPECT_EQ(result.samples.size(), row.samples) << row.name;
    }
}

TEST(TextsJson, IsOneValidTableOfEveryStatusAndNotice) {
    const Json table = JsonReader::read(textsJson());
    ASSERT_EQ(table.kind, Json::Kind::Object);
    const Json& statuses = table["statuses"];
    ASSERT_EQ(statuses.kind, Json::Kind::Array);
    const struct {
        const char* key;
        std::string_view japanese;
        const char* english;
    } expected[] = {
        {"converted", "", ""},
        {"no-input-path", kNoInputPath.utf8, "The input file's path name is not specified."},
        {"not-raw-or-wav", kNotRawOrWav.utf8, "The input file is neither raw nor wav."},
        {"not-mono", kMonoOnly.utf8, "wav files: only mono is supported."},
        {"not-eight-bit", kEightBitOnly.utf8, "wav files: only 8 bit is supported."},
        {"unreadable", "", "The file is empty: there are no samples to convert."},
        {"out-of-memory", "", "Out of memory: the page could not hold the clip or its text."},
    };
    ASSERT_EQ(statuses.items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Json& status = statuses.items[i];
        std::string_view japanese = expected[i].japanese;
        if (!japanese.empty()) japanese.remove_suffix(1);  // the line end
        ASSERT_EQ(status["status"].kind, Json::Kind::Number) << i;
        EXPECT_EQ(status["status"].number, static_cast<std::int64_t>(i));
        EXPECT_EQ(status["key"].text, expected[i].key) << i;
        EXPECT_EQ(status["ja"].text, japanese) << expected[i].key;
        EXPECT_EQ(status["en"].text, expected[i].english) << expected[i].key;
    }
    const Json& notices = table["notices"];
    ASSERT_EQ(notices.kind, Json::Kind::Object);
    const char* keys[] = {
        "name-proposed", "rate-kept",           "rate-offer",         "cut-short",          "not-wav",
        "empty",         "prepared-on-request", "trimmed-to-nothing", "name-not-identifier"};
    EXPECT_EQ(notices.members.size(), std::size(keys));
    for (const char* key : keys) {
        const Json& notice = notices[key];
        EXPECT_EQ(notice.kind, Json::Kind::String) << key;
        EXPECT_FALSE(notice.text.empty()) << key;
    }
    EXPECT_EQ(
        notices["name-proposed"].text,
        "\xE2\x80\x9C{file}\xE2\x80\x9D does not give a C identifier, so the array would not compile; it is "
        "named {array} instead. Choose another name to change it.");
    EXPECT_EQ(JsonReader::read("{\"a\":\"\\u0001\\\"\"}")["a"].text, "\x01\"");
}

}  // namespace
}  // namespace clip2c::board
