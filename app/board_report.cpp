// SPDX-License-Identifier: MIT
#include "app/board_report.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "board/bank.h"
#include "board/clip_header.h"
#include "board/header.h"
#include "board/make_clip.h"
#include "board/names.h"
#include "board/notes.h"
#include "board/numbers.h"
#include "board/refusal.h"
#include "csource/conversion.h"
#include "input/riff.h"
#include "platform/platform.h"
#include "sound/pcm_wave.h"

namespace clip2c {
namespace {

// A loaded file's length: it is less than 4 GiB, or it would not have
// loaded.
std::uint32_t lengthOf(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(bytes.size());
}

// "8-bit mono 8000 Hz, converted as it is" or the engine's account of a
// prepare, "16-bit stereo 44100 Hz -> 8-bit mono 8000 Hz". A WAV file
// converts as it is only when it is 8-bit mono.
std::string whatWasDone(const board::BoardClip& clip) {
    if (!clip.made.how.empty()) return clip.made.how;
    const std::string_view format = clip.source.isRaw ? "raw 8-bit " : "8-bit mono ";
    return std::string(format) + board::decimal(clip.made.sampleRate) + " Hz, converted as it is";
}

// "jump_wave, 4,800 samples, 0.600 s at 8000 Hz", or for IMA ADPCM
// "jump_adpcm, 4,801 samples in 2,436 bytes, 0.600 s at 8000 Hz": the
// samples decoded, the seconds rounded to the nearest millisecond, as the
// board's text says them.
std::string clipFigures(const board::MadeClip& result) {
    const bool adpcm = result.encoding == board::Encoding::ImaAdpcm;
    const std::uint64_t bytes = result.bytes.size();
    const std::uint64_t count = result.sampleCount;
    std::string text =
        result.arrayName + ", " + board::grouped(count) + (count == 1 ? " sample" : " samples");
    if (adpcm) text += " in " + board::grouped(bytes) + (bytes == 1 ? " byte" : " bytes");
    text += ", ";
    if (result.sampleRate == 0) return text + "length unknown at 0 Hz";
    const std::uint64_t millis = (count * 2000 + result.sampleRate) / (std::uint64_t{result.sampleRate} * 2);
    return text + board::withThreeDecimals(millis) + " s at " + board::decimal(result.sampleRate) + " Hz";
}

// The include guard of a header split from its source: "CLIP2C_" and the
// header's file name in capitals, every byte but a letter or digit as "_".
std::string guardOf(std::string_view headerName) {
    std::string guard = "CLIP2C_";
    for (const char c : headerName) {
        const bool digit = c >= '0' && c <= '9';
        const bool lower = c >= 'a' && c <= 'z';
        const bool upper = c >= 'A' && c <= 'Z';
        guard += lower ? static_cast<char>(c - 'a' + 'A') : (upper || digit) ? c : '_';
    }
    return guard;
}

// Splits `header` into the report's declarations (its output's text) and
// the definitions of its source, made from the files `inputs`; when
// memory runs out, the report is refused instead.
void splitInto(BoardReport& report, const board::Header& header, const std::vector<std::string>& inputs) {
    std::string madeFrom;
    for (const std::string& input : inputs) madeFrom += (madeFrom.empty() ? "" : ", ") + input;
    const std::string& headerPath = report.output.path;
    const std::string& sourcePath = report.source.path;
    board::SplitNames names;
    names.headerName = headerPath.substr(platform::fileNameOffset(headerPath));
    names.sourceName = sourcePath.substr(platform::fileNameOffset(sourcePath));
    names.madeFrom = madeFrom;
    names.guard = guardOf(names.headerName);
    board::SplitHeader split = board::renderSplit(header, names);
    if (split.declarations.empty()) {
        board::Refusal outOfMemory;
        outOfMemory.kind = board::RefusalKind::OutOfMemory;
        report.refusal = board::refusalEnglish(outOfMemory);
    }
    report.output.text = std::move(split.declarations);
    report.source.text = std::move(split.definitions);
}

// Why the outputs cannot be written where they are asked for: over the
// input, or one over the other; empty when they can.
std::string outputClash(const BoardReport& report, const std::string& input) {
    if (report.output.path == input)
        return "the header would replace the input file itself; name another with -o OUTPUT";
    if (report.source.path.empty()) return {};
    if (report.source.path == input)
        return "the source file would replace the input file itself; name another with --source FILE";
    if (report.source.path == report.output.path)
        return "the source file and the header would be one file; name another with --source FILE";
    return {};
}

}  // namespace

BoardReport reportClip(const BoardCommandLine& line, std::span<const std::uint8_t> bytes) {
    BoardReport report;
    const std::string& input = line.inputs.front();
    const std::string fileName = input.substr(platform::fileNameOffset(input));
    if (const auto compressed = board::compressedRefusal(fileName, bytes.data(), lengthOf(bytes))) {
        report.refusal = board::refusalEnglish(*compressed);
        return report;
    }

    board::ClipRequest request;
    request.fileName = fileName;
    request.name = line.name;
    request.target = line.target;
    request.encoding = line.encoding;
    request.isSigned = line.isSigned;
    request.rate = line.rate;
    request.forcePrepare = line.rate != 0;
    request.options.normalize = line.normalize;
    request.options.trim = line.trim;
    const board::BoardClip clip = board::makeClip(bytes.data(), lengthOf(bytes), request);
    if (clip.outcome != board::ClipOutcome::Made) {
        report.refusal = board::refusalEnglish(clip.refusal);
        return report;
    }
    const board::MadeClip& result = clip.made;
    const auto count = static_cast<std::uint32_t>(result.bytes.size());
    if (board::isAvrTarget(line.target) && count > board::kArrayLimit) {
        board::Refusal overArray;
        overArray.kind = board::RefusalKind::OverArray;
        overArray.bytes = count;
        overArray.rate = result.sampleRate;
        overArray.encoding = result.encoding;
        report.refusal = board::refusalEnglish(overArray);
        return report;
    }
    report.output.path = line.output;
    if (report.output.path.empty())
        report.output.path = input.substr(0, input.size() - fileName.size()) + clip.name + ".h";
    report.source.path = line.source;
    report.refusal = outputClash(report, input);
    if (!report.refusal.empty()) return report;
    if (line.source.empty()) {
        report.output.text = result.text;
    } else {
        const board::ClipFacts facts = board::factsOf(clip, line.isSigned);
        splitInto(report, board::clipHeader(line.target, facts, result.bytes, true), {fileName});
        if (!report.refusal.empty()) return report;
    }
    report.lines.push_back(input + ": " + whatWasDone(clip));
    report.lines.push_back("wrote " + report.output.path + ": " + clipFigures(result));
    if (!line.source.empty()) report.lines.push_back("wrote " + report.source.path + ": the definitions");
    report.lines.push_back(result.fit.text);
    for (const std::string& note : clip.notes) report.lines.push_back("note: " + note);
    return report;
}

BoardReport reportBank(const BoardCommandLine& line, const std::vector<BankInput>& inputs) {
    BoardReport report;
    board::BankRequest request;
    request.name = line.bank.value_or("sounds");
    request.target = line.target;
    request.encoding = line.encoding;
    request.isSigned = line.isSigned;
    request.rate = line.rate;
    request.options.normalize = line.normalize;
    request.options.trim = line.trim;
    std::vector<std::string> fileNames;
    for (const BankInput& input : inputs) {
        fileNames.push_back(input.path.substr(platform::fileNameOffset(input.path)));
        if (const auto compressed =
                board::compressedRefusal(fileNames.back(), input.bytes.data(), lengthOf(input.bytes))) {
            report.refusal = board::refusalEnglish(*compressed);
            report.refusedInput = input.path;
            return report;
        }
        request.files.push_back({input.bytes.data(), lengthOf(input.bytes), fileNames.back(), {}});
    }
    const board::BankResult bank = board::makeBank(request);
    // The command line gives a bank at least one input and a name that is
    // an identifier, so that only a clip can refuse it.
    if (bank.refusal != board::BankRefusal::None) {
        report.refusedInput = inputs[bank.refusedClip].path;
        report.refusal = board::refusalEnglish(bank.why);
        // Every clip was made but one over an array: what would fit them all.
        if (!bank.fit.text.empty() && !bank.fit.fits) report.lines.push_back(bank.fit.text);
        return report;
    }
    report.output.path = line.output.empty() ? request.name + ".h" : line.output;
    report.source.path = line.source;
    for (const BankInput& input : inputs) {
        report.refusal = outputClash(report, input.path);
        if (report.refusal.empty()) continue;
        report.refusedInput = input.path;
        return report;
    }
    report.output.text = bank.text;
    if (!line.source.empty()) splitInto(report, board::bankHeader(request, bank), fileNames);
    if (!report.refusal.empty()) return report;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const board::BoardClip& clip = bank.clips[i];
        report.lines.push_back(inputs[i].path + ": " + whatWasDone(clip) + "; " + clipFigures(clip.made));
    }
    const std::size_t clips = bank.clips.size();
    report.lines.push_back("wrote " + report.output.path + ": " + board::grouped(clips) +
                           (clips == 1 ? " clip, " : " clips, ") + board::grouped(bank.sampleCount) +
                           (bank.sampleCount == 1 ? " sample in all" : " samples in all"));
    if (!line.source.empty()) report.lines.push_back("wrote " + report.source.path + ": the definitions");
    report.lines.push_back(bank.fit.text);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (const std::string& note : bank.clips[i].notes)
            report.lines.push_back("note: " + inputs[i].path + ": " + note);
    }
    return report;
}

}  // namespace clip2c
