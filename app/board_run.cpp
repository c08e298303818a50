// SPDX-License-Identifier: MIT
#include "app/board_run.h"

#include <algorithm>
#include <new>
#include <utility>

#include "app/board_version.h"
#include "csource/conversion.h"
#include "board/bank.h"
#include "board/clip_header.h"
#include "board/header.h"
#include "board/make_clip.h"
#include "board/names.h"
#include "board/numbers.h"
#include "board/texts.h"
#include "input/file_load.h"
#include "platform/platform.h"
#include "sound/pcm_wave.h"

namespace clip2c {
namespace {

constexpr std::string_view kProgram = "clip2c-board: ";
constexpr std::string_view kUsage =
    "usage: clip2c-board [--target c|firmware|progmem|flash] [--encoding pcm8|ima-adpcm] [--name NAME] "
    "[--rate HZ] [--normalize] [--trim] [--signed] [-o OUTPUT] [--source FILE] INPUT";
constexpr std::string_view kBankUsage = "       clip2c-board --bank NAME [options] INPUT...";

constexpr std::uint32_t kPcmTag = 1;
constexpr std::uint32_t kFloatTag = 3;

std::string quoted(std::string_view text) {
    std::string out = "'";
    out.append(text).append("'");
    return out;
}

std::string hex4(std::uint32_t value) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return "0x" + text;
}

// A WAV format tag as a person knows it, with its number.
std::string formatName(std::uint32_t tag) {
    constexpr std::pair<std::uint32_t, std::string_view> kNames[] = {
        {0x0002, "Microsoft ADPCM"}, {0x0006, "A-law"}, {0x0007, "u-law"}, {0x0011, "IMA ADPCM"},
        {0x0031, "GSM 6.10"},        {0x0050, "MPEG"},  {0x0055, "MP3"},   {0x0161, "Windows Media Audio"},
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

bool isRiffWave(const std::uint8_t* bytes, std::uint32_t length) {
    constexpr std::string_view kRiff = "RIFF";
    constexpr std::string_view kWave = "WAVE";
    return length >= 12 && std::equal(kRiff.begin(), kRiff.end(), bytes) &&
           std::equal(kWave.begin(), kWave.end(), bytes + 8);
}

// Why a WAV file of the bytes is refused before the engine sees it: a
// format the name would let through as 8-bit samples (u-law and A-law
// mono files are, by the tool) but that is no PCM; empty when none.
std::string compressedRefusal(const std::string& fileName, const std::uint8_t* bytes, std::uint32_t length) {
    if (classifyInput(fileName) == ".raw" || !isRiffWave(bytes, length)) return {};
    const std::uint32_t tag = sound::readPcmWave(bytes, length).formatTag;
    if (tag == 0 || tag == kPcmTag || tag == kFloatTag) return {};
    return "a compressed or non-PCM WAV file, " + formatName(tag) + ", which clip2c-board does not read; " +
           decodeHint(fileName);
}

// Why a clip that needs a decoder is refused, and what to do.
std::string decoderRefusal(const board::BoardClip& clip, const std::string& fileName,
                           const std::uint8_t* bytes, std::uint32_t length) {
    if (clip.asIs.isRiffWave) {
        const sound::PcmWave wave = sound::readPcmWave(bytes, length);
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

// Why a file could not be loaded; None when it was.
enum class LoadFailure { None, Unreadable, Empty, TooLarge, OutOfMemory };

struct LoadedFile {
    LoadFailure failure = LoadFailure::None;
    platform::LargeBlock image;
    std::uint32_t length = 0;
};

// Tells apart the files queryFileSize gives no size for.
LoadFailure whyNoSize(const std::string& path) {
    platform::FileHandle file;
    if (!platform::openForReading(path, file)) return LoadFailure::Unreadable;
    std::uint32_t size = 0;
    const bool measured = platform::measureFile(file, size);
    // Only read access was held; a failed close loses nothing.
    static_cast<void>(platform::closeFile(file));
    return measured ? LoadFailure::Empty : LoadFailure::TooLarge;
}

LoadedFile loadFile(const std::string& path) {
    LoadedFile loaded;
    const std::uint32_t size = queryFileSize(path);
    if (size == 0) {
        loaded.failure = whyNoSize(path);
        return loaded;
    }
    loaded.image = platform::LargeBlock(size);
    if (!loaded.image) {
        loaded.failure = LoadFailure::OutOfMemory;
    } else if (readWholeFile(path, loaded.image.bytes(), size) == 0) {
        loaded.failure = LoadFailure::Unreadable;
    } else {
        loaded.length = size;
    }
    return loaded;
}

std::string loadRefusal(LoadFailure failure) {
    switch (failure) {
        case LoadFailure::Empty:
            return "the file is empty";
        case LoadFailure::TooLarge:
            return "cannot read it: it is 4 GiB or larger";
        case LoadFailure::OutOfMemory:
            return "out of memory: the file does not fit";
        case LoadFailure::Unreadable:
        case LoadFailure::None:
            break;
    }
    return "cannot read it; check that it exists, is a file and may be read";
}

// Writes `text` into a new file beside `path`, flushed to disk; returns
// its name, empty when it cannot be written whole (and is then gone).
std::string writeTemporary(const std::string& path, const std::string& text) {
    // A name of its own for each run: another run writing the same output
    // at the same time takes the next one.
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string temporary =
            path + "." + board::decimal(static_cast<std::uint64_t>(attempt)) + ".tmp";
        platform::FileHandle file;
        if (!platform::createNewFile(temporary, file)) continue;
        std::size_t done = 0;
        while (done < text.size()) {
            const std::size_t piece = std::min<std::size_t>(text.size() - done, platform::kMaxWriteRequest);
            const std::uint32_t put =
                platform::writeFile(file, text.data() + done, static_cast<std::uint32_t>(piece));
            if (put == 0) break;
            done += put;
        }
        bool written = done == text.size() && platform::flushToDisk(file);
        written = platform::closeFile(file) && written;
        if (written) return temporary;
        // Nothing more can be done about a temporary that will not go.
        static_cast<void>(platform::removeFile(temporary));
        return {};
    }
    return {};
}

// Writes the report's text to its output path (and with --source its
// source text to its source path) whole or not at all: into new files
// beside them, which then replace the outputs, each in one rename. On
// failure the outputs are as they were and the new files are gone, but
// when the header's rename fails after the source's. Returns the path
// that could not be written; empty when every one was.
std::string writeAllOrNothing(const BoardReport& report) {
    std::string sourceTemporary;
    if (!report.sourcePath.empty()) {
        sourceTemporary = writeTemporary(report.sourcePath, report.sourceText);
        if (sourceTemporary.empty()) return report.sourcePath;
    }
    const std::string temporary = writeTemporary(report.outputPath, report.text);
    if (temporary.empty()) {
        if (!sourceTemporary.empty()) static_cast<void>(platform::removeFile(sourceTemporary));
        return report.outputPath;
    }
    if (!sourceTemporary.empty() && !platform::replaceFile(sourceTemporary, report.sourcePath)) {
        static_cast<void>(platform::removeFile(sourceTemporary));
        static_cast<void>(platform::removeFile(temporary));
        return report.sourcePath;
    }
    if (platform::replaceFile(temporary, report.outputPath)) return {};
    static_cast<void>(platform::removeFile(temporary));
    return report.outputPath;
}

// The include guard of a header split from its source: "CLIP2C_" and the
// header's file name in capitals, every byte but a letter or digit as "_".
std::string guardOf(std::string_view headerName) {
    std::string guard = "CLIP2C_";
    for (const char c : headerName) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        guard += letter ? static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c) : digit ? c : '_';
    }
    return guard;
}

// Splits `header` into the report's declarations (its text) and the
// definitions for its source path, made from the inputs `madeFrom`.
void splitInto(BoardReport& report, const board::Header& header, const std::string& madeFrom) {
    const std::string headerName = report.outputPath.substr(platform::fileNameOffset(report.outputPath));
    const std::string sourceName = report.sourcePath.substr(platform::fileNameOffset(report.sourcePath));
    board::SplitHeader split =
        board::renderSplit(header, headerName, sourceName, madeFrom, guardOf(headerName));
    report.text = std::move(split.declarations);
    report.sourceText = std::move(split.definitions);
}

// Why the outputs cannot be written where they are asked for: over an
// input, or one over the other; empty when they can.
std::string outputClash(const BoardReport& report, const std::string& input) {
    if (report.outputPath == input)
        return "the header would replace the input file itself; name another with -o OUTPUT";
    if (report.sourcePath.empty()) return {};
    if (report.sourcePath == input)
        return "the source file would replace the input file itself; name another with --source FILE";
    if (report.sourcePath == report.outputPath)
        return "the source file and the header would be one file; name another with --source FILE";
    return {};
}

void printError(std::string_view text) { platform::writeErrorLine(consoleAscii(text)); }

void printRefusal(const std::string& input, std::string_view why) {
    printError(std::string(kProgram).append(input).append(": ").append(why));
}

// Writes a report's text and says what was done; returns the exit status.
// `input` is the one the refusal is about when the report names none.
int finishReport(const BoardReport& report, const std::string& input) {
    if (!report.refusal.empty()) {
        printRefusal(report.refusedInput.empty() ? input : report.refusedInput, report.refusal);
        for (const std::string& text : report.lines) printError(std::string(kProgram).append(text));
        return kBoardExitRefused;
    }
    if (const std::string failed = writeAllOrNothing(report); !failed.empty()) {
        printRefusal(failed, "cannot write it; check that its folder exists and may be written");
        return kBoardExitRefused;
    }
    for (const std::string& text : report.lines) printError(std::string(kProgram).append(text));
    return kBoardExitWritten;
}

int runBank(const BoardCommandLine& line) {
    std::vector<LoadedFile> loaded;
    std::vector<BankInput> inputs;
    for (const std::string& path : line.inputs) {
        LoadedFile file = loadFile(path);
        if (file.failure != LoadFailure::None) {
            printRefusal(path, loadRefusal(file.failure));
            return kBoardExitRefused;
        }
        inputs.push_back({path, file.image.bytes(), file.length});
        loaded.push_back(std::move(file));
    }
    return finishReport(reportBank(line, inputs), line.inputs.front());
}

int runParsed(const BoardParse& parse) {
    if (parse.error != BoardUsageError::None) {
        for (const std::string& text : usageErrorLines(parse)) printError(text);
        return kBoardExitUsage;
    }
    const BoardCommandLine& line = parse.line;
    if (line.request == BoardRequest::Help) {
        const std::string help = boardHelpText();
        platform::writeConsole(help, help);
        return kBoardExitWritten;
    }
    if (line.request == BoardRequest::Version) {
        const std::string version = "clip2c-board " + std::string(kBoardVersion) + "\n";
        platform::writeConsole(version, version);
        return kBoardExitWritten;
    }
    if (line.bank) return runBank(line);
    const std::string& input = line.inputs.front();
    const LoadedFile loaded = loadFile(input);
    if (loaded.failure != LoadFailure::None) {
        printRefusal(input, loadRefusal(loaded.failure));
        return kBoardExitRefused;
    }
    return finishReport(reportClip(line, loaded.image.bytes(), loaded.length), input);
}

}  // namespace

BoardReport reportClip(const BoardCommandLine& line, const std::uint8_t* bytes, std::uint32_t length) {
    BoardReport report;
    const std::string& input = line.inputs.front();
    const std::string fileName = input.substr(platform::fileNameOffset(input));
    report.refusal = compressedRefusal(fileName, bytes, length);
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
    const board::BoardClip clip = board::makeClip(bytes, length, request);
    if (clip.outcome == board::ClipOutcome::NeedsDecoder) {
        report.refusal = decoderRefusal(clip, fileName, bytes, length);
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
    report.outputPath = line.output;
    if (report.outputPath.empty())
        report.outputPath = input.substr(0, input.size() - fileName.size()) + clip.name + ".h";
    report.sourcePath = line.source;
    report.refusal = outputClash(report, input);
    if (!report.refusal.empty()) return report;
    if (line.source.empty()) {
        report.text = result.text;
    } else {
        splitInto(report, board::clipHeader(line.target, board::factsOf(clip, line.isSigned), result.samples, true),
                  fileName);
    }
    report.lines.push_back(input + ": " + whatWasDone(clip));
    report.lines.push_back("wrote " + report.outputPath + ": " + clipFigures(result));
    if (!line.source.empty()) report.lines.push_back("wrote " + report.sourcePath + ": the definitions");
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
        report.refusal = compressedRefusal(fileNames.back(), input.bytes, input.length);
        if (!report.refusal.empty()) {
            report.refusedInput = input.path;
            return report;
        }
        request.files.push_back({input.bytes, input.length, fileNames.back(), {}});
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
                report.refusal = decoderRefusal(clip, fileNames[index], input.bytes, input.length);
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
    report.outputPath = line.output.empty() ? request.name + ".h" : line.output;
    report.sourcePath = line.source;
    for (const BankInput& input : inputs) {
        report.refusal = outputClash(report, input.path);
        if (report.refusal.empty()) continue;
        report.refusedInput = input.path;
        return report;
    }
    if (line.source.empty()) {
        report.text = bank.text;
    } else {
        std::string madeFrom;
        for (const std::string& fileName : fileNames) madeFrom += (madeFrom.empty() ? "" : ", ") + fileName;
        splitInto(report, board::bankHeader(request, bank), madeFrom);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const board::BoardClip& clip = bank.clips[i];
        report.lines.push_back(inputs[i].path + ": " + whatWasDone(clip) + "; " + clipFigures(clip.result));
    }
    const std::size_t clips = bank.clips.size();
    report.lines.push_back("wrote " + report.outputPath + ": " + board::grouped(clips) +
                           (clips == 1 ? " clip, " : " clips, ") + board::grouped(bank.sampleCount) +
                           (bank.sampleCount == 1 ? " sample in all" : " samples in all"));
    if (!line.source.empty()) report.lines.push_back("wrote " + report.sourcePath + ": the definitions");
    report.lines.push_back(bank.fit.text);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (const std::string& note : bank.clips[i].notes)
            report.lines.push_back("note: " + inputs[i].path + ": " + note);
    }
    return report;
}

std::vector<std::string> usageErrorLines(const BoardParse& parse) {
    const std::string& option = parse.option;
    const std::string& value = parse.value;
    std::string why;
    switch (parse.error) {
        case BoardUsageError::UnknownOption:
            why = "unknown option " + quoted(option);
            break;
        case BoardUsageError::MissingValue:
            why = "option " + quoted(option) + " needs a value";
            break;
        case BoardUsageError::UnexpectedValue:
            why = "option " + quoted(option) + " takes no value, but was given " + quoted(value);
            break;
        case BoardUsageError::BadTarget:
            why = "--target must be c, firmware, progmem or flash, not " + quoted(value);
            break;
        case BoardUsageError::BadEncoding:
            why = "--encoding must be pcm8 or ima-adpcm, not " + quoted(value);
            break;
        case BoardUsageError::BadRate:
            why = "--rate must be a whole number of hertz from 1 to " + board::grouped(kBoardMaxRate) +
                  ", not " + quoted(value);
            break;
        case BoardUsageError::BadName:
            why = "--name " + quoted(value) +
                  " gives no C identifier (a letter, then letters, digits and _); try --name " +
                  board::proposeName(value);
            break;
        case BoardUsageError::BadBankName:
            why = "--bank " + quoted(value) +
                  " gives no C identifier (a letter, then letters, digits and _); try --bank " +
                  board::proposeName(value);
            break;
        case BoardUsageError::NameWithBank:
            why = "--name cannot be used with --bank: each clip of a bank is named from its file's name";
            break;
        case BoardUsageError::EmptyOutput:
            why = "option " + quoted(option) + " needs a file name, not an empty one";
            break;
        case BoardUsageError::EmptyInput:
            why = "an empty argument is no input file";
            break;
        case BoardUsageError::NoInput:
            why = "no input file";
            break;
        case BoardUsageError::SecondInput:
            why = "one input file only, but " + quoted(option) + " and " + quoted(value) + " were given";
            break;
        case BoardUsageError::None:
            return {};
    }
    return {std::string(kProgram) + why, std::string(kUsage), std::string(kBankUsage)};
}

std::string boardHelpText() {
    return std::string(kUsage) + "\n" + std::string(kBankUsage) +
           "\n"
           "Makes a C header of a sound clip for a board: any PCM WAV file (mixed to mono,\n"
           "resampled and made 8-bit when need be) or a raw clip (a name holding \".raw\").\n"
           "With --bank, one header of several clips, with a table of them all.\n"
           "\n"
           "  --target T      c (the default): the array as clip2c writes it; firmware: with\n"
           "                  a comment and NAME_wave_rate; progmem, flash: the same, the\n"
           "                  array in AVR flash (PROGMEM, __flash)\n"
           "  --encoding E    pcm8 (the default): one byte a sample, the array NAME_wave;\n"
           "                  ima-adpcm: 4-bit IMA ADPCM in half the bytes, the array\n"
           "                  NAME_adpcm with NAME_adpcm_rate, NAME_adpcm_samples and\n"
           "                  NAME_adpcm_block_bytes, and its decoder in the header:\n"
           "                  clip2c_adpcm_start() and clip2c_adpcm_next() give signed\n"
           "                  16-bit samples\n"
           "  --name NAME     the array is NAME_wave or NAME_adpcm (default: from INPUT's\n"
           "                  name)\n"
           "  --rate HZ       make the clip at HZ, 1 to 1,000,000 (default: a WAV file keeps\n"
           "                  its own rate; a raw clip plays at 8000 Hz)\n"
           "  --normalize     bring the clip's peak to full scale\n"
           "  --trim          cut the near-silence at its start and end\n"
           "  --signed        signed samples (-128 to 127) instead of unsigned (0 to 255);\n"
           "                  no effect with ima-adpcm, whose samples are signed 16-bit\n"
           "  --bank NAME     make every INPUT a clip of the bank NAME: NAME_clips[], NAME_at()\n"
           "                  and NAME.h (each clip named from its file; no --name)\n"
           "  -o, --output OUTPUT\n"
           "                  write to OUTPUT (default: NAME.h in INPUT's folder; for a bank,\n"
           "                  NAME.h in the current folder)\n"
           "  --source FILE   write the arrays' definitions into FILE, a C source that\n"
           "                  includes OUTPUT, and only their declarations into OUTPUT\n"
           "  --help          show this text\n"
           "  --version       show the version\n"
           "\n"
           "The output is written whole or not at all. Exit status: 0 written, 1 the file\n"
           "refused (nothing written), 2 a bad command line. See clip2c-board(1).\n";
}

std::string consoleAscii(std::string_view text) {
    constexpr std::pair<std::string_view, std::string_view> kReplacements[] = {
        {"\xE2\x86\x92", "->"}, {"\xE2\x80\x9C", "\""}, {"\xE2\x80\x9D", "\""}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto* hit = std::find_if(std::begin(kReplacements), std::end(kReplacements),
                                       [&](const auto& entry) { return text.substr(i, 3) == entry.first; });
        if (hit == std::end(kReplacements)) {
            out += text[i++];
        } else {
            out += hit->second;
            i += hit->first.size();
        }
    }
    return out;
}

int runBoard(int argc, const char* const* argv) {
    // Running out of memory for a name, a line or the engine's buffers ends
    // the run as a refused file.
    try {
        return runParsed(parseBoardCommandLine(argc, argv));
    } catch (const std::bad_alloc&) {
        platform::writeErrorLine("clip2c-board: out of memory");
        return kBoardExitRefused;
    }
}

}  // namespace clip2c
