// SPDX-License-Identifier: MIT
#include "app/board_command_line.h"

#include <optional>
#include <string_view>
#include <utility>

#include "app/board_options.h"

namespace clip2c {
namespace {

// The value of an option that takes one; false when there is none.
struct ValueSource {
    int argc;
    const char* const* argv;
    int& index;  // of the argument being read; moved on past a value taken from the next one

    bool take(const std::optional<std::string_view>& attached, std::string& value) const {
        if (attached) {
            value = std::string(*attached);
            return true;
        }
        if (index + 1 >= argc) return false;
        value = argv[++index];
        return true;
    }
};

bool failWith(BoardParse& parse, BoardUsageError error, std::string value = {}) {
    parse.error = error;
    parse.value = std::move(value);
    return false;
}

// Takes the option `option` with its value, if any; returns false, with
// the error set, when it is wrong.
bool takeOption(std::string_view option, const std::optional<std::string_view>& attached,
                const ValueSource& source, BoardParse& parse) {
    parse.option = std::string(option);
    const BoardOption* known = boardOptionNamed(option);
    if (known == nullptr) return failWith(parse, BoardUsageError::UnknownOption);
    std::string value;
    if (known->placeholder.empty()) {
        if (attached) return failWith(parse, BoardUsageError::UnexpectedValue, std::string(*attached));
    } else if (!source.take(attached, value)) {
        return failWith(parse, BoardUsageError::MissingValue);
    }
    const BoardUsageError error = known->set(parse.line, value);
    if (error != BoardUsageError::None) return failWith(parse, error, std::move(value));
    return true;
}

// `parse` as reading stopped. A second input is wrong only if no --bank
// has come by then (a bad one counts: its own error is the one to tell);
// then it is the error, as the first one met.
BoardParse stopped(BoardParse parse, bool bankGiven) {
    const std::vector<std::string>& inputs = parse.line.inputs;
    if (inputs.size() < 2 || bankGiven) return parse;
    parse.error = BoardUsageError::SecondInput;
    parse.option = inputs[0];
    parse.value = inputs[1];
    return parse;
}

}  // namespace

BoardParse parseBoardCommandLine(int argc, const char* const* argv) {
    BoardParse parse;
    std::vector<std::string>& inputs = parse.line.inputs;
    bool bankGiven = false;
    const auto stop = [&parse, &bankGiven]() { return stopped(std::move(parse), bankGiven); };
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
        if (!isOption) {
            if (arg.empty()) {
                parse.error = BoardUsageError::EmptyInput;
                return stop();
            }
            inputs.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string_view option = arg;
        std::optional<std::string_view> attached;
        if (arg.substr(0, 2) == "--") {
            if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
                option = arg.substr(0, equals);
                attached = arg.substr(equals + 1);
            }
        } else if (arg.size() > 2 && boardOptionNamed(arg.substr(0, 2)) != nullptr) {
            // A short form with its value attached: "-oFILE".
            option = arg.substr(0, 2);
            attached = arg.substr(2);
        }
        bankGiven = bankGiven || option == kBankOption;
        const ValueSource source{argc, argv, i};
        if (!takeOption(option, attached, source, parse)) return stop();
        if (parse.line.request != BoardRequest::Run) return stop();
    }
    parse.option.clear();
    if (parse.line.bank && parse.line.name) {
        parse.error = BoardUsageError::NameWithBank;
        return parse;
    }
    if (inputs.empty()) parse.error = BoardUsageError::NoInput;
    return stop();
}

}  // namespace clip2c
