// SPDX-License-Identifier: MIT
#include "csource/array_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace clip2c {
namespace {

std::string text(const SourceText& source) { return std::string(source.bytes.chars(), source.length); }

std::vector<std::uint8_t> ramp(std::size_t count) {
    std::vector<std::uint8_t> v(count);
    for (std::size_t i = 0; i < count; ++i) v[i] = static_cast<std::uint8_t>(i);
    return v;
}

TEST(EmitArraySource, LaysOutValuesSixteenToALine) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> samples;
        bool isSigned;
        std::string expected;
    };
    const Row rows[] = {
        {"no samples", {}, false, "const unsigned char clip_wave[0] =\n{\n};\n"},
        {"no samples, signed", {}, true, "const char clip_wave[0] =\n{\n};\n"},
        {"three", {128, 129, 127}, false, "const unsigned char clip_wave[3] =\n{\n\t128, 129, 127\n};\n"},
        {"three, signed", {128, 129, 127}, true, "const char clip_wave[3] =\n{\n\t0, 1, -1\n};\n"},
        {"signed extremes", {0, 128, 255}, true, "const char clip_wave[3] =\n{\n\t-128, 0, 127\n};\n"},
        {"one", {7}, false, "const unsigned char clip_wave[1] =\n{\n\t7\n};\n"},
        {"sixteen", ramp(16), false,
         "const unsigned char clip_wave[16] =\n{\n"
         "\t0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15\n};\n"},
        {"seventeen", ramp(17), false,
         "const unsigned char clip_wave[17] =\n{\n"
         "\t0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,\n"
         "\t16\n};\n"},
        {"thirty-two", ramp(32), true,
         "const char clip_wave[32] =\n{\n"
         "\t-128, -127, -126, -125, -124, -123, -122, -121, -120, -119, -118, -117, -116, -115, -114, -113,\n"
         "\t-112, -111, -110, -109, -108, -107, -106, -105, -104, -103, -102, -101, -100, -99, -98, -97\n};\n"},
    };
    for (const Row& row : rows) {
        const SourceText source = emitArraySource(
            "clip", row.samples.data(), static_cast<std::uint32_t>(row.samples.size()), row.isSigned);
        EXPECT_EQ(text(source), row.expected) << row.name;
    }
}

// Every byte value, both ways, against a line built number by number.
TEST(EmitArraySource, WritesEveryByteValue) {
    const std::vector<std::uint8_t> samples = ramp(256);
    for (const bool isSigned : {false, true}) {
        std::string expected =
            std::string(isSigned ? "const char " : "const unsigned char ") + "all_wave[256] =\n{\n";
        for (int i = 0; i < 256; ++i) {
            if (i % 16 == 0) expected += '\t';
            expected += std::to_string(isSigned ? i - 128 : i);
            expected += i == 255 ? "\n" : (i % 16 == 15 ? ",\n" : ", ");
        }
        expected += "};\n";
        const SourceText source = emitArraySource("all", samples.data(), 256, isSigned);
        EXPECT_EQ(text(source), expected) << (isSigned ? "signed" : "unsigned");
    }
}

// The text as built number by number, to compare the table-driven builder to.
std::string expectedText(const std::vector<std::uint8_t>& samples, bool isSigned) {
    std::string expected = std::string(isSigned ? "const char " : "const unsigned char ") + "clip_wave[" +
                           std::to_string(samples.size()) + "] =\n{\n";
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % 16 == 0) expected += '\t';
        expected += std::to_string(isSigned ? samples[i] - 128 : samples[i]);
        expected += i + 1 == samples.size() ? "\n" : (i % 16 == 15 ? ",\n" : ", ");
    }
    return expected + "};\n";
}

