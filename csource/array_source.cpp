// SPDX-License-Identifier: MIT
#include "csource/array_source.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

namespace clip2c {
namespace {

constexpr std::uint32_t kValuesPerLine = 16;

// Each byte value's text followed by ", ", as the first bytes in memory of
// one 64-bit word, so that a single 8-byte store writes any of them, and the
// length of that text. The lengths are word-sized so that the loop adds one
// straight from the table to its write position.
struct ValueTable {
    std::array<std::uint64_t, 256> text{};
    std::array<std::size_t, 256> length{};
};

constexpr ValueTable makeValueTable(int offset) {
    ValueTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        char entry[8] = {};
        std::size_t n = 0;
        int value = byte - offset;
        if (value < 0) {
            entry[n++] = '-';
            value = -value;
        }
        char digits[3] = {};
        std::size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count != 0) entry[n++] = digits[--count];
        entry[n++] = ',';
        entry[n++] = ' ';
        std::uint64_t word = 0;
        for (std::size_t i = 0; i < sizeof entry; ++i) {
            const std::size_t place = std::endian::native == std::endian::little ? i : sizeof entry - 1 - i;
            word |= std::uint64_t{static_cast<unsigned char>(entry[i])} << (8 * place);
        }
        table.text[static_cast<std::size_t>(byte)] = word;
        table.length[static_cast<std::size_t>(byte)] = n;
    }
    return table;
}

constexpr ValueTable kUnsignedValues = makeValueTable(0);
constexpr ValueTable kSignedValues = makeValueTable(128);

// The 8-byte store of the last value may run up to this far past the text's
// end; the allocation carries that much slack.
constexpr std::size_t kCopySlack = sizeof(std::uint64_t);

// Writes one value's text at `out` (all 8 bytes of its word) and returns
// the position after the text.
inline char* putValue(char* out, const ValueTable& values, std::uint8_t sample) {
    std::memcpy(out, &values.text[sample], sizeof(std::uint64_t));
    return out + values.length[sample];
}

// Writes the texts of a full line's sixteen values, unrolled: per value a
// load of the sample, of its word, a store and an add.
template <std::size_t... k>
char* putFullLine(char* out, const std::uint8_t* line, const ValueTable& values,
                  std::index_sequence<k...> /*offsets*/) {
    ((out = putValue(out, values, line[k])), ...);
    return out;
}

constexpr std::string_view kOpening = " =\n{\n";
constexpr std::string_view kSameLine = " = {\n";
constexpr std::string_view kClosing = "};\n";

char* append(char* out, std::string_view piece) {
    std::memcpy(out, piece.data(), piece.size());
    return out + piece.size();
}

// The definition of an array of `items`, after its `head`.
SourceText renderItems(const std::string& head, const CArray& array) {
    std::string text = head;
    const std::size_t perLine = array.perLine == 0 ? 1 : array.perLine;
    for (std::size_t i = 0; i < array.items.size(); ++i) {
        const bool last = i + 1 == array.items.size();
        const bool lineEnds = last || (i + 1) % perLine == 0;
        if (i % perLine == 0) text += '\t';
        text += array.items[i];
        if (!last || array.commaAfterLast) text += lineEnds ? ",\n" : ", ";
        if (last && !array.commaAfterLast) text += '\n';
    }
    text += kClosing;
    SourceText source{platform::LargeBlock(text.size())};
    if (!source.bytes) return source;
    std::memcpy(source.bytes.chars(), text.data(), text.size());
    source.length = text.size();
    return source;
}

}  // namespace

std::string cutAtLastExtension(std::string path, std::string_view extension) {
    const std::size_t cut = path.rfind(extension);
    if (cut != std::string::npos) path.erase(cut);
    return path;
}

std::string deriveArrayName(const std::string& inputPath, std::string_view extension) {
    std::string name = cutAtLastExtension(inputPath, extension);
    const std::size_t separator = name.find_last_of("\\/");
    if (separator != std::string::npos) name.erase(0, separator + 1);
    return name;
}

std::string declarationOf(const CArray& array) {
    std::string text = array.isStatic ? "static const" : "const";
    text.append(array.storage).append(" ").append(array.type).append(" ").append(array.name).append("[");
    if (array.length.empty()) {
        const std::size_t count = array.bytes.empty() ? array.items.size() : array.bytes.size();
        char digits[24];
        const auto converted = std::to_chars(digits, digits + sizeof digits, count);
        text.append(digits, converted.ptr);
    } else {
        text.append(array.length);
    }
    return text + "]";
}

SourceText renderArray(const CArray& array) {
    const std::string head = declarationOf(array) + std::string(array.braceOnOwnLine ? kOpening : kSameLine);
    if (array.bytes.empty()) return renderItems(head, array);
    const ValueTable& values = array.minus128 ? kSignedValues : kUnsignedValues;
    const std::size_t count = array.bytes.size();

    // The text is allocated once, for the longest it can be: every value at
    // the widest entry of its table. Measuring each value first would cost a
    // second pass over the samples; the pages never written are never
    // touched, so they take address space but no memory (beyond the rest of
    // the last huge page written). Each line adds its tab; its ", " endings
    // only ever shrink.
    const std::size_t fixedLength = head.size() + kClosing.size();
    const std::size_t widest = std::string_view(array.minus128 ? "-128, " : "255, ").size();
    const std::size_t lines = (count + kValuesPerLine - 1) / kValuesPerLine;
    // A count whose text could not even be addressed is memory running out.
    const std::size_t valueLimit = (SIZE_MAX - fixedLength - kCopySlack - lines) / widest;
    if (count > valueLimit) return SourceText{};
    const std::size_t capacity = fixedLength + lines + count * widest + kCopySlack;

    SourceText source{platform::LargeBlock(capacity)};
    if (!source.bytes) return source;

    char* out = append(source.bytes.chars(), head);
    // Full lines, then the last, shorter one. Each line's last ", " becomes
    // ",\n".
    const std::uint8_t* const samples = array.bytes.data();
    const std::size_t partial = count % kValuesPerLine;
    const std::uint8_t* in = samples;
    for (const std::uint8_t* const fullEnd = samples + (count - partial); in != fullEnd;
         in += kValuesPerLine) {
        *out++ = '\t';
        out = putFullLine(out, in, values, std::make_index_sequence<kValuesPerLine>{});
        out[-1] = '\n';
    }
    if (partial != 0) {
        *out++ = '\t';
        for (std::size_t i = 0; i < partial; ++i) out = putValue(out, values, in[i]);
        out[-1] = '\n';
    }
    if (count != 0 && !array.commaAfterLast) {
        // The last value ends with "\n" alone.
        out[-2] = '\n';
        --out;
    }
    out = append(out, kClosing);
    source.length = static_cast<std::size_t>(out - source.bytes.chars());
    return source;
}

SourceText emitArraySource(std::string_view name, const std::uint8_t* samples, std::uint32_t count,
                           bool isSigned, std::string_view suffix) {
    CArray array;
    array.type = isSigned ? "char" : "unsigned char";
    array.name = std::string(name).append(suffix);
    array.bytes = std::span<const std::uint8_t>(samples, count);
    array.minus128 = isSigned;
    return renderArray(array);
}

}  // namespace clip2c
