// SPDX-License-Identifier: MIT
#include "board/header.h"

namespace clip2c::board {
namespace {

// Appends the array's definition; false when memory runs out.
bool appendDefinition(std::string& text, const CArray& array) {
    const SourceText source = renderArray(array);
    if (!source.bytes) return false;
    text.append(source.bytes.chars(), source.length);
    return true;
}

std::string commentText(const std::vector<std::string>& lines) {
    if (lines.empty()) return {};
    std::string text = "/* " + lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i) text += "\n   " + lines[i];
    return text + " */\n";
}

std::string guardOpening(std::string_view guard) {
    std::string text = "#ifndef ";
    text.append(guard).append("\n#define ").append(guard).append("\n");
    return text;
}

std::string includesText(const Header& header) {
    std::string text;
    for (const std::string& include : header.includes) text += "#include " + include + "\n";
    return text;
}

std::string definesText(const ClipPart& clip) {
    std::string text;
    for (const Define& define : clip.defines) text += "#define " + define.name + " " + define.value + "\n";
    return text;
}

// The enum and the struct of a bank, each followed by a blank line.
std::string bankTypes(const BankPart& bank) {
    std::string text = "enum { ";
    for (std::size_t i = 0; i < bank.enumerators.size(); ++i) {
        text += bank.enumerators[i];
        text += i + 1 == bank.enumerators.size() ? " };\n\n" : ", ";
    }
    text += "struct " + bank.structName + " {\n";
    for (const std::string& field : bank.fields) text += "\t" + field + ";\n";
    return text + "};\n\n";
}

}  // namespace

std::string render(const Header& header) {
    std::string text = commentText(header.comment);
    if (!header.guard.empty()) text += guardOpening(header.guard);
    text += includesText(header);
    text += header.decoder;
    const bool blocks = header.bank.has_value();
    if (blocks || !header.decoder.empty()) text += "\n";
    for (const ClipPart& clip : header.clips) {
        text += definesText(clip);
        if (!appendDefinition(text, clip.array)) return {};
        if (blocks) text += "\n";
    }
    if (header.bank) {
        text += bankTypes(*header.bank);
        if (!appendDefinition(text, header.bank->table)) return {};
        text += "\n" + header.bank->accessor;
    }
    if (!header.guard.empty()) text += "\n#endif\n";
    return text;
}

SplitHeader renderSplit(const Header& header, const SplitNames& names) {
    const std::string& headerName = names.headerName;
    const std::string& sourceName = names.sourceName;
    const std::string& madeFrom = names.madeFrom;
    SplitHeader split;
    std::string& h = split.declarations;
    h = "/* Made by clip2c-board from ";
    h.append(madeFrom).append(": the declarations of what ").append(sourceName).append(" defines. */\n");
    h += commentText(header.comment);
    h += guardOpening(header.guard.empty() ? names.guard : header.guard);
    h += includesText(header);
    h += header.decoder;
    h += "\n";
    for (const ClipPart& clip : header.clips) h += definesText(clip);
    h += "\n";
    if (header.bank) h += bankTypes(*header.bank);
    h += "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n";
    for (const ClipPart& clip : header.clips) h += "extern " + declarationOf(clip.array) + ";\n";
    if (header.bank) h += "extern " + declarationOf(header.bank->table) + ";\n";
    h += "\n#ifdef __cplusplus\n}\n#endif\n";
    if (header.bank) h += "\n" + header.bank->accessor;
    h += "\n#endif\n";

    std::string& c = split.definitions;
    c = "/* Made by clip2c-board from ";
    c.append(madeFrom).append(": the definitions of what ").append(headerName).append(" declares. */\n");
    c.append("#include \"").append(headerName).append("\"\n");
    for (const ClipPart& clip : header.clips) {
        c += "\n";
        if (!appendDefinition(c, clip.array)) return {};
    }
    if (header.bank) {
        c += "\n";
        if (!appendDefinition(c, header.bank->table)) return {};
    }
    return split;
}

}  // namespace clip2c::board
