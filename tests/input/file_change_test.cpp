// SPDX-License-Identifier: MIT
// readWholeFile against a file whose size is not the one its buffer was
// measured for: the file grew or shrank between queryFileSize and the read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "input/file_load.h"
#include "scratch_dir.h"

namespace clip2c {
namespace {

constexpr std::uint8_t kGuard = 0xEE;
constexpr std::size_t kGuardBytes = 64;

std::string fileOf(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + 1);
    return bytes;
}

TEST(FileChange, BufferMeasuredForAnotherSizeIsAFailedRead) {
    struct Row {
        const char* name;
        std::size_t sizeWhenMeasured;
        std::size_t sizeWhenRead;
        std::uint32_t expected;  // bytes read; 0 for a failed read
    };
    const Row rows[] = {
        {"unchanged", 300, 300, 300},
        {"grew by one byte", 300, 301, 0},
        {"grew a lot", 300, 5000, 0},
        {"shrank by one byte", 300, 299, 0},
        {"shrank to one byte", 300, 1, 0},
        {"emptied", 300, 0, 0},
        {"appeared after measuring as missing", 0, 300, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        clip2c::testing::ScratchDir dir;
        const std::string path = dir.file("clip.raw");
        if (row.sizeWhenMeasured != 0) dir.write("clip.raw", fileOf(row.sizeWhenMeasured));

        const std::uint32_t capacity = queryFileSize(path);
        ASSERT_EQ(capacity, row.sizeWhenMeasured);
        const std::string now = fileOf(row.sizeWhenRead);
        dir.write("clip.raw", now);

        std::vector<std::uint8_t> buffer(capacity + kGuardBytes, kGuard);
        EXPECT_EQ(readWholeFile(path, buffer.data(), capacity), row.expected);
        EXPECT_TRUE(std::all_of(buffer.begin() + capacity, buffer.end(), [](std::uint8_t b) {
            return b == kGuard;
        })) << "wrote past the buffer";
        if (row.expected != 0) {
            EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + capacity), now);
        }
    }
}

}  // namespace
}  // namespace clip2c
