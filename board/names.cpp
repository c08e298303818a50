// SPDX-License-Identifier: MIT
#include "board/names.h"

#include <algorithm>
#include <optional>

#include "csource/array_source.h"
#include "csource/conversion.h"

namespace clip2c::board {
namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

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

std::string preparedName(const std::string& name) {
    const std::optional<std::string_view> extension = classifyInput(name);
    std::string base = name;
    if (extension == ".raw") {
        // Cut at the first ".raw", not the last: a prepared name that still
        // held one would classify as raw, and the prepared WAV file would be
        // converted, header and all, as raw samples.
        base.erase(name.find(".raw"));
    } else if (extension) {
        base = cutAtLastExtension(name, *extension);
    } else if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
        base.erase(dot);
    }
    return base.append(".wav");
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

}  // namespace clip2c::board
