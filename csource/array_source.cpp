#include "csource/array_source.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>

namespace clip2c {
namespace {

constexpr std::uint32_t kValuesPerLine = 16;

// A sample's text followed by ", ". The slot is 8 bytes so that one fixed
// copy moves any entry; only `length` of them count.
struct ValueText {
    char text[8] = {};
    std::uint8_t length = 0;
};
using ValueTable = std::array<ValueText, 256>;

constexpr ValueTable makeValueTable(int offset) {
    ValueTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        ValueText& entry = table[static_cast<std::size_t>(byte)];
        int value = byte - offset;
        std::size_t n = 0;
        if (value < 0) {
            entry.text[n++] = '-';
            value = -value;
        }
        char digits[3] = {};
        std::size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count != 0) entry.text[n++] = digits[--count];
        entry.text[n++] = ',';
        entry.text[n++] = ' ';
        entry.length = static_cast<std::uint8_t>(n);
    }
    return table;
}

constexpr ValueTable kUnsignedValues = makeValueTable(0);
constexpr ValueTable kSignedValues = makeValueTable(128);

// The fixed 8-byte copy of the last value may run up to this far past the
// text's end; the allocation carries that much slack.
constexpr std::size_t kCopySlack = sizeof(ValueText::text);

constexpr std::string_view kOpening = " =\n{\n";
constexpr std::string_view kClosing = "};\n";

char* append(char* out, std::string_view piece) {
    std::memcpy(out, piece.data(), piece.size());
    return out + piece.size();
}

}  // namespace

std::string deriveArrayName(std::string inputPath, std::string_view extension) {
    const std::size_t cut = inputPath.rfind(extension);
    if (cut != std::string::npos) inputPath.erase(cut);
    const std::size_t separator = inputPath.find_last_of("\\/");
    if (separator != std::string::npos) inputPath.erase(0, separator + 1);
    return inputPath;
}

SourceText emitArraySource(std::string_view name, const std::uint8_t* samples,
                           std::uint32_t count, bool isSigned) {
    const std::string_view type = isSigned ? "const char " : "const unsigned char ";
    const ValueTable& values = isSigned ? kSignedValues : kUnsignedValues;

    char countText[16];
    const auto converted = std::to_chars(countText, countText + sizeof countText, count);
    const std::string_view countDigits(countText, static_cast<std::size_t>(converted.ptr - countText));

    // The text is allocated once, for the longest it can be: every value at
    // the widest entry of its table. Measuring each value first would cost a
    // second pass over the samples; the bytes never written are never
    // touched, so they take address space but no memory. Each line adds its
    // tab; its ", " endings only ever shrink.
    const std::size_t fixedLength = type.size() + name.size() + std::string_view("_wave[]").size() +
                                    countDigits.size() + kOpening.size() + kClosing.size();
    const std::size_t widest = std::string_view(isSigned ? "-128, " : "255, ").size();
    const std::size_t lines = (std::size_t{count} + kValuesPerLine - 1) / kValuesPerLine;
    // A count whose text could not even be addressed is memory running out.
    const std::size_t valueLimit = (SIZE_MAX - fixedLength - kCopySlack - lines) / widest;
    if (count > valueLimit) return SourceText{};
    const std::size_t capacity = fixedLength + lines + std::size_t{count} * widest + kCopySlack;

    SourceText source;
    source.bytes.reset(new (std::nothrow) char[capacity]);
    if (!source.bytes) return source;

    char* out = source.bytes.get();
    out = append(out, type);
    out = append(out, name);
    out = append(out, "_wave[");
    out = append(out, countDigits);
    out = append(out, "]");
    out = append(out, kOpening);

    std::uint32_t i = 0;
    while (i < count) {
        *out++ = '\t';
        const std::uint32_t lineEnd = count - i > kValuesPerLine ? i + kValuesPerLine : count;
        for (; i < lineEnd; ++i) {
            const ValueText& value = values[samples[i]];
            std::memcpy(out, value.text, sizeof value.text);
            out += value.length;
        }
        out[-1] = '\n';  // the line's last ", " becomes ",\n"
    }
    if (count != 0) {
        // The last value ends with "\n" alone.
        out[-2] = '\n';
        --out;
    }
    out = append(out, kClosing);
    source.length = static_cast<std::size_t>(out - source.bytes.get());
    return source;
}

}  // namespace clip2c
