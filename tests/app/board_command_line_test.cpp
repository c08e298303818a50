// SPDX-License-Identifier: MIT
#include "app/board_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/board_help.h"
#include "app/board_options.h"
#include "board/numbers.h"

namespace clip2c {
namespace {

using board::Encoding;
using board::Target;
using Error = BoardUsageError;

BoardParse parse(const std::vector<const char*>& args) {
    std::vector<const char*> argv{"clip2c-board"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseBoardCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(ParseBoardCommandLine, ReadsTheTable) {
    struct Row {
        const char* name;
        std::vector<const char*> args;  // without argument 0
        BoardCommandLine line;          // when the error is None
        Error error = Error::None;
        std::string option{};  // when the error is not None
        std::string value{};
    };
    const Row rows[] = {
        {"one input", {"a.wav"}, {.inputs = {"a.wav"}}},
        {"every option, values apart",
         {"--target", "flash", "--encoding", "ima-adpcm", "--name", "beep", "--rate", "8000", "--normalize",
          "--trim", "--signed", "-o", "out.h", "a.wav"},
         {.inputs = {"a.wav"},
          .output = "out.h",
          .name = "beep",
          .rate = 8000,
          .target = Target::Flash,
          .encoding = Encoding::ImaAdpcm,
          .normalize = true,
          .trim = true,
          .isSigned = true}},
        {"values after =",
         {"--target=progmem", "--rate=22050", "--output=o.h", "a.wav"},
         {.inputs = {"a.wav"}, .output = "o.h", .rate = 22050, .target = Target::Progmem}},
        {"-oFILE", {"-oout.h", "a.wav"}, {.inputs = {"a.wav"}, .output = "out.h"}},
        {"a later option wins",
         {"--rate", "8000", "a.wav", "--rate", "1000000"},
         {.inputs = {"a.wav"}, .rate = 1000000}},
        {"-- ends the options, - is an input", {"--", "-"}, {.inputs = {"-"}}},
        {"a bank takes inputs around it",
         {"a.raw", "--bank", "sfx", "b.raw"},
         {.inputs = {"a.raw", "b.raw"}, .bank = "sfx"}},
        {"--help stops reading", {"--help", "--loud"}, {.request = BoardRequest::Help}},
        {"--version stops reading",
         {"a.wav", "--version", "b.wav"},
         {.request = BoardRequest::Version, .inputs = {"a.wav"}}},
        {"unknown option", {"--norm", "a.wav"}, {}, Error::UnknownOption, "--norm", ""},
        {"unknown short option", {"-xo", "a.wav"}, {}, Error::UnknownOption, "-xo", ""},
        {"missing value", {"a.wav", "-o"}, {}, Error::MissingValue, "-o", ""},
        {"value for a flag", {"--trim=yes", "a.wav"}, {}, Error::UnexpectedValue, "--trim", "yes"},
        {"bad target", {"--target", "avr", "a.wav"}, {}, Error::BadChoice, "--target", "avr"},
        {"rate over the limit", {"--rate", "1000001", "a.wav"}, {}, Error::BadRate, "--rate", "1000001"},
        {"bad name", {"--name", "my-clip", "a.wav"}, {}, Error::BadIdentifier, "--name", "my-clip"},
        {"a bad --bank is told, not the second input",
         {"a.raw", "b.raw", "--bank", "my-sfx"},
         {},
         Error::BadIdentifier,
         "--bank",
         "my-sfx"},
        {"empty output", {"--output=", "a.wav"}, {}, Error::EmptyOutput, "--output", ""},
        {"second input", {"a.wav", "b.wav"}, {}, Error::SecondInput, "a.wav", "b.wav"},
        {"name with bank", {"--bank", "sfx", "--name", "x", "a.raw"}, {}, Error::NameWithBank, "", ""},
        {"empty input", {""}, {}, Error::EmptyInput, "", ""},
        {"no input", {"--trim"}, {}, Error::NoInput, "", ""},
    };
    for (const Row& row : rows) {
        const BoardParse got = parse(row.args);
        EXPECT_EQ(got.error, row.error) << row.name;
        if (row.error == Error::None) {
            EXPECT_TRUE(got.line == row.line) << row.name;
        } else {
            EXPECT_EQ(got.option, row.option) << row.name;
            EXPECT_EQ(got.value, row.value) << row.name;
        }
    }
}

// --help and the usage line are made from the table: every option is in
// the help, and every word it lists is one the parser takes.
TEST(BoardHelp, ListsEveryOptionOfTheTable) {
    const std::string help = boardHelpText();
    EXPECT_EQ(help.substr(0, boardUsageLine().size() + 1), boardUsageLine() + "\n");
    EXPECT_NE(help.find(board::grouped(kBoardMaxRate)), std::string::npos) << "--rate's limit";
    for (const BoardOption& option : boardOptions()) {
        std::string head = "\n  ";
        if (!option.shortName.empty()) head.append(option.shortName).append(", ");
        head.append(option.name);
        EXPECT_NE(help.find(head), std::string::npos) << option.name;
        const std::string name(option.name);
        for (const std::string_view word : option.choices) {
            const std::string value(word);
            EXPECT_EQ(parse({name.c_str(), value.c_str(), "a.wav"}).error, Error::None)
                << option.name << " " << word;
        }
    }
}

}  // namespace
}  // namespace clip2c
