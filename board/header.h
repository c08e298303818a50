// SPDX-License-Identifier: MIT
// The header's model: what a header made for a board holds, as plain
// records, and the one renderer that writes it, whole or split into the
// declarations and a source file of the definitions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "csource/array_source.h"

namespace clip2c::board {

struct Define {
    std::string name;
    std::string value;
};

// What one clip puts in a header: its defines, then its array.
struct ClipPart {
    std::vector<Define> defines;
    CArray array;
};

// What a bank puts after its clips: the enum of its clips, the struct of an
// entry, the table of entries, and the accessor (a static inline function
// with its comment, which stays with the declarations).
struct BankPart {
    std::vector<std::string> enumerators;  // the last is the count
    std::string structName;                // "sounds_clip"
    std::vector<std::string> fields;       // "const unsigned char *data", ...
    CArray table;
    std::string accessor;
};

struct Header {
    std::vector<std::string> comment;   // its lines; none: no comment
    std::string guard;                  // the include guard's macro; empty: none
    std::vector<std::string> includes;  // "<avr/pgmspace.h>"
    std::string_view decoder;  // a text shared by the clips (IMA ADPCM's decoder), not held; may be empty
    std::vector<ClipPart> clips;
    std::optional<BankPart> bank;
};

// The header as one text, in this order: the comment ("/* " and its lines,
// each after "\n   ", then " */"), the include guard, the includes, the
// decoder, then each clip's defines and array, then the bank's part and the
// guard's "#endif". A blank line follows the lines before the clips when
// there is a decoder or a bank, and each clip and each piece of the bank's
// part in a bank. Empty when memory runs out.
std::string render(const Header& header);

// The names a split header's two files give each other.
struct SplitNames {
    std::string headerName;  // the header's file name, as the source includes it
    std::string sourceName;  // the source's file name
    std::string madeFrom;    // the input files, as the comments name them
    std::string guard;       // the include guard when the header has none of its own
};

// The header split in two: `declarations`, the header proper, which keeps
// all but the definitions and declares every array `extern` with its length
// (so that sizeof works as with the whole header) with C linkage in C++, in
// an include guard; and `definitions`, a source file that includes the
// header and defines the arrays. Both begin with a comment naming the
// inputs. Empty when memory runs out.
struct SplitHeader {
    std::string declarations;
    std::string definitions;
};
SplitHeader renderSplit(const Header& header, const SplitNames& names);

}  // namespace clip2c::board
