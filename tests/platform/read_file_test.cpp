// SPDX-License-Identifier: MIT
// platform::readFile asked for more than the file holds (a file that shrank
// after it was measured): the read stops at the file's real end and says
// how much it read, leaving the rest of the buffer as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "scratch_dir.h"

namespace clip2c {
namespace {

TEST(ReadFile, StopsAtTheFilesRealEnd) {
    struct Row {
        const char* name;
        std::size_t fileSize;
        std::uint32_t asked;
    };
    const Row rows[] = {
        {"as long as asked", 300, 300},
        {"shorter than asked", 100, 300},
        {"empty", 0, 16},
    };
    for (const Row& row : rows) {
        clip2c::testing::ScratchDir dir;
        std::string bytes(row.fileSize, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 11 + 3);
        const std::string path = dir.write("clip.raw", bytes);

        platform::FileHandle file;
        ASSERT_TRUE(platform::openForReading(path, file)) << row.name;
        std::vector<std::uint8_t> buffer(row.asked, 0xEE);
        const std::uint32_t got = platform::readFile(file, buffer.data(), row.asked);
        EXPECT_TRUE(platform::closeFile(file)) << row.name;

        EXPECT_EQ(got, row.fileSize) << row.name;
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + got), bytes) << row.name;
        EXPECT_TRUE(std::all_of(buffer.begin() + got, buffer.end(), [](std::uint8_t b) { return b == 0xEE; }))
            << row.name << ": wrote past the file's end";
    }
}

}  // namespace
}  // namespace clip2c
