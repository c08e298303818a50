// SPDX-License-Identifier: MIT
#include "csource/output_file.h"

#include <gtest/gtest.h>

#include "scratch_dir.h"

namespace clip2c {
namespace {

TEST(WriteWholeFile, CreatesOrTruncatesAndWritesEveryByte) {
    clip2c::testing::ScratchDir dir;
    dir.write("old.h", std::string(1000, 'x'));
    const std::string text = "const char a_wave[1] =\n{\n\t-1\n};\n";

    struct Row {
        const char* name;
        std::string file;
        std::string text;
    };
    const Row rows[] = {
        {"new file", "new.h", text},
        {"longer file is truncated", "old.h", text},
        {"empty text gives an empty file", "empty.h", ""},
        {"every byte value, LF kept", "bytes.h", std::string("\0\r\n\x1A\xFF", 5)},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(writeWholeFile(dir.file(row.file), row.text.data(), row.text.size())) << row.name;
        EXPECT_EQ(dir.read(row.file), row.text) << row.name;
    }
}

TEST(WriteWholeFile, FailsWhenTheFileCannotBeCreated) {
    clip2c::testing::ScratchDir dir;
    std::filesystem::create_directory(dir.file("folder.h"));
    const std::string text = "x";
    EXPECT_FALSE(writeWholeFile(dir.file("folder.h"), text.data(), text.size()));
    EXPECT_FALSE(writeWholeFile(dir.file("missing/out.h"), text.data(), text.size()));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

}  // namespace
}  // namespace clip2c
