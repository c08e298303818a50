// SPDX-License-Identifier: MIT
#include "app/board_options.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "board/names.h"

namespace clip2c {
namespace {

// The words board::targetNamed and board::encodingNamed take.

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

BoardUsageError setTarget(BoardCommandLine& line, const std::string& value) {
    const std::optional<board::Target> target = board::targetNamed(value);
    if (!target) return BoardUsageError::BadChoice;
    line.target = *target;
    return BoardUsageError::None;
}

BoardUsageError setEncoding(BoardCommandLine& line, const std::string& value) {
    const std::optional<board::Encoding> encoding = board::encodingNamed(value);
    if (!encoding) return BoardUsageError::BadChoice;
    line.encoding = *encoding;
    return BoardUsageError::None;
}

// Sets the name `field` holds to `value`, which must give a C identifier.
template <std::optional<std::string> BoardCommandLine::*field>
BoardUsageError setIdentifier(BoardCommandLine& line, const std::string& value) {
    if (!board::givesIdentifier(value)) return BoardUsageError::BadIdentifier;
    line.*field = value;
    return BoardUsageError::None;
}

BoardUsageError setRate(BoardCommandLine& line, const std::string& value) {
    const std::optional<std::uint32_t> rate = rateFrom(value);
    if (!rate) return BoardUsageError::BadRate;
    line.rate = *rate;
    return BoardUsageError::None;
}

// Sets the file name `field` holds to `value`, which must not be empty.
template <std::string BoardCommandLine::*field>
BoardUsageError setFile(BoardCommandLine& line, const std::string& value) {
    if (value.empty()) return BoardUsageError::EmptyOutput;
    line.*field = value;
    return BoardUsageError::None;
}

// Sets the switch `field`; the option takes no value.
template <bool BoardCommandLine::*field>
BoardUsageError setSwitch(BoardCommandLine& line, const std::string& /*value*/) {
    line.*field = true;
    return BoardUsageError::None;
}

constexpr BoardOption kOptions[] = {
    {"--target", "", "T", board::kTargetWords, true,
     "c (the default): the array as clip2c writes it; firmware: with\n"
     "a comment and NAME_wave_rate; progmem, flash: the same, the\n"
     "array in AVR flash (PROGMEM, __flash)",
     setTarget},
    {"--encoding", "", "E", board::kEncodingWords, true,
     "pcm8 (the default): one byte a sample, the array NAME_wave;\n"
     "ima-adpcm: 4-bit IMA ADPCM in half the bytes, the array\n"
     "NAME_adpcm with NAME_adpcm_rate, NAME_adpcm_samples and\n"
     "NAME_adpcm_block_bytes, and its decoder in the header:\n"
     "clip2c_adpcm_start() and clip2c_adpcm_next() give signed\n"
     "16-bit samples",
     setEncoding},
    {"--name",
     "",
     "NAME",
     {},
     true,
     "the array is NAME_wave or NAME_adpcm (default: from INPUT's\n"
     "name)",
     setIdentifier<&BoardCommandLine::name>},
    {"--rate",
     "",
     "HZ",
     {},
     true,
     "make the clip at HZ, 1 to 1,000,000 (default: a WAV file keeps\n"
     "its own rate; a raw clip plays at 8000 Hz)",
     setRate},
    {"--normalize",
     "",
     "",
     {},
     true,
     "bring the clip's peak to full scale",
     setSwitch<&BoardCommandLine::normalize>},
    {"--trim",
     "",
     "",
     {},
     true,
     "cut the near-silence at its start and end",
     setSwitch<&BoardCommandLine::trim>},
    {"--signed",
     "",
     "",
     {},
     true,
     "signed samples (-128 to 127) instead of unsigned (0 to 255);\n"
     "no effect with ima-adpcm, whose samples are signed 16-bit",
     setSwitch<&BoardCommandLine::isSigned>},
    {kBankOption,
     "",
     "NAME",
     {},
     false,
     "make every INPUT a clip of the bank NAME: NAME_clips[], NAME_at()\n"
     "and NAME.h (each clip named from its file; no --name)",
     setIdentifier<&BoardCommandLine::bank>},
    {"--output",
     "-o",
     "OUTPUT",
     {},
     true,
     "write to OUTPUT (default: NAME.h in INPUT's folder; for a bank,\n"
     "NAME.h in the current folder)",
     setFile<&BoardCommandLine::output>},
    {"--source",
     "",
     "FILE",
     {},
     true,
     "write the arrays' definitions into FILE, a C source that\n"
     "includes OUTPUT, and only their declarations into OUTPUT",
     setFile<&BoardCommandLine::source>},
    {"--help",
     "",
     "",
     {},
     false,
     "show this text",
     [](BoardCommandLine& line, const std::string&) {
         line.request = BoardRequest::Help;
         return BoardUsageError::None;
     }},
    {"--version",
     "",
     "",
     {},
     false,
     "show the version",
     [](BoardCommandLine& line, const std::string&) {
         line.request = BoardRequest::Version;
         return BoardUsageError::None;
     }},
};

}  // namespace

std::span<const BoardOption> boardOptions() { return kOptions; }

const BoardOption* boardOptionNamed(std::string_view word) {
    const auto* found =
        std::find_if(std::begin(kOptions), std::end(kOptions), [word](const BoardOption& option) {
            return option.name == word || (!option.shortName.empty() && option.shortName == word);
        });
    return found == std::end(kOptions) ? nullptr : found;
}

}  // namespace clip2c
