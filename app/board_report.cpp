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
#include "board/numbers.h"
#include "board/texts.h"
#include "csource/conversion.h"
#include "input/riff.h"
#include "platform/platform.h"
#include "sound/pcm_wave.h"

namespace clip2c {
namespace {

std::string hex4(std::uint32_t value) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return "0x" + text;
}

// A WAV format tag as a person knows it, with its number.
std::string formatName(std::uint32_t tag) {
    constexpr std::pair<std::uint32_t, std::string_view> kNames[] = {
        {riff::kMsAdpcmTag, "Microsoft ADPCM"},
        {riff::kALawTag, "A-law"},
        {riff::kMuLawTag, "u-law"},
        {riff::kImaAdpcmTag, "IMA ADPCM"},
        {riff::kGsmTag, "GSM 6.10"},
        {riff::kMpegTag, "MPEG"},
        {riff::kMp3Tag, "MP3"},
        {riff::kWmaTag, "Windows Media Audio"},
    };
    const auto* known = std::find_if(std::begin(kNames), std::end(kNames),
                                     [tag](const auto& entry) { return entry.first == tag; });
    std::string number = "format " + hex4(tag);
    if (known == std::end(kNames)) return number;
    return std::string(known->second).append(" (").append(number).append(")");
}

// Whether a file name (a loaded file's, so never empty) can stand in a
// shell command as it is.
bool isPlainName(std::string_view name) {
    constexpr std::string_view kPlain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-";
    return name.find_first_not_of(kPlain) == std::string_view::npos && name.substr(0, 1) != "-";
}

// "decode it first, e.g. sox song.mp3 -b 16 song.wav": the command names
// the file itself when it can, else stand-ins; `rateOption` goes before the
// input ("-r 8000 ", which makes sox take that rate for the file's own).
std::string decodeHint(std::string_view fileName, std::string_view first = "decode it first",
                       std::string_view rateOption = "") {
    std::string from = "in.wav";
    std::string to = "out.wav";
    if (isPlainName(fileName)) {
        from = std::string(fileName);
        const std::size_t dot = from.rfind('.');
        const std::string stem = from.substr(0, dot == 0 ? std::string::npos : dot);
        const std::string_view extension = dot == std::string::npos ? "" : fileName.substr(dot);
        to = stem + (extension == ".wav" ? "-pcm.wav" : ".wav");
    }
    return std::string(first) + ", e.g. sox " + std::string(rateOption) + from + " -b 16 " + to;
}

// A loaded file's length: it is less than 4 GiB, or it would not have
// loaded.
std::uint32_t lengthOf(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(bytes.size());
}

sound::PcmWave waveOf(std::span<const std::uint8_t> bytes) {
    return sound::readPcmWave(bytes.data(), lengthOf(bytes));
}

// Why a WAV file of the bytes is refused before the engine sees it: a
// format the name would let through as 8-bit samples (u-law and A-law
// mono files are, by the tool) but that is no PCM; empty when none.
std::string compressedRefusal(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    if (classifyInput(fileName) == ".raw" || !riff::isRiffWave(bytes.data(), bytes.size())) return {};
    const std::uint32_t tag = waveOf(bytes).formatTag;
    if (tag == 0 || tag == riff::kPcmTag || tag == riff::kFloatTag) return {};
    return "a compressed or non-PCM WAV file, " + formatName(tag) + ", which clip2c-board does not read; " +
           decodeHint(fileName);
}

// Why a clip that needs a decoder is refused, and what to do.
std::string decoderRefusal(const board::BoardClip& clip, const std::string& fileName,
                           std::span<const std::uint8_t> bytes) {
    if (clip.asIs.isRiffWave) {
        const sound::PcmWave wave = waveOf(bytes);
        // The engine resamples from the file's own rate, and there is none
        // to resample from: only the file mended says it.
        if (wave.readable && wave.sampleRate == 0) {
            const std::uint32_t rate = clip.prepareRate != 0 ? clip.prepareRate : board::kDefaultRate;
            return "the WAV file gives its sample rate as 0 Hz, so its sound cannot be prepared; " +
                   decodeHint(fileName, "write the rate it plays at into it first",
                              "-r " + board::decimal(rate) + " ");
        }
        if (wave.readable) {
            return "at " + board::decimal(clip.prepareRate) +
                   " Hz the clip would be too long for a WAV file; choose a lower --rate";
        }
        if (wave.formatTag == 0) {
            return "a WAV file without a readable \"fmt \" chunk, so its sound cannot be read; " +
                   decodeHint(fileName);
        }
        return "a WAV file whose PCM data cannot be read (" + clip.source + ", " +
               board::decimal(wave.blockAlign) + " bytes a frame); " + decodeHint(fileName);
    }
    const bool known = clip.source == "MP3" || clip.source == "OGG" || clip.source == "FLAC";
    std::string holds = "; ";
    if (known) holds = "; it holds " + clip.source + " data: ";
    if (clip.notWave) return "not a WAV file" + holds + decodeHint(fileName);
    return "clip2c-board reads WAV and raw files only" + holds + decodeHint(fileName);
}

// Why the engine refused the clip of a loaded file. It refuses a file that
// is not empty, under a name that is not, only when the clip or its text
// does not fit in memory; every other file it converts, prepares or leaves
// to a decoder.
constexpr std::string_view kClipOutOfMemory = "out of memory: the clip or its text does not fit";

// "8-bit mono 8000 Hz, converted as it is" or the engine's account of a
// prepare, "16-bit stereo 44100 Hz -> 8-bit mono 8000 Hz". A WAV file
// converts as it is only when it is 8-bit mono.
std::string whatWasDone(const board::BoardClip& clip) {
    if (!clip.what.empty()) return clip.what;
    const std::string_view format = clip.asIs.isRaw ? "raw 8-bit " : "8-bit mono ";
    return std::string(format) + board::decimal(clip.asIs.sampleRate) + " Hz, converted as it is";
}

// "jump_wave, 4,800 samples, 0.600 s at 8000 Hz", or for IMA ADPCM
// "jump_adpcm, 4,801 samples in 2,436 bytes, 0.600 s at 8000 Hz": the
// samples decoded, the seconds rounded to the nearest millisecond, as the
// board's text says them.
std::string clipFigures(const board::ClipResult& result) {
    const bool adpcm = result.encoding == board::Encoding::ImaAdpcm;
    const std::uint64_t bytes = result.samples.size();
    const std::uint64_t count = adpcm ? result.adpcmSamples : bytes;
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
    if (split.declarations.empty()) report.refusal = kClipOutOfMemory;
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
    report.refusal = compressedRefusal(fileName, bytes);
    if (!report.refusal.empty()) return report;

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
    if (clip.outcome == board::ClipOutcome::NeedsDecoder) {
        report.refusal = decoderRefusal(clip, fileName, bytes);
        return report;
    }
    if (clip.outcome != board::ClipOutcome::Made) {
        report.refusal = kClipOutOfMemory;
        return report;
    }
    const board::ClipResult& result = clip.result;
    const auto count = static_cast<std::uint32_t>(result.samples.size());
    if (board::isAvrTarget(line.target) && count > board::kArrayLimit) {
        report.refusal = board::arrayLimitText(count, result.sampleRate, result.encoding);
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
        splitInto(report, board::clipHeader(line.target, facts, result.samples, true), {fileName});
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
        report.refusal = compressedRefusal(fileNames.back(), input.bytes);
        if (!report.refusal.empty()) {
            report.refusedInput = input.path;
            return report;
        }
        request.files.push_back({input.bytes.data(), lengthOf(input.bytes), fileNames.back(), {}});
    }
    const board::BankResult bank = board::makeBank(request);
    // The command line gives a bank at least one input and a name that is
    // an identifier, so that only a clip can refuse it.
    if (bank.refusal != board::BankRefusal::None) {
        const std::size_t index = bank.refusedClip;
        const BankInput& input = inputs[index];
        const board::BoardClip& clip = bank.clips[index];
        report.refusedInput = input.path;
        switch (bank.refusal) {
            case board::BankRefusal::NeedsDecoder:
                report.refusal = decoderRefusal(clip, fileNames[index], input.bytes);
                break;
            case board::BankRefusal::EmptyClip:
                report.refusal =
                    "the clip has no samples, and a bank holds no empty clip (C has no empty array)";
                break;
            case board::BankRefusal::OverArray:
                report.refusal = board::arrayLimitText(static_cast<std::uint32_t>(clip.result.samples.size()),
                                                       clip.result.sampleRate, clip.result.encoding);
                break;
            default:
                report.refusal = kClipOutOfMemory;
                break;
        }
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
        report.lines.push_back(inputs[i].path + ": " + whatWasDone(clip) + "; " + clipFigures(clip.result));
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