// Counts around the ends of a line, the widest value texts last (where the
// final 8-byte store reaches furthest towards the block's end), and texts
// made of widest values only (where the text fills its block but for the
// slack). The last 8-byte store must end inside the block.
TEST(EmitArraySource, MatchesAtLineAndBlockBoundaries) {
    enum class Fill { RampThenWidest, WidestOnly, NarrowestThenWidest };
    struct Row {
        const char* name;
        std::size_t count;
        Fill fill;
    };
    const Row rows[] = {
        {"0", 0, Fill::RampThenWidest},
        {"1", 1, Fill::RampThenWidest},
        {"15", 15, Fill::RampThenWidest},
        {"16", 16, Fill::RampThenWidest},
        {"17", 17, Fill::RampThenWidest},
        {"31", 31, Fill::RampThenWidest},
        {"32", 32, Fill::RampThenWidest},
        {"33", 33, Fill::RampThenWidest},
        {"1 widest", 1, Fill::WidestOnly},
        {"15 widest", 15, Fill::WidestOnly},
        {"16 widest", 16, Fill::WidestOnly},
        {"17 widest", 17, Fill::WidestOnly},
        {"31 widest", 31, Fill::WidestOnly},
        {"32 widest", 32, Fill::WidestOnly},
        {"33 widest", 33, Fill::WidestOnly},
        {"4099 widest", 4099, Fill::WidestOnly},
        {"17 narrow, widest last", 17, Fill::NarrowestThenWidest},
        {"33 narrow, widest last", 33, Fill::NarrowestThenWidest},
    };
    for (const bool isSigned : {false, true}) {
        // The widest text: "255" unsigned, "-128" signed; the narrowest: "0".
        const std::uint8_t widest = isSigned ? 0 : 255;
        const std::uint8_t narrowest = isSigned ? 128 : 0;
        for (const Row& row : rows) {
            std::vector<std::uint8_t> samples(row.count, widest);
            for (std::size_t i = 0; i + 1 < row.count; ++i) {
                if (row.fill == Fill::RampThenWidest) samples[i] = static_cast<std::uint8_t>(i * 37 + 5);
                if (row.fill == Fill::NarrowestThenWidest) samples[i] = narrowest;
            }
            const SourceText source =
                emitArraySource("clip", samples.data(), static_cast<std::uint32_t>(samples.size()), isSigned);
            const char* const kind = isSigned ? ", signed" : ", unsigned";
            EXPECT_EQ(text(source), expectedText(samples, isSigned)) << row.name << kind;
            // The last value is stored as a whole 8-byte word, like every
            // other; that store must end inside the block too. Its text and
            // "\n" stand just before "};\n".
            const std::size_t block = source.bytes.size();
            EXPECT_LE(source.length, block) << row.name << kind;
            if (row.count != 0) {
                const std::size_t lastText =
                    std::to_string(isSigned ? samples.back() - 128 : samples.back()).size() + 1;
                EXPECT_LE(source.length - std::string("};\n").size() - lastText + sizeof(std::uint64_t),
                          block)
                    << row.name << kind;
            }
        }
    }
}

TEST(EmitArraySource, PassesTheNameThroughUnchanged) {
    const std::uint8_t one = 1;
    EXPECT_EQ(text(emitArraySource("my clip-1.v2", &one, 1, false)),
              "const unsigned char my clip-1.v2_wave[1] =\n{\n\t1\n};\n");
    EXPECT_EQ(text(emitArraySource("", &one, 1, false)), "const unsigned char _wave[1] =\n{\n\t1\n};\n");
}

TEST(DeriveArrayName, CutsFolderAndExtension) {
    struct Row {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Row rows[] = {
        {"clip.raw", ".raw", "clip"},
        {"C:\\snd\\clip.raw", ".raw", "clip"},
        {"snd/clip.raw", ".raw", "clip"},
        {"./a/b/clip.wav", ".wav", "clip"},
        {"a\\b/c\\clip.wav", ".wav", "clip"},
        {"clip.raw.wav", ".raw", "clip"},
        {"old.wav.raw", ".raw", "old.wav"},
        {"snd.wav\\clip.bin", ".wav", "snd"},
        {"x.raw\\y.raw", ".raw", "y"},
        {"a.raw.raw", ".raw", "a.raw"},
        {".raw", ".raw", ""},
        {"my clip-1.raw", ".raw", "my clip-1"},
        // The second byte of the Shift_JIS character 0x95 0x5C is a backslash.
        {"C:\\snd\\\x95\x5C\x8E\xA6.raw", ".raw", "\x8E\xA6"},
        {"dir/.wav", ".wav", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(deriveArrayName(row.path, row.extension), row.expected) << row.path;
    }
}

}  // namespace
}  // namespace clip2c
