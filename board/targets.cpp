// SPDX-License-Identifier: MIT
#include "board/targets.h"

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

}  // namespace

std::optional<Encoding> encodingNamed(std::string_view word) {
    for (std::size_t i = 0; i < std::size(kEncodingWords); ++i) {
        if (word == kEncodingWords[i]) return static_cast<Encoding>(i);
    }
    return std::nullopt;
}

std::optional<Target> targetNamed(std::string_view word) {
    for (std::size_t i = 0; i < std::size(kTargetWords); ++i) {
        if (word == kTargetWords[i]) return static_cast<Target>(i);
    }
    return std::nullopt;
}

Fit fitFor(Target target, ArrayBytes array) {
    // Plain names, which the lambda below may capture.
    const std::uint32_t byteCount = array.bytes;
    const std::uint32_t sampleRate = array.sampleRate;
    const Encoding encoding = array.encoding;
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
            text += " (" + secondsIn({bytesFree, sampleRate, encoding}) + " s at " + rate + " Hz)";
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

std::string arrayLimitText(ArrayBytes array) {
    const auto [bytes, sampleRate, encoding] = array;
    std::string text = "Too long for one AVR array: " + grouped(bytes) + " bytes, where one array holds " +
                       grouped(kArrayLimit) + " bytes";
    if (sampleRate != 0) {
        text +=
            " (" + secondsIn({kArrayLimit, sampleRate, encoding}) + " s at " + decimal(sampleRate) + " Hz)";
    }
    return text + ". Lower the rate, trim, or cut the clip shorter.";
}

std::string secondsIn(ArrayBytes array) {
    const bool adpcm = array.encoding == Encoding::ImaAdpcm;
    return secondsDown(adpcm ? sound::adpcmSamplesIn(array.bytes) : array.bytes, array.sampleRate);
}

}  // namespace clip2c::board
