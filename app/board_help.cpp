// SPDX-License-Identifier: MIT
#include "app/board_help.h"

#include "app/board_options.h"
#include "board/names.h"
#include "board/numbers.h"

namespace clip2c {
namespace {

// The usage line of a bank, below the one of a clip.
constexpr std::string_view kBankUsage = "       clip2c-board --bank NAME [options] INPUT...";

constexpr std::string_view kHelpIntro =
    "Makes a C header of a sound clip for a board: any PCM WAV file (mixed to mono,\n"
    "resampled and made 8-bit when need be) or a raw clip (a name holding \".raw\").\n"
    "With --bank, one header of several clips, with a table of them all.\n";
constexpr std::string_view kHelpEnd =
    "The output is written whole or not at all. Exit status: 0 written, 1 the file\n"
    "refused (nothing written), 2 a bad command line. See clip2c-board(1).\n";

// The column the options' help starts in; a longer head stands on a line
// of its own.
constexpr std::size_t kHelpColumn = 18;

std::string quoted(std::string_view text) {
    std::string out = "'";
    out.append(text).append("'");
    return out;
}

// "c, firmware, progmem or flash".
std::string wordsOr(std::span<const std::string_view> words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i != 0) text += i + 1 == words.size() ? " or " : ", ";
        text += words[i];
    }
    return text;
}

// "--target T", "-o, --output OUTPUT": the option as --help names it.
std::string helpHead(const BoardOption& option) {
    std::string head = "  ";
    if (!option.shortName.empty()) head.append(option.shortName).append(", ");
    head.append(option.name);
    if (!option.placeholder.empty()) head.append(" ").append(option.placeholder);
    return head;
}

// The option's lines in --help: its head, then its help from kHelpColumn.
std::string helpLines(const BoardOption& option) {
    std::string indent = helpHead(option);
    if (indent.size() < kHelpColumn) {
        indent.resize(kHelpColumn, ' ');
    } else {
        indent.append("\n").append(kHelpColumn, ' ');
    }
    std::string text;
    std::string_view rest = option.help;
    for (bool more = true; more;) {
        const std::size_t end = rest.find('\n');
        text.append(indent).append(rest.substr(0, end)).append("\n");
        more = end != std::string_view::npos;
        if (more) rest.remove_prefix(end + 1);
        indent.assign(kHelpColumn, ' ');
    }
    return text;
}

// " [--target c|firmware|progmem|flash]", " [-o OUTPUT]".
std::string usageItem(const BoardOption& option) {
    std::string item = " [";
    item += option.shortName.empty() ? option.name : option.shortName;
    if (!option.choices.empty()) {
        std::string_view separator = " ";
        for (const std::string_view word : option.choices) {
            item.append(separator).append(word);
            separator = "|";
        }
    } else if (!option.placeholder.empty()) {
        item.append(" ").append(option.placeholder);
    }
    return item + "]";
}

// Why the line is wrong, without the program's name.
std::string usageError(const BoardParse& parse) {
    const std::string& option = parse.option;
    const std::string& value = parse.value;
    switch (parse.error) {
        case BoardUsageError::UnknownOption:
            return "unknown option " + quoted(option);
        case BoardUsageError::MissingValue:
            return "option " + quoted(option) + " needs a value";
        case BoardUsageError::UnexpectedValue:
            return "option " + quoted(option) + " takes no value, but was given " + quoted(value);
        case BoardUsageError::BadChoice:
            return option + " must be " + wordsOr(boardOptionNamed(option)->choices) + ", not " +
                   quoted(value);
        case BoardUsageError::BadRate:
            return option + " must be a whole number of hertz from 1 to " + board::grouped(kBoardMaxRate) +
                   ", not " + quoted(value);
        case BoardUsageError::BadIdentifier:
            return option + " " + quoted(value) +
                   " gives no C identifier (a letter, then letters, digits and _); try " + option + " " +
                   board::proposeName(value);
        case BoardUsageError::NameWithBank:
            return "--name cannot be used with --bank: each clip of a bank is named from its file's name";
        case BoardUsageError::EmptyOutput:
            return "option " + quoted(option) + " needs a file name, not an empty one";
        case BoardUsageError::EmptyInput:
            return "an empty argument is no input file";
        case BoardUsageError::NoInput:
            return "no input file";
        case BoardUsageError::SecondInput:
            return "one input file only, but " + quoted(option) + " and " + quoted(value) + " were given";
        case BoardUsageError::None:
            break;
    }
    return {};
}

}  // namespace

std::string boardUsageLine() {
    std::string line = "usage: " + std::string(kBoardProgram);
    for (const BoardOption& option : boardOptions()) {
        if (option.inUsage) line += usageItem(option);
    }
    return line + " INPUT";
}

std::string boardHelpText() {
    std::string text =
        boardUsageLine() + "\n" + std::string(kBankUsage) + "\n" + std::string(kHelpIntro) + "\n";
    for (const BoardOption& option : boardOptions()) text += helpLines(option);
    return text + "\n" + std::string(kHelpEnd);
}

std::vector<std::string> usageErrorLines(const BoardParse& parse) {
    if (parse.error == BoardUsageError::None) return {};
    return {std::string(kBoardProgram) + ": " + usageError(parse), boardUsageLine(), std::string(kBankUsage)};
}

}  // namespace clip2c
