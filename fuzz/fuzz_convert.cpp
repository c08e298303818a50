// SPDX-License-Identifier: MIT
// Fuzzes the whole way from a loaded input file to the array text, as the
// run takes it. The first byte selects the mode (bit 0: WAV input, bit 1:
// signed output); the rest is the file image. Whenever the samples are
// accepted, the text must be the exact declaration of exactly those samples.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "csource/array_source.h"
#include "csource/conversion.h"
#include "fuzz/fuzz_check.h"

using clip2c::fuzz::require;

namespace {

constexpr std::size_t kValuesPerLine = 16;

// Reads one decimal value at the start of `text` into `value`; returns the
// digits' length, 0 when none is there. A leading zero is only "0" itself.
std::size_t readValue(std::string_view text, int& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc()) return 0;
    const auto length = static_cast<std::size_t>(result.ptr - text.data());
    const std::size_t digitsStart = text[0] == '-' ? 1 : 0;
    if (length > digitsStart + 1 && text[digitsStart] == '0') return 0;
    if (digitsStart == 1 && value == 0) return 0;  // "-0"
    return length;
}

// Checks `text` against the declaration of `samples` and aborts on the
// first difference.
void checkText(std::string_view text, const std::string& name, const std::uint8_t* samples,
               std::uint32_t count, bool isSigned) {
    const std::string head = std::string(isSigned ? "const char " : "const unsigned char ") + name +
                             "_wave[" + std::to_string(count) + "] =\n{\n";
    require(text.substr(0, head.size()) == head, "the declaration line and brace are not exact");
    require(text.size() >= head.size() + 3 && text.substr(text.size() - 3) == "};\n",
            "the text does not end with \"};\\n\"");
    std::string_view body = text.substr(head.size(), text.size() - head.size() - 3);

    const int lowest = isSigned ? -128 : 0;
    const int highest = isSigned ? 127 : 255;
    std::uint32_t seen = 0;
    while (!body.empty()) {
        const std::size_t lineEnd = body.find('\n');
        require(lineEnd != std::string_view::npos, "a value line does not end with a line feed");
        std::string_view line = body.substr(0, lineEnd);
        body.remove_prefix(lineEnd + 1);
        const bool lastLine = body.empty();

        require(!line.empty() && line[0] == '\t', "a value line does not begin with a tab");
        line.remove_prefix(1);
        std::size_t onLine = 0;
        bool trailingComma = false;
        while (true) {
            int value = 0;
            const std::size_t length = readValue(line, value);
            require(length != 0, "a value is not a plain decimal number");
            require(value >= lowest && value <= highest, "a value is out of range");
            require(seen < count, "more values than the count in brackets");
            const int expected = isSigned ? samples[seen] - 128 : samples[seen];
            require(value == expected, "a value differs from its sample");
            ++seen;
            ++onLine;
            line.remove_prefix(length);
            if (line.empty()) break;
            if (line == ",") {
                trailingComma = true;
                break;
            }
            require(line.substr(0, 2) == ", ", "values are not separated by \", \"");
            line.remove_prefix(2);
        }
        require(onLine >= 1 && onLine <= kValuesPerLine, "a line holds no value or more than sixteen");
        require(trailingComma != lastLine, "only the last line lacks its trailing comma");
        require(lastLine || onLine == kValuesPerLine, "a line before the last holds fewer than sixteen");
    }
    require(seen == count, "fewer values than the count in brackets");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1 || size - 1 > UINT32_MAX) return 0;
    const bool isWave = (bytes[0] & 1u) != 0;
    const bool isSigned = (bytes[0] & 2u) != 0;
    const auto length = static_cast<std::uint32_t>(size - 1);

    // The run loads the file into a block of exactly its size; so does this,
    // so that the sanitizers see any read past it.
    const std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[length]);
    if (length != 0) std::memcpy(image.get(), bytes + 1, length);

    // The tool's conversion of the file under a name that classifies it.
    const std::string path = isWave ? "snd\\clip.wav" : "snd\\clip.raw";
    const clip2c::Conversion conversion = clip2c::convertBytes(path, image.get(), length);
    if (conversion.status == clip2c::ClipStatus::Unreadable) {
        require(length == 0, "a file of bytes was taken for an empty one");
        return 0;
    }
    if (conversion.status != clip2c::ClipStatus::Converted) {
        require(isWave, "raw input was refused");
        return 0;
    }
    if (conversion.count != 0) {
        const auto start = reinterpret_cast<std::uintptr_t>(image.get());
        const auto first = reinterpret_cast<std::uintptr_t>(conversion.start);
        require(first >= start && first - start <= length && conversion.count <= length - (first - start),
                "the samples reach outside the image");
    }
    if (!isWave) require(conversion.count == length, "raw samples are not the whole image");

    const std::string& name = conversion.arrayName;
    require(name == "clip", "the array name is not the file name");
    require(conversion.outputName == "snd\\clip.h", "the output name is not the file's");
    const clip2c::SourceText text =
        clip2c::emitArraySource(name, conversion.start, conversion.count, isSigned);
    require(static_cast<bool>(text.bytes), "the text could not be allocated");
    checkText(std::string_view(text.bytes.chars(), text.length), name, conversion.start, conversion.count,
              isSigned);
    return 0;
}
