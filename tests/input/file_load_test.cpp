// SPDX-License-Identifier: MIT
#include "input/file_load.h"

#include <gtest/gtest.h>

#include <vector>

#include "scratch_dir.h"

namespace clip2c {
namespace {

TEST(LoadFile, MeasuresAndReadsWholeFilesOnly) {
    clip2c::testing::ScratchDir dir;
    std::string bytes(300, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    dir.write("clip.raw", bytes);
    dir.write("empty.raw", "");
    std::filesystem::create_directory(dir.file("folder.raw"));

    struct Row {
        const char* name;
        std::string path;
        std::uint32_t size;  // expected measure and read; 0 for a failure
    };
    const Row rows[] = {
        {"a file", dir.file("clip.raw"), 300},
        {"an empty file", dir.file("empty.raw"), 0},
        {"a missing file", dir.file("missing.raw"), 0},
        {"a folder", dir.file("folder.raw"), 0},
        {"an empty path", "", 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(queryFileSize(row.path), row.size) << row.name;
        std::vector<std::uint8_t> buffer(row.size + 1, 0xEE);
        EXPECT_EQ(readWholeFile(row.path, buffer.data(), row.size), row.size) << row.name;
        EXPECT_EQ(buffer[row.size], 0xEE) << row.name << ": wrote past the buffer";
        if (row.size != 0) {
            EXPECT_EQ(std::string(buffer.begin(), buffer.end() - 1), bytes) << row.name;
        }
    }
}

}  // namespace
}  // namespace clip2c
