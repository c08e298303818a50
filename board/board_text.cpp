// SPDX-License-Identifier: MIT
#include "web/page_text.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "app/selection.h"
#include "csource/array_source.h"
#include "web/page_core.h"

namespace clip2c::web {
namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// `value` in decimal. By hand: the library's std::to_string goes through
// printf, which would add a third to the page's module.
std::string decimal(std::uint64_t value) {
    std::string reversed;
    do {
        reversed += static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return {reversed.rbegin(), reversed.rend()};
}

// `value` in decimal with a comma between each group of three digits.
std::string grouped(std::uint64_t value) {
    const std::string digits = decimal(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

// `thousandths` / 1000 with three decimals, as "3.776".
std::string withThreeDecimals(std::uint64_t thousandths) {
    std::string fraction = decimal(thousandths % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return decimal(thousandths / 1000) + "." + fraction;
}

// `percent` with two significant digits ("1.8", "0.23", "0.000048"), or
// whole when at least 10 ("12"); "0" for none.
std::string percentText(double percent) {
    if (percent <= 0) return "0";
    const int decimals = std::clamp(1 - static_cast<int>(std::floor(std::log10(percent))), 0, 12);
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const auto scaled = static_cast<std::uint64_t>(std::floor(percent * static_cast<double>(scale) + 0.5));
    std::string text = decimal(scaled / scale);
    if (decimals == 0) return text;
    std::string fraction = decimal(scaled % scale);
    return text + "." + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
}

std::string_view storageWords(Target target) {
    switch (target) {
        case Target::Progmem:
            return " PROGMEM";
        case Target::Flash:
            return " __flash";
        case Target::C:
        case Target::Firmware:
            break;
    }
    return "";
}

// The comment line that names the clip: its length, rate and sample type.
std::string factsComment(const ClipFacts& facts) {
    std::string name;
    for (std::size_t i = 0; i < facts.arrayName.size(); ++i) {
        name += facts.arrayName[i];
        if (facts.arrayName[i] == '*' && i + 1 < facts.arrayName.size() && facts.arrayName[i + 1] == '/') {
            name += ' ';
        }
    }
    std::string line = "/* " + name + ": " + grouped(facts.sampleCount) + " samples, ";
    const std::string rate = decimal(facts.sampleRate);
    if (facts.sampleRate == 0) {
        line += "length unknown at 0 Hz";
    } else {
        // Milliseconds rounded half up, in integers: the same digits everywhere.
        const std::uint64_t millis = (std::uint64_t{facts.sampleCount} * 2000 + facts.sampleRate) /
                                     (std::uint64_t{facts.sampleRate} * 2);
        line += withThreeDecimals(millis) + " s at " + rate + " Hz";
    }
    line += facts.isSigned ? ", signed 8-bit (silence 0) */\n" : ", unsigned 8-bit (silence 128) */\n";
    return line;
}

// Seconds of `bytes` samples at `sampleRate`, rounded down to the
// millisecond, as "3.776".
std::string secondsDown(std::uint32_t bytes, std::uint32_t sampleRate) {
    return withThreeDecimals(std::uint64_t{bytes} * 1000 / sampleRate);
}

// Appends `text` as a JSON string. The texts are the page's own literals,
// none of which holds a quote, a backslash or a control byte (the unit test
// parses the whole table), so no byte needs escaping.
void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    out += text;
    out += '"';
}

struct StatusText {
    PageStatus status;
    std::string_view key;
    std::string_view english;
};

// clang-format off
constexpr StatusText kStatusTexts[] = {
    {PageStatus::Converted, "converted", ""},
    {PageStatus::NoInputPath, "no-input-path", "The input file's path name is not specified."},
    {PageStatus::NotRawOrWav, "not-raw-or-wav", "The input file is neither raw nor wav."},
    {PageStatus::NotMono, "not-mono", "wav files: only mono is supported."},
    {PageStatus::NotEightBit, "not-eight-bit", "wav files: only 8 bit is supported."},
    {PageStatus::Unreadable, "unreadable", "The file is empty: there are no samples to convert."},
    {PageStatus::OutOfMemory, "out-of-memory", "Out of memory: the page could not hold the clip or its text."},
};

// The curly quotes are written as their UTF-8 bytes, so that the text is
// the same whatever a compiler takes the source's encoding to be.
constexpr std::string_view kNotices[][2] = {
    {"name-proposed", "\xE2\x80\x9C{file}\xE2\x80\x9D does not give a C identifier, so the array would not "
                      "compile; it is named {name}_wave instead. Edit the name to change it."},
    {"rate-kept", "This WAV keeps its own rate, {fileRate} Hz: the chosen {rate} Hz applies to raw and "
                  "prepared clips."},
    {"rate-offer", "Prepare it at {rate} Hz"},
    {"cut-short", "cut short: {held} of {promised} bytes"},
    {"not-wav", "not a WAV file"},
    {"empty", "The file is empty: there are no samples to convert."},
    {"prepared-on-request", "Prepared because normalize or trim is ticked; untick both to convert it as it is."},
    {"trimmed-to-nothing", "Trim left no samples: the clip is all silence."},
    {"name-not-identifier", "{name}_wave is not a C identifier: this text will not compile."},
};
// clang-format on

std::string buildTextsJson() {
    std::string json;
    // Opens `bracket`, then calls `each` for every item after its comma.
    const auto list = [&json](char bracket, const auto& items, const auto& each) {
        json += bracket;
        const char* comma = "";
        for (const auto& item : items) {
            json += comma;
            comma = ",";
            each(item);
        }
    };
    json += "{\"statuses\":";
    list('[', kStatusTexts, [&json](const StatusText& entry) {
        std::string_view japanese = pageMessage(entry.status);
        if (!japanese.empty() && japanese.back() == '\n') japanese.remove_suffix(1);
        json += "{\"status\":" + decimal(static_cast<std::uint64_t>(entry.status)) + ",\"key\":";
        appendJsonString(json, entry.key);
        json += ",\"ja\":";
        appendJsonString(json, japanese);
        json += ",\"en\":";
        appendJsonString(json, entry.english);
        json += '}';
    });
    json += "],\"notices\":";
    list('{', kNotices, [&json](const auto& notice) {
        appendJsonString(json, notice[0]);
        json += ':';
        appendJsonString(json, notice[1]);
    });
    // The figures behind the fit, for whoever wants to say them.
    const std::pair<std::string_view, std::uint32_t> limits[] = {
        {"arrayLimit", kArrayLimit},
        {"boardFlash", kBoardFlash},
        {"sketchBytes", kSketchBytes},
        {"unoClip", std::min(kArrayLimit, kBoardRoom)}};
    json += "},\"limits\":";
    list('{', limits, [&json](const auto& limit) {
        appendJsonString(json, limit.first);
        json += ':' + decimal(limit.second);
    });
    json += "}}";
    return json;
}

}  // namespace

std::string clipName(const std::string& fileName) {
    if (const std::optional<std::string_view> extension = classifyInput(fileName)) {
        return deriveArrayName(fileName, *extension);
    }
    // A prepared name always ends ".wav", and holds no ".raw" when the file
    // name did not classify.
    return deriveArrayName(preparedName(fileName), ".wav");
}

std::string convertName(const std::string& fileName, const std::string& name) {
    const std::optional<std::string_view> extension = classifyInput(fileName);
    return extension ? name + std::string(*extension) : fileName;
}

bool givesIdentifier(std::string_view name) {
    if (name.empty() || !isAsciiLetter(name.front())) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return isAsciiLetter(c) || isAsciiDigit(c) || c == '_'; });
}

std::string proposeName(std::string_view name) {
    if (givesIdentifier(name)) return std::string(name);
    std::string proposed;
    bool inRun = false;
    for (const char c : name) {
        if (isAsciiLetter(c) || isAsciiDigit(c)) {
            proposed += c;
            inRun = false;
        } else if (!inRun) {
            proposed += '_';
            inRun = true;
        }
    }
    const std::size_t first = proposed.find_first_not_of('_');
    if (first == std::string::npos) return "clip";
    proposed = proposed.substr(first, proposed.find_last_not_of('_') + 1 - first);
    return isAsciiDigit(proposed.front()) ? "clip_" + proposed : proposed;
}

std::string targetText(Target target, std::string_view toolText, const ClipFacts& facts) {
    if (target == Target::C) return std::string(toolText);
    std::string head = factsComment(facts);
    if (target == Target::Progmem) head += "#include <avr/pgmspace.h>\n";
    head += "#define " + std::string(facts.arrayName) + "_rate " + decimal(facts.sampleRate) + "\n";
    // The words go right after the text's leading "const" (it always has
    // one; a text without it is kept whole). The tool's signed text declares
    // plain char, which is unsigned on ARM and most other targets but AVR
    // and x86: there the values read back wrong (-1 as 255) and C++ rejects
    // the negative ones as narrowing. A board's text says signed char.
    constexpr std::string_view kConst = "const";
    if (toolText.substr(0, kConst.size()) != kConst) return head + std::string(toolText);
    const std::string_view rest = toolText.substr(kConst.size());
    std::string words(storageWords(target));
    if (rest.substr(0, 6) == " char ") words += " signed";
    std::string text;
    text.reserve(head.size() + kConst.size() + words.size() + rest.size());
    text.append(head).append(kConst).append(words).append(rest);
    return text;
}

// The count and the rate come off the conversion's result, named at the
// one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
Fit fitFor(Target target, std::uint32_t sampleCount, std::uint32_t sampleRate) {
    Fit fit;
    const std::string bytes = grouped(sampleCount) + (sampleCount == 1 ? " byte" : " bytes");
    if (target == Target::C || target == Target::Firmware) {
        // Flash sizes of common boards, for a sense of scale.
        constexpr struct {
            double bytes;
            std::string_view label;
        } kSizes[] = {
            {256.0 * 1024, "256 KB (SAMD21)"},
            {512.0 * 1024, "512 KB"},
            {2.0 * 1024 * 1024, "2 MB (RP2040)"},
            {4.0 * 1024 * 1024, "4 MB (ESP32)"},
        };
        fit.text = bytes + ":";
        const char* separator = " ";
        for (const auto& size : kSizes) {
            fit.text += separator + percentText(100.0 * sampleCount / size.bytes) + " % of ";
            fit.text += size.label;
            separator = ", ";
        }
        fit.text += ".";
        return fit;
    }
    // Judged for the Uno; a Nano's bootloader keeps 2 KB more of the same
    // chip, which the text says beside it.
    const std::string rate = decimal(sampleRate);
    const auto room = [&](std::uint32_t bytesFree) {
        std::string text = grouped(bytesFree) + " bytes";
        if (sampleRate != 0) text += " (" + secondsDown(bytesFree, sampleRate) + " s at " + rate + " Hz)";
        return text;
    };
    fit.fits = fitsFlash(sampleCount, kBoardRoom);
    if (fit.fits && fitsFlash(sampleCount, kNanoRoom)) {
        fit.text = "Fits an Arduino Uno or Nano: " + bytes + ", where the Uno holds " + room(kBoardRoom) +
                   " and the Nano " + room(kNanoRoom) + ".";
    } else if (fit.fits) {
        fit.text = "Fits an Arduino Uno: " + bytes + ", where it holds " + room(kBoardRoom) +
                   "; too big for a Nano, which holds " + room(kNanoRoom) + ".";
    } else {
        fit.text =
            "Too big for an Arduino Uno: " + bytes + ", where it holds " + room(kBoardRoom) +
            ". Lower the rate, tick trim, or cut the clip shorter; a board with more flash still takes "
            "at most " +
            grouped(kArrayLimit) + " bytes in one array.";
    }
    return fit;
}

const std::string& textsJson() {
    static const std::string json = buildTextsJson();
    return json;
}

}  // namespace clip2c::web
