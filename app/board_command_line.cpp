// SPDX-License-Identifier: MIT
#include "app/board_command_line.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "board/names.h"

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

// `text` as a rate: decimal digits only, from 1 to kBoardMaxRate.
std::optional<std::uint32_t> rateFrom(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t rate = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        rate = rate * 10 + static_cast<std::uint64_t>(c - '0');
        if (rate > kBoardMaxRate) return std::nullopt;
    }
    if (rate == 0) return std::nullopt;
    return static_cast<std::uint32_t>(rate);
}

bool failWith(BoardParse& parse, BoardUsageError error, std::string value = {}) {
    parse.error = error;
    parse.value = std::move(value);
    return false;
}

// Sets the option `option`, one that takes a value, to `value`; returns
// false, with the error set, when the value is wrong.
bool setValue(std::string_view option, std::string value, BoardParse& parse) {
    BoardCommandLine& line = parse.line;
    if (option == "--target") {
        const std::optional<board::Target> target = board::targetNamed(value);
        if (!target) return failWith(parse, BoardUsageError::BadTarget, std::move(value));
        line.target = *target;
    } else if (option == "--encoding") {
        const std::optional<board::Encoding> encoding = board::encodingNamed(value);
        if (!encoding) return failWith(parse, BoardUsageError::BadEncoding, std::move(value));
        line.encoding = *encoding;
    } else if (option == "--name") {
        if (!board::givesIdentifier(value))
            return failWith(parse, BoardUsageError::BadName, std::move(value));
        line.name = std::move(value);
    } else if (option == "--bank") {
        if (!board::givesIdentifier(value))
            return failWith(parse, BoardUsageError::BadBankName, std::move(value));
        line.bank = std::move(value);
    } else if (option == "--rate") {
        const std::optional<std::uint32_t> rate = rateFrom(value);
        if (!rate) return failWith(parse, BoardUsageError::BadRate, std::move(value));
        line.rate = *rate;
    } else {
        if (value.empty()) return failWith(parse, BoardUsageError::EmptyOutput);
        (option == "--source" ? line.source : line.output) = std::move(value);
    }
    return true;
}

// Takes the option `option` with its value, if any; returns false, with
// the error set, when it is wrong.
bool takeOption(std::string_view option, const std::optional<std::string_view>& attached,
                const ValueSource& source, BoardParse& parse) {
    BoardCommandLine& line = parse.line;
    parse.option = std::string(option);
    const std::pair<std::string_view, bool*> flags[] = {
        {"--normalize", &line.normalize}, {"--trim", &line.trim}, {"--signed", &line.isSigned}};
    const auto* flag = std::find_if(std::begin(flags), std::end(flags),
                                    [option](const auto& entry) { return entry.first == option; });
    const bool asksOnly = option == "--help" || option == "--version";
    if (flag != std::end(flags) || asksOnly) {
        if (attached) return failWith(parse, BoardUsageError::UnexpectedValue, std::string(*attached));
        if (asksOnly) {
            line.request = option == "--help" ? BoardRequest::Help : BoardRequest::Version;
        } else {
            *flag->second = true;
        }
        return true;
    }
    const bool takesValue = option == "--target" || option == "--encoding" || option == "--name" ||
                            option == "--rate" || option == "--bank" || option == "--output" ||
                            option == "-o" || option == "--source";
    if (!takesValue) return failWith(parse, BoardUsageError::UnknownOption);
    std::string value;
    if (!source.take(attached, value)) return failWith(parse, BoardUsageError::MissingValue);
    return setValue(option, std::move(value), parse);
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
        } else if (arg.size() > 2 && arg.substr(0, 2) == "-o") {
            option = arg.substr(0, 2);
            attached = arg.substr(2);
        }
        bankGiven = bankGiven || option == "--bank";
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
