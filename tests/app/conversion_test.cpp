// SPDX-License-Identifier: MIT
#include "app/conversion.h"
#include "csource/conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace clip2c {
namespace {

TEST(ClassifyInput, FindsTheExtensionAnywhereRawFirst) {
    struct Row {
        const char* path;
        const char* extension;  // "" when neither
        const char* output;     // the default output path
    };
    const Row rows[] = {
        {"clip.raw", ".raw", "clip.h"},
        {"clip.wav", ".wav", "clip.h"},
        {"clip.raw.wav", ".raw", "clip.h"},
        {"old.wav.raw", ".raw", "old.wav.h"},
        {"snd.wav\\clip.bin", ".wav", "snd.h"},
        {"snd.wav/clip.bin", ".wav", "snd.h"},
        {"a.raw.b.raw.c", ".raw", "a.raw.b.h"},
        {".raw", ".raw", ".h"},
        {"C:\\snd\\clip.wav", ".wav", "C:\\snd\\clip.h"},
        {"clip.rawfile", ".raw", "clip.h"},
        {"SOUND.RAW", "", ""},
        {"clip.Wav", "", ""},
        {"clip.txt", "", ""},
        {"raw", "", ""},
    };
    for (const Row& row : rows) {
        const std::optional<std::string_view> extension = classifyInput(row.path);
        EXPECT_EQ(std::string(extension.value_or("")), row.extension) << row.path;
        if (extension) {
            EXPECT_EQ(deriveOutputPath(row.path, *extension), row.output) << row.path;
        }
    }
}

}  // namespace
}  // namespace clip2c
