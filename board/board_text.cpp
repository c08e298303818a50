// SPDX-License-Identifier: MIT
#include "board/board_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "board/numbers.h"
#include "sound/ima_adpcm.h"

namespace clip2c::board {
namespace {

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

// The facts line with "*/" inside the name written "* /", so that it
// cannot end the comment it stands in.
std::string factsLineOf(const ClipFacts& facts) {
    std::string name;
    for (std::size_t i = 0; i < facts.arrayName.size(); ++i) {
        name += facts.arrayName[i];
        if (facts.arrayName[i] == '*' && i + 1 < facts.arrayName.size() && facts.arrayName[i + 1] == '/') {
            name += ' ';
        }
    }
    std::string line = name + ": " + grouped(facts.sampleCount) + " samples, ";
    const std::string rate = decimal(facts.sampleRate);
    if (facts.sampleRate == 0) {
        line += "length unknown at 0 Hz";
    } else {
        // Milliseconds rounded half up, in integers: the same digits everywhere.
        const std::uint64_t millis = (std::uint64_t{facts.sampleCount} * 2000 + facts.sampleRate) /
                                     (std::uint64_t{facts.sampleRate} * 2);
        line += withThreeDecimals(millis) + " s at " + rate + " Hz";
    }
    if (facts.encoding == Encoding::ImaAdpcm) {
        line += ", IMA ADPCM in " + grouped(facts.byteCount) + (facts.byteCount == 1 ? " byte" : " bytes");
    } else {
        line += facts.isSigned ? ", signed 8-bit (silence 0)" : ", unsigned 8-bit (silence 128)";
    }
    return line;
}

// The comment line that names the clip: its length, rate and sample type.
std::string factsComment(const ClipFacts& facts) { return "/* " + factsLineOf(facts) + " */\n"; }

constexpr std::string_view kPgmspaceInclude = "#include <avr/pgmspace.h>\n";

}  // namespace

std::optional<Encoding> encodingNamed(std::string_view word) {
    if (word == "pcm8") return Encoding::Pcm8;
    if (word == "ima-adpcm") return Encoding::ImaAdpcm;
    return std::nullopt;
}

std::optional<Target> targetNamed(std::string_view word) {
    constexpr std::pair<std::string_view, Target> kNames[] = {{"c", Target::C},
                                                              {"firmware", Target::Firmware},
                                                              {"progmem", Target::Progmem},
                                                              {"flash", Target::Flash}};
    for (const auto& [name, target] : kNames) {
        if (word == name) return target;
    }
    return std::nullopt;
}

std::string targetText(Target target, std::string_view toolText, const ClipFacts& facts) {
    if (target == Target::C) return std::string(toolText);
    std::string head = factsComment(facts);
    if (target == Target::Progmem) head += kPgmspaceInclude;
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

std::string factsLine(const ClipFacts& facts) { return factsLineOf(facts); }

std::string_view targetBody(Target target, std::string_view text, const ClipFacts& facts) {
    if (target == Target::C) return text;
    std::string head = factsComment(facts);
    if (target == Target::Progmem) head += kPgmspaceInclude;
    if (text.substr(0, head.size()) != head) return text;
    return text.substr(head.size());
}

std::string samplePointerType(Target target, bool isSigned) {
    std::string type = target == Target::Flash ? "const __flash " : "const ";
    if (!isSigned) return type + "unsigned char *";
    return type + (target == Target::C ? "char *" : "signed char *");
}

// The count and the rate come off the conversion's result, named at the
// one call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
Fit fitFor(Target target, std::uint32_t byteCount, std::uint32_t sampleRate, Encoding encoding) {
    Fit fit;
    const std::string bytes = grouped(byteCount) + (byteCount == 1 ? " byte" : " bytes");
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
            fit.text += separator + percentText(100.0 * byteCount / size.bytes) + " % of ";
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
        if (sampleRate != 0)
            text += " (" + secondsIn(bytesFree, sampleRate, encoding) + " s at " + rate + " Hz)";
        return text;
    };
    const std::uint32_t sketch = encoding == Encoding::ImaAdpcm ? kAdpcmSketchBytes : kSketchBytes;
    const std::uint32_t unoRoom = kBoardFlash - sketch;
    const std::uint32_t nanoRoom = kNanoFlash - sketch;
    fit.fits = fitsFlash(byteCount, unoRoom);
    if (fit.fits && fitsFlash(byteCount, nanoRoom)) {
        fit.text = "Fits an Arduino Uno or Nano: " + bytes + ", where the Uno holds " + room(unoRoom) +
                   " and the Nano " + room(nanoRoom) + ".";
    } else if (fit.fits) {
        fit.text = "Fits an Arduino Uno: " + bytes + ", where it holds " + room(unoRoom) +
                   "; too big for a Nano, which holds " + room(nanoRoom) + ".";
    } else {
        fit.text = "Too big for an Arduino Uno: " + bytes + ", where it holds " + room(unoRoom) +
                   ". Lower the rate, trim it, or cut the clip shorter; a board with more flash still takes "
                   "at most " +
                   grouped(kArrayLimit) + " bytes in one array.";
    }
    return fit;
}

// The count and the rate come off the clip's result, named at each call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::string arrayLimitText(std::uint32_t bytes, std::uint32_t sampleRate, Encoding encoding) {
    std::string text = "Too long for one AVR array: " + grouped(bytes) + " bytes, where one array holds " +
                       grouped(kArrayLimit) + " bytes";
    if (sampleRate != 0) {
        text += " (" + secondsIn(kArrayLimit, sampleRate, encoding) + " s at " + decimal(sampleRate) + " Hz)";
    }
    return text + ". Lower the rate, trim, or cut the clip shorter.";
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
std::string secondsIn(std::uint32_t bytes, std::uint32_t sampleRate, Encoding encoding) {
    return secondsDown(encoding == Encoding::ImaAdpcm ? sound::adpcmSamplesIn(bytes) : bytes, sampleRate);
}

}  // namespace clip2c::board
