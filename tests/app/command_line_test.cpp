// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace clip2c {
namespace {

TEST(ParseCommandLine, ReadsOptionsAndPaths) {
    struct Row {
        const char* name;
        std::vector<const char*> args;  // without argument 0
        bool help;
        bool isSigned;
        const char* input;
        const char* output;
    };
    const Row rows[] = {
        {"no arguments", {}, true, false, "", ""},
        {"one path", {"clip.raw"}, false, false, "clip.raw", ""},
        {"two paths", {"a.raw", "b.txt"}, false, false, "a.raw", "b.txt"},
        {"third path ignored", {"a.raw", "b.txt", "c.raw"}, false, false, "a.raw", "b.txt"},
        {"/?", {"/?"}, true, false, "", ""},
        {"-help", {"-help"}, true, false, "", ""},
        {"/Help", {"/Help"}, true, false, "", ""},
        {"/HELPME is a prefix match", {"/HELPME"}, true, false, "", ""},
        {"/HEL is too short", {"/HEL"}, false, false, "", ""},
        {"-?x", {"-?x"}, true, false, "", ""},
        {"-signed", {"-signed", "a.raw"}, false, true, "a.raw", ""},
        {"/Signed after paths", {"a.raw", "o.h", "/Signed"}, false, true, "a.raw", "o.h"},
        {"/SIGNEDX", {"/SIGNEDX"}, false, true, "", ""},
        {"/SIGN is too short", {"/SIGN"}, false, false, "", ""},
        {"unknown option ignored", {"/x", "a.raw"}, false, false, "a.raw", ""},
        {"lone switch ignored", {"/", "-", "a.raw"}, false, false, "a.raw", ""},
        {"absolute POSIX path is an option", {"/data/clip.raw"}, false, false, "", ""},
        {"help after paths", {"a.raw", "b.h", "-HELP"}, true, false, "a.raw", "b.h"},
        {"help and signed", {"/signed", "/?"}, true, true, "", ""},
        {"empty argument keeps the slot", {"", "a.raw", "", "b.h"}, false, false, "a.raw", "b.h"},
        {"only empty arguments", {"", ""}, false, false, "", ""},
        {"switch with Shift_JIS text", {"/\x83w\x83\x8B\x83v"}, false, false, "", ""},
    };
    for (const Row& row : rows) {
        std::vector<const char*> argv{"clip2c"};
        argv.insert(argv.end(), row.args.begin(), row.args.end());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(line.flags.has(RunFlags::Help), row.help) << row.name;
        EXPECT_EQ(line.flags.has(RunFlags::Signed), row.isSigned) << row.name;
        EXPECT_FALSE(line.flags.has(RunFlags::WaveInput)) << row.name;
        EXPECT_EQ(line.inputPath, row.input) << row.name;
        EXPECT_EQ(line.outputPath, row.output) << row.name;
    }
}

}  // namespace
}  // namespace clip2c
