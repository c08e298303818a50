// SPDX-License-Identifier: MIT
#include "input/wave.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "riff_builder.h"

namespace clip2c {
namespace {

using test::Bytes;
using test::chunk;
using test::fmt;
using test::putId;
using test::putU16;
using test::putU32;
using test::riff;
using test::sealed;
using test::withRiffSize;

struct Expected {
    bool image;
    std::uint32_t channels, sampleRate, blockAlign, bitsPerSample;
    long dataOffset;  // -1: no data position
    std::uint32_t dataSize;
};
struct WaveRow {
    std::string name;
    Bytes image;
    Expected expected;
};

Bytes pcm8Mono(std::size_t samples) {
    Bytes b = riff(0);
    fmt(b, 1, 8000, 1, 8);
    chunk(b, "data", static_cast<std::uint32_t>(samples), samples);
    return sealed(b);
}

std::vector<WaveRow> wellFormedRows() {
    std::vector<WaveRow> rows;
    rows.push_back({"8-bit mono", pcm8Mono(5), {true, 1, 8000, 1, 8, 44, 5}});
    {
        Bytes b = riff(0);
        fmt(b, 1, 22050, 2, 16);
        chunk(b, "data", 4, 4);
        rows.push_back({"16-bit mono", sealed(b), {true, 1, 22050, 2, 16, 44, 4}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 2, 11025, 2, 8);
        chunk(b, "data", 4, 4);
        rows.push_back({"8-bit stereo", sealed(b), {true, 2, 11025, 2, 8, 44, 4}});
    }
    {
        // The bits field says 16 but block align 1 makes it 8.
        Bytes b = riff(0);
        fmt(b, 1, 8000, 1, 16);
        chunk(b, "data", 2, 2);
        rows.push_back({"bits derived from block align", sealed(b), {true, 1, 8000, 1, 8, 44, 2}});
    }
    {
        Bytes b = riff(0);
        chunk(b, "data", 3, 4);  // three bytes and the pad byte
        fmt(b, 1, 8000, 1, 8);
        rows.push_back({"data ahead of fmt", sealed(b), {true, 1, 8000, 1, 8, 20, 3}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 1, 8000, 1, 8);
        chunk(b, "LIST", 5, 6);  // five bytes and the pad byte
        chunk(b, "data", 2, 2);
        rows.push_back({"odd LIST chunk is padded", sealed(b), {true, 1, 8000, 1, 8, 58, 2}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 1, 8000, 1, 8);
        chunk(b, "data", 2, 2);
        chunk(b, "data", 3, 4);
        rows.push_back({"last data chunk wins", sealed(b), {true, 1, 8000, 1, 8, 54, 3}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 2, 8000, 2, 8);
        fmt(b, 1, 4000, 1, 8);
        rows.push_back({"last fmt wins, no data", sealed(b), {true, 1, 4000, 1, 8, -1, 0}});
    }
    {
        // A fmt chunk declaring 12 bytes still has its block align read at
        // offset 20, here from the following chunk's id.
        Bytes b = riff(0);
        putId(b, "fmt ");
        putU32(b, 12);
        putU16(b, 1);
        putU16(b, 1);
        putU32(b, 8000);
        putU32(b, 8000);
        chunk(b, "data", 1, 2);  // bytes 20..21 of fmt are "da" = 0x6164
        rows.push_back(
            {"short fmt reads past its size", sealed(b), {true, 1, 8000, 0x6164, 0x6164 * 8, 40, 1}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 0, 8000, 1, 8);
        rows.push_back({"zero channels, no division", sealed(b), {true, 0, 8000, 1, 0, -1, 0}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 3, 8000, 4, 8);
        rows.push_back({"block align not a multiple of channels", sealed(b), {true, 3, 8000, 4, 8, -1, 0}});
    }
    return rows;
}

std::vector<WaveRow> limitRows() {
    Bytes notWave = pcm8Mono(4);
    notWave[8] = 'w';
    // pcm8Mono(4): "fmt " at 12, "data" at 36 with its body at 44.
    return {
        {"form type not WAVE", notWave, {false, 0, 0, 0, 0, -1, 0}},
        {"RIFF size 4 walks nothing", withRiffSize(pcm8Mono(4), 4), {true, 0, 0, 0, 0, -1, 0}},
        {"RIFF size 2^32-8 wraps the limit",
         withRiffSize(pcm8Mono(4), 0xFFFFFFF8),
         {true, 0, 0, 0, 0, -1, 0}},
        // Limit 28 + 8 = 36 stops before the data chunk at 36.
        {"chunk at the limit is not looked at", withRiffSize(pcm8Mono(4), 28), {true, 1, 8000, 1, 8, -1, 0}},
        // Limit 37: the data chunk starts below it and is taken in full.
        {"chunk starting below the limit is taken whole",
         withRiffSize(pcm8Mono(4), 29),
         {true, 1, 8000, 1, 8, 44, 4}},
        {"RIFF size beyond the image", withRiffSize(pcm8Mono(4), 0xF0F0F0F0), {true, 1, 8000, 1, 8, 44, 4}},
    };
}

std::vector<WaveRow> hostileRows() {
    std::vector<WaveRow> rows;
    rows.push_back({"empty image", {}, {false, 0, 0, 0, 0, -1, 0}});
    {
        Bytes b = riff(100);
        b.pop_back();
        rows.push_back({"11 bytes", b, {false, 0, 0, 0, 0, -1, 0}});
    }
    rows.push_back({"header only", riff(100), {true, 0, 0, 0, 0, -1, 0}});
    {
        Bytes b = riff(100);
        putId(b, "fmt ");
        putU16(b, 16);
        rows.push_back({"chunk header cut off", b, {true, 0, 0, 0, 0, -1, 0}});
    }
    {
        Bytes b = riff(100);
        putId(b, "fmt ");
        putU32(b, 16);
        putU16(b, 1);
        putU16(b, 1);
        putU32(b, 8000);
        putU32(b, 8000);
        putU16(b, 0);  // block align's first byte only
        b.pop_back();
        rows.push_back({"fmt fields cut off give nothing", b, {true, 0, 0, 0, 0, -1, 0}});
    }
    {
        Bytes b = riff(0);
        fmt(b, 1, 8000, 1, 8);
        chunk(b, "data", 1000, 10);
        rows.push_back({"data declares more than the file holds", sealed(b), {true, 1, 8000, 1, 8, 44, 10}});
    }
    {
        Bytes b = riff(0xFFFFFFFF - 8 - 1);
        fmt(b, 1, 8000, 1, 8);
        chunk(b, "data", 0xFFFFFFFF, 7);
        rows.push_back({"streamed data size 0xFFFFFFFF", b, {true, 1, 8000, 1, 8, 44, 7}});
    }
    {
        // A huge odd size would wrap a 32-bit position back to the start.
        Bytes b = riff(0x7FFFFFFF);
        fmt(b, 1, 8000, 1, 8);
        chunk(b, "junk", 0xFFFFFFF3, 2);
        fmt(b, 2, 8000, 2, 8);
        rows.push_back({"huge chunk size ends the walk", b, {true, 1, 8000, 1, 8, -1, 0}});
    }
    {
        Bytes b = riff(0x7FFFFFFF);
        chunk(b, "data", 0, 0);
        rows.push_back({"empty data chunk at the end", b, {true, 0, 0, 0, 0, 20, 0}});
    }
    return rows;
}

void checkRows(const std::vector<WaveRow>& rows) {
    for (const WaveRow& row : rows) {
        SCOPED_TRACE(row.name);
        WaveInfo info{};
        parseWave(row.image.data(), row.image.size(), info);
        const Expected& e = row.expected;
        EXPECT_EQ(info.image != nullptr, e.image);
        if (e.image) {
            EXPECT_EQ(info.image, row.image.data());
        }
        EXPECT_EQ(info.channels, e.channels);
        EXPECT_EQ(info.sampleRate, e.sampleRate);
        EXPECT_EQ(info.blockAlign, e.blockAlign);
        EXPECT_EQ(info.bitsPerSample, e.bitsPerSample);
        EXPECT_EQ(info.dataSize, e.dataSize);
        if (e.dataOffset < 0) {
            EXPECT_EQ(info.data, nullptr);
        } else {
            EXPECT_EQ(info.data, row.image.data() + e.dataOffset);
        }
        if (info.data != nullptr) {
            EXPECT_LE(info.data + info.dataSize, row.image.data() + row.image.size());
        }
    }
}

TEST(ParseWave, ReadsWellFormedChunks) { checkRows(wellFormedRows()); }
TEST(ParseWave, StopsAtTheRiffLimit) { checkRows(limitRows()); }
TEST(ParseWave, StaysInsideHostileImages) { checkRows(hostileRows()); }

}  // namespace
}  // namespace clip2c
