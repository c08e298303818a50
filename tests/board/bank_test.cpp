// SPDX-License-Identifier: MIT
#include "board/bank.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/clip_header.h"
#include "board/notes.h"
#include "riff_builder.h"

namespace clip2c::board {
namespace {

using test::Bytes;
using test::waveOf;

// A file of a bank, with the bytes it points into kept alive beside it.
struct File {
    std::string fileName;
    Bytes bytes;
    std::optional<std::string> name;
};

BankRequest requestOf(const std::string& bankName, Target target, const std::vector<File>& files) {
    BankRequest request;
    request.name = bankName;
    request.target = target;
    for (const File& file : files) {
        request.files.push_back(
            {file.bytes.data(), static_cast<std::uint32_t>(file.bytes.size()), file.fileName, file.name});
    }
    return request;
}

const Bytes kCoin = waveOf(1, 1, 1, {128, 255}, false, 11025);

// The whole header, written out from the rules: the summary comment, the
// guard, each clip's lines without its own comment and #include, the enum,
// the struct, the table in flash and the accessor that reads it.
TEST(MakeBank, WritesTheWholeProgmemHeader) {
    const BankResult bank =
        makeBank(requestOf("sfx", Target::Progmem, {{"jump.raw", {1, 2, 3}, {}}, {"coin.wav", kCoin, {}}}));
    ASSERT_EQ(bank.refusal, BankRefusal::None) << bank.refusalText;
    EXPECT_EQ(
        bank.text,
        "/* sfx: 2 clips, 5 samples in all\n"
        "   jump_wave: 3 samples, 0.000 s at 8000 Hz, unsigned 8-bit (silence 128)\n"
        "   coin_wave: 2 samples, 0.000 s at 11025 Hz, unsigned 8-bit (silence 128) */\n"
        "#ifndef SFX_BANK_H\n"
        "#define SFX_BANK_H\n"
        "#include <avr/pgmspace.h>\n"
        "\n"
        "#define jump_wave_rate 8000\n"
        "const PROGMEM unsigned char jump_wave[3] =\n"
        "{\n"
        "\t1, 2, 3\n"
        "};\n"
        "\n"
        "#define coin_wave_rate 11025\n"
        "const PROGMEM unsigned char coin_wave[2] =\n"
        "{\n"
        "\t128, 255\n"
        "};\n"
        "\n"
        "enum { SFX_JUMP, SFX_COIN, SFX_COUNT };\n"
        "\n"
        "struct sfx_clip {\n"
        "\tconst unsigned char *data;\n"
        "\tunsigned long length;\n"
        "\tunsigned long rate;\n"
        "};\n"
        "\n"
        "const PROGMEM struct sfx_clip sfx_clips[SFX_COUNT] = {\n"
        "\t{jump_wave, 3, jump_wave_rate},\n"
        "\t{coin_wave, 2, coin_wave_rate},\n"
        "};\n"
        "\n"
        "/* Entry `index` of sfx_clips (below SFX_COUNT), read from flash; its samples are then read with "
        "pgm_read_byte(data + i). */\n"
        "static inline struct sfx_clip sfx_at(unsigned index)\n"
        "{\n"
        "\tstruct sfx_clip clip;\n"
        "\tmemcpy_P(&clip, &sfx_clips[index], sizeof clip);\n"
        "\treturn clip;\n"
        "}\n"
        "\n"
        "#endif\n");
    EXPECT_EQ(bank.sampleCount, 5u);
    EXPECT_TRUE(bank.notes.empty());
    EXPECT_TRUE(bank.fit.fits);
}

// What each target changes: the clip's lines, the pointer's type, where
// the table lives and how the accessor reads it.
TEST(MakeBank, GivesEachTargetItsTypesAndStorage) {
    const std::string direct = "\treturn s_clips[index];\n";
    const std::string copied =
        "\tstruct s_clip clip;\n\tmemcpy_P(&clip, &s_clips[index], sizeof clip);\n\treturn clip;\n";
    const struct {
        const char* name;
        Target target;
        bool isSigned;
        std::string clipLines;
        std::string pointer;
        std::string table;
        std::string entry;
        std::string body;
    } rows[] = {
        {"c", Target::C, false, "const unsigned char b_wave[1] =\n{\n\t7\n};\n", "const unsigned char *data;",
         "const struct s_clip s_clips[S_COUNT] = {", "{b_wave, 1, 8000},", direct},
        {"c, signed", Target::C, true, "const char b_wave[1] =\n{\n\t-121\n};\n", "const char *data;",
         "const struct s_clip s_clips[S_COUNT] = {", "{b_wave, 1, 8000},", direct},
        {"firmware", Target::Firmware, false, "#define b_wave_rate 8000\nconst unsigned char b_wave[1] =\n",
         "const unsigned char *data;", "const struct s_clip s_clips[S_COUNT] = {",
         "{b_wave, 1, b_wave_rate},", direct},
        {"firmware, signed", Target::Firmware, true, "const signed char b_wave[1] =\n{\n\t-121\n};\n",
         "const signed char *data;", "const struct s_clip s_clips[S_COUNT] = {", "{b_wave, 1, b_wave_rate},",
         direct},
        {"progmem, signed", Target::Progmem, true, "const PROGMEM signed char b_wave[1] =\n",
         "const signed char *data;", "const PROGMEM struct s_clip s_clips[S_COUNT] = {",
         "{b_wave, 1, b_wave_rate},", copied},
        {"flash", Target::Flash, false, "#define b_wave_rate 8000\nconst __flash unsigned char b_wave[1] =\n",
         "const __flash unsigned char *data;", "const __flash struct s_clip s_clips[S_COUNT] = {",
         "{b_wave, 1, b_wave_rate},", direct},
        {"flash, signed", Target::Flash, true, "const __flash signed char b_wave[1] =\n",
         "const __flash signed char *data;", "const __flash struct s_clip s_clips[S_COUNT] = {",
         "{b_wave, 1, b_wave_rate},", direct},
    };
    for (const auto& row : rows) {
        BankRequest request = requestOf("s", row.target, {});
        const Bytes bytes = {7};
        request.files.push_back({bytes.data(), 1, "b.raw", {}});
        request.isSigned = row.isSigned;
        const BankResult bank = makeBank(request);
        ASSERT_EQ(bank.refusal, BankRefusal::None) << row.name;
        const std::string& text = bank.text;
        EXPECT_NE(text.find("\n" + row.clipLines), std::string::npos) << row.name << "\n" << text;
        EXPECT_NE(text.find("\n\t" + row.pointer + "\n"), std::string::npos) << row.name << "\n" << text;
        EXPECT_NE(text.find("\n" + row.table + "\n\t" + row.entry + "\n};\n"), std::string::npos)
            << row.name << "\n"
            << text;
        EXPECT_NE(text.find("_at(unsigned index)\n{\n" + row.body + "}\n\n#endif\n"), std::string::npos)
            << row.name << "\n"
            << text;
        // One comment, at the top; the include once, for PROGMEM only.
        EXPECT_EQ(text.find("/* b_wave"), std::string::npos) << row.name;
        EXPECT_EQ(text.find("#include") != std::string::npos, row.target == Target::Progmem) << row.name;
        EXPECT_EQ(text.find("#include"), text.rfind("#include")) << row.name;
    }
}

// In IMA ADPCM the decoder comes once after the includes, each clip's
// defines and bytes as it has them alone, and entries of data, bytes,
// samples and rate; the fit counts the arrays' bytes and 14 a clip.
TEST(MakeBank, InImaAdpcmHoldsTheDecoderOnceAndEntriesOfBytesAndSamples) {
    const struct {
        const char* name;
        Target target;
        std::string pointer;
        std::string table;
        std::string flash;
    } rows[] = {
        {"c", Target::C, "const unsigned char *data;", "const struct s_clip s_clips[S_COUNT] = {", ""},
        {"progmem", Target::Progmem, "const unsigned char *data;",
         "const PROGMEM struct s_clip s_clips[S_COUNT] = {", ", read from flash"},
        {"flash", Target::Flash, "const __flash unsigned char *data;",
         "const __flash struct s_clip s_clips[S_COUNT] = {", ", read from flash"},
    };
    const std::vector<File> files = {{"coin.wav", kCoin, {}}, {"b.raw", Bytes(600, 200), {}}};
    for (const auto& row : rows) {
        BankRequest request = requestOf("s", row.target, files);
        request.encoding = Encoding::ImaAdpcm;
        request.isSigned = true;  // no effect on IMA ADPCM
        const BankResult bank = makeBank(request);
        ASSERT_EQ(bank.refusal, BankRefusal::None) << row.name;
        const std::string& text = bank.text;
        const std::string decoder = adpcmDecoderText(row.target);
        EXPECT_EQ(text.find(decoder), text.rfind(decoder)) << row.name;
        EXPECT_NE(text.find(decoder), std::string::npos) << row.name;
        std::uint64_t bytes = 0;
        for (const BoardClip& clip : bank.clips) {
            const MadeClip& result = clip.made;
            const ClipFacts facts{
                result.arrayName,   result.sampleRate,  false,
                result.sampleCount, Encoding::ImaAdpcm, static_cast<std::uint32_t>(result.bytes.size())};
            std::string body("\n");
            Header alone;
            alone.clips = {clipPart(row.target, facts, result.bytes)};
            body.append(render(alone)).append("\n");
            EXPECT_NE(text.find(body), std::string::npos) << row.name;
            std::string comment("\n   ");
            comment.append(factsLine(facts));
            EXPECT_NE(text.find(comment), std::string::npos) << row.name;
            std::string entry("\t{");
            entry.append(result.arrayName).append(", ").append(std::to_string(result.bytes.size()));
            entry.append(", ").append(result.arrayName).append("_samples, ").append(result.arrayName);
            EXPECT_NE(text.find(entry.append("_rate},\n")), std::string::npos) << row.name;
            bytes += result.bytes.size();
        }
        EXPECT_EQ(bank.sampleCount, bank.clips[0].made.sampleCount + bank.clips[1].made.sampleCount)
            << row.name;
        EXPECT_EQ(bank.clips[1].made.sampleCount, 602u) << row.name;  // 505, then 1 + 96
        EXPECT_NE(
            text.find("\n\t" + row.pointer +
                      "\n\tunsigned long bytes;\n\tunsigned long samples;\n\tunsigned long rate;\n};\n"),
            std::string::npos)
            << row.name;
        EXPECT_NE(text.find("\n" + row.table + "\n"), std::string::npos) << row.name;
        EXPECT_NE(text.find(row.flash +
                            "; its samples are then decoded with clip2c_adpcm_start(&d, data, samples)"),
                  std::string::npos)
            << row.name;
        EXPECT_EQ(bank.fit.bytes, bytes + (isAvrTarget(row.target) ? 2 * kBankAdpcmEntryBytes : 0))
            << row.name;
    }
}

// Names are settled before any clip is made: a later clip whose name, or
// upper-cased name, an earlier one has, or whose enum constant the bank
// uses itself, gets the first free suffix, and a note says why.
TEST(BankNames, GiveEveryClipItsOwnEnumConstant) {
    const struct {
        const char* name;
        std::vector<File> files;
        std::vector<std::string> names;
        std::vector<std::string> notes;
    } rows[] = {
        {"distinct", {{"a.raw", {1}, {}}, {"b.raw", {1}, {}}}, {"a", "b"}, {}},
        {"jump, jump, JUMP",
         {{"jump.raw", {1}, {}}, {"x/jump.wav", kCoin, {}}, {"JUMP.raw", {1}, {}}},
         {"jump", "jump_2", "JUMP_3"},
         {"x/jump.wav: two clips are named jump: the second is jump_2",
          "JUMP.raw: jump and JUMP are one name in the enum (SFX_JUMP): the second is JUMP_3"}},
        {"a wanted name is not taken by a suffix",
         {{"jump.raw", {1}, {}}, {"jump.wav", kCoin, {}}, {"jump_2.raw", {1}, {}}},
         {"jump", "jump_3", "jump_2"},
         {"jump.wav: two clips are named jump: the second is jump_3"}},
        {"the bank's own constants",
         {{"count.raw", {1}, {}}, {"Bank_H.raw", {1}, {}}},
         {"count_2", "Bank_H_2"},
         {"count.raw: count would make the enum's SFX_COUNT, which the bank itself uses: the clip is count_2",
          "Bank_H.raw: Bank_H would make the enum's SFX_BANK_H, which the bank itself uses: the clip is "
          "Bank_H_2"}},
        {"chosen and proposed names clash too",
         {{"my jump.raw", {1}, {}}, {"x.raw", {1}, "my_jump"}},
         {"my_jump", "my_jump_2"},
         {"my jump.raw: " + fillNote(Notice::NameProposed, {{"file", "my jump"}, {"array", "my_jump_wave"}}),
          "x.raw: two clips are named my_jump: the second is my_jump_2"}},
    };
    for (const auto& row : rows) {
        const BankRequest request = requestOf("sfx", Target::Firmware, row.files);
        EXPECT_EQ(bankNames(request), row.names) << row.name;
        const BankResult bank = makeBank(request);
        ASSERT_EQ(bank.refusal, BankRefusal::None) << row.name << ": " << bank.refusalText;
        ASSERT_EQ(bank.clips.size(), row.names.size()) << row.name;
        for (std::size_t i = 0; i < row.names.size(); ++i) {
            EXPECT_EQ(bank.clips[i].name, row.names[i]) << row.name;
            EXPECT_NE(bank.text.find("unsigned char " + row.names[i] + "_wave["), std::string::npos)
                << row.name;
        }
        EXPECT_EQ(bank.notes, row.notes) << row.name;
    }
}

// A bank of one clip is a bank: its own table, count and accessor.
TEST(MakeBank, OfOneClip) {
    const BankResult bank = makeBank(requestOf("sounds", Target::Firmware, {{"beep.raw", {200}, {}}}));
    ASSERT_EQ(bank.refusal, BankRefusal::None);
    EXPECT_EQ(bank.text.substr(0, bank.text.find("#ifndef")),
              "/* sounds: 1 clip, 1 sample in all\n"
              "   beep_wave: 1 samples, 0.000 s at 8000 Hz, unsigned 8-bit (silence 128) */\n");
    EXPECT_NE(bank.text.find("\nenum { SOUNDS_BEEP, SOUNDS_COUNT };\n"), std::string::npos);
    EXPECT_NE(bank.text.find("\n\t{beep_wave, 1, beep_wave_rate},\n};\n"), std::string::npos);
}

// No bank is made when one clip cannot be: the refusal names the clip, and
// the clips made up to it are kept for the door to say more.
TEST(MakeBank, RefusesTheWholeBankForOneClip) {
    const Bytes longClip(32768, 128);
    const Bytes silence(30, 128);
    const struct {
        const char* name;
        std::string bankName;
        Target target;
        std::vector<File> files;
        bool trim;
        BankRefusal refusal;
        std::size_t clip;
        std::string text;
    } rows[] = {
        {"no clips", "sfx", Target::C, {}, false, BankRefusal::NoClips, 0, "a bank needs at least one clip"},
        {"a bank name that is no identifier",
         "my-sfx",
         Target::C,
         {{"a.raw", {1}, {}}},
         false,
         BankRefusal::BadName,
         0,
         "my-sfx: the bank's name gives no C identifier (a letter, then letters, digits and _); try my_sfx"},
        {"an empty file",
         "sfx",
         Target::C,
         {{"a.raw", {1}, {}}, {"e.wav", {}, {}}},
         false,
         BankRefusal::ClipRefused,
         1,
         "e.wav: the file is empty"},
        {"a file only a decoder reads",
         "sfx",
         Target::Progmem,
         {{"song.mp3", {'I', 'D', '3', 4, 0, 1, 2}, {}}, {"a.raw", {1}, {}}},
         false,
         BankRefusal::NeedsDecoder,
         0,
         "song.mp3: clip2c-board reads WAV and raw files only; it holds MP3 data: decode it first, e.g. sox song.mp3 -b 16 song.wav"},
        {"a WAV file without samples",
         "sfx",
         Target::Firmware,
         {{"a.raw", {1}, {}}, {"none.wav", waveOf(1, 1, 1, {}), {}}},
         false,
         BankRefusal::EmptyClip,
         1,
         "none.wav: the clip has no samples, and a bank holds no empty clip (C has no empty array)"},
        {"trimmed to nothing",
         "sfx",
         Target::C,
         {{"hush.raw", silence, {}}},
         true,
         BankRefusal::EmptyClip,
         0,
         "hush.raw: the clip has no samples, and a bank holds no empty clip (C has no empty array)"},
        {"over one array on flash",
         "sfx",
         Target::Flash,
         {{"a.raw", {1}, {}}, {"long.raw", longClip, {}}},
         false,
         BankRefusal::OverArray,
         1,
         "long.raw: Too long for one AVR array: 32,768 bytes, where one array holds 32,767 bytes (4.095 s at "
         "8000 Hz). Lower the rate, trim, or cut the clip shorter."},
        {"the first refused clip is named",
         "sfx",
         Target::Progmem,
         {{"long.raw", longClip, {}}, {"e.raw", {}, {}}},
         false,
         BankRefusal::OverArray,
         0,
         "long.raw: Too long for one AVR array: 32,768 bytes, where one array holds 32,767 bytes (4.095 s at "
         "8000 Hz). Lower the rate, trim, or cut the clip shorter."},
    };
    for (const auto& row : rows) {
        BankRequest request = requestOf(row.bankName, row.target, row.files);
        request.options.trim = row.trim;
        const BankResult bank = makeBank(request);
        EXPECT_EQ(bank.refusal, row.refusal) << row.name;
        EXPECT_EQ(bank.refusedClip, row.clip) << row.name;
        EXPECT_EQ(bank.refusalText, row.text) << row.name;
        EXPECT_TRUE(bank.text.empty()) << row.name;
    }
}

// A clip over one array is judged with the rest: the fit names it and the
// rate that would fit them all.
TEST(MakeBank, JudgesAClipOverOneArrayWithTheRest) {
    const Bytes longClip(40000, 128);
    const BankResult bank = makeBank(
        requestOf("sfx", Target::Progmem, {{"long.raw", longClip, {}}, {"a.raw", Bytes(1000, 1), {}}}));
    EXPECT_EQ(bank.refusal, BankRefusal::OverArray);
    ASSERT_EQ(bank.clips.size(), 2u);
    EXPECT_FALSE(bank.fit.fits);
    EXPECT_EQ(bank.fit.over, std::vector<std::size_t>{0});
    EXPECT_EQ(bank.fit.fittingRate, 6034u);
}

// The fit of the whole bank, at both sides of each limit: the Uno's room
// beside the bank sketch, the Nano's, and one AVR array.
TEST(BankFit, JudgesTheSamplesAndTheTable) {
    const std::uint32_t uno = kBankRoom - 2 * kBankEntryBytes;  // two clips' samples that just fit
    const std::uint32_t nano = kBankNanoRoom - 2 * kBankEntryBytes;
    const struct {
        const char* name;
        Target target;
        std::vector<ClipFacts> facts;
        bool fits;
        std::uint32_t rate;
        std::string text;
    } rows[] = {
        {"fits the Nano, just",
         Target::Progmem,
         {{"a_wave", 8000, false, nano - 100}, {"b_wave", 8000, false, 100}},
         true,
         0,
         "Fits an Arduino Uno or Nano beside the bank sketch: 29,408 bytes (clips 29,388, table 20), where the Uno "
         "holds 30,944 bytes and the Nano 29,408 bytes."},
        {"one byte over the Nano",
         Target::Flash,
         {{"a_wave", 8000, false, nano - 99}, {"b_wave", 8000, false, 100}},
         true,
         0,
         "Fits an Arduino Uno beside the bank sketch: 29,409 bytes (clips 29,389, table 20), where it holds 30,944 "
         "bytes; too big for a Nano, which holds 29,408 bytes."},
        {"fits the Uno, just",
         Target::Progmem,
         {{"a_wave", 8000, false, uno - 100}, {"b_wave", 8000, false, 100}},
         true,
         0,
         "Fits an Arduino Uno beside the bank sketch: 30,944 bytes (clips 30,924, table 20), where it holds 30,944 "
         "bytes; too big for a Nano, which holds 29,408 bytes."},
        {"one byte over the Uno",
         Target::Progmem,
         {{"a_wave", 8000, false, uno - 99}, {"b_wave", 8000, false, 100}},
         false,
         7999,
         "Too big for an Arduino Uno beside the bank sketch: 30,945 bytes (clips 30,925, table 20), where it holds "
         "30,944 bytes. At 7999 Hz all 2 clips would fit: 30,941 bytes."},
        {"over one array, two rates",
         Target::Flash,
         {{"a_wave", 8000, false, 32768}, {"b_wave", 16000, false, 32768}, {"c_wave", 8000, false, 10}},
         false,
         5030,
         "Too big for an Arduino Uno beside the bank sketch: 65,576 bytes (clips 65,546, table 30), where it holds "
         "30,944 bytes. a_wave and b_wave are over one array (32,767 bytes each). At 5030 Hz all 3 clips would "
         "fit: 30,940 bytes."},
        {"a clip without a rate",
         Target::Progmem,
         {{"a_wave", 0, false, 40000}},
         false,
         0,
         "Too big for an Arduino Uno beside the bank sketch: 40,010 bytes (clips 40,000, table 10), where it holds "
         "30,944 bytes. a_wave is over one array (32,767 bytes). No single rate fits them all: trim the clips or "
         "cut them shorter."},
        {"firmware: beside common flash sizes",
         Target::Firmware,
         {{"a_wave", 8000, false, 40000}, {"b_wave", 8000, false, 2000}},
         true,
         0,
         fitFor(Target::Firmware, {42000, 0}).text},
    };
    for (const auto& row : rows) {
        const BankFit fit = bankFit(row.target, row.facts);
        EXPECT_EQ(fit.fits, row.fits) << row.name;
        EXPECT_EQ(fit.fittingRate, row.rate) << row.name;
        EXPECT_EQ(fit.text, row.text) << row.name;
    }
}

}  // namespace
}  // namespace clip2c::board
