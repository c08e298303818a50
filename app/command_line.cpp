// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "platform/platform.h"

namespace clip2c {
namespace {

void readOption(const char* text, RunFlags& flags) {
    if (platform::beginsWithKeyword(text, "HELP", 4)) {
        flags.set(RunFlags::Help);
    } else if (platform::beginsWithKeyword(text, "?", 1)) {
        flags.set(RunFlags::Help);
    } else if (platform::beginsWithKeyword(text, "SIGNED", 6)) {
        flags.set(RunFlags::Signed);
    }
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    if (argc < 2) {
        line.flags.set(RunFlags::Help);
        return line;
    }
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] == '/' || argument[0] == '-') {
            readOption(argument + 1, line.flags);
        } else if (line.inputPath.empty()) {
            line.inputPath = argument;
        } else if (line.outputPath.empty()) {
            line.outputPath = argument;
        }
    }
    return line;
}

}  // namespace clip2c
