// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <string_view>

#include "platform/platform.h"

namespace clip2c {
namespace {

struct Option {
    std::string_view keyword;
    std::uint32_t flag;
};

// Tried in this order; the first keyword the text begins with sets its flag.
constexpr Option kOptions[] = {
    {"HELP", RunFlags::Help},
    {"?", RunFlags::Help},
    {"SIGNED", RunFlags::Signed},
};

void readOption(const char* text, RunFlags& flags) {
    for (const Option& option : kOptions) {
        if (platform::beginsWithKeyword(text, option.keyword)) {
            flags.set(option.flag);
            return;
        }
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
