// SPDX-License-Identifier: MIT
#include "app/conversion.h"

#include <cstdint>
#include <new>

#include "app/command_line.h"
#include "app/console_texts.h"
#include "csource/array_source.h"
#include "csource/conversion.h"
#include "csource/output_file.h"
#include "input/file_load.h"
#include "platform/platform.h"

namespace clip2c {
namespace {

void print(const ConsoleText& text) { platform::writeConsole(text.sjis, text.utf8); }

void printWithTitle(std::string_view before, std::string_view after) {
    const std::string sjis = std::string(before).append(kTitle.sjis).append(after);
    const std::string utf8 = std::string(before).append(kTitle.utf8).append(after);
    platform::writeConsole(sjis, utf8);
}

void printBanner() { printWithTitle("", std::string(kVersionWord).append(kVersionNumber).append("\n")); }

// Prints the tool's message for a refusal, if it has one; returns the
// failure status.
int refuse(ClipStatus status) {
    if (const std::optional<ConsoleText> text = statusText(status)) print(*text);
    return kExitFailure;
}

int convert(const CommandLine& line) {
    // The name alone may refuse the file before it is read.
    const Conversion named = convertBytes(line.inputPath, nullptr, 0);
    if (named.status == ClipStatus::NoInputPath || named.status == ClipStatus::NotRawOrWav)
        return refuse(named.status);
    // The name alone tells raw from WAV, and the flag word carries it to
    // the load, whose chunk walk convertBytes makes.
    RunFlags flags = line.flags;
    if (named.extension == ".wav") flags.set(RunFlags::WaveInput);
    const std::string outputPath = line.outputPath.empty() ? named.outputName : line.outputPath;

    const std::uint32_t fileSize = queryFileSize(line.inputPath);
    // The file image: null when memory runs out, which ends the run like a
    // failed read.
    const platform::LargeBlock image(fileSize);
    if (!image || readWholeFile(line.inputPath, image.bytes(), fileSize) == 0) return kExitFailure;

    // The samples are read where the file image holds them: the image lives
    // until the text is written, and nothing changes it.
    const Conversion conversion = convertBytes(line.inputPath, image.bytes(), fileSize);
    if (conversion.status != ClipStatus::Converted) return refuse(conversion.status);
    const SourceText text = emitArraySource(conversion.arrayName, conversion.start, conversion.count,
                                            flags.has(RunFlags::Signed));
    if (!text.bytes) return kExitFailure;
    if (!writeWholeFile(outputPath, text.bytes.chars(), text.length)) return kExitFailure;
    return kExitSuccess;
}

}  // namespace

int runClip2c(int argc, const char* const* argv) {
    // Running out of memory for a path or a message text ends the run like
    // any other failure; the large buffers report it without throwing.
    try {
        const CommandLine line = parseCommandLine(argc, argv);
        printBanner();
        if (line.flags.has(RunFlags::Help)) {
            printWithTitle(kUsageHead, kUsageTail);
            return kExitFailure;
        }
        return convert(line);
    } catch (const std::bad_alloc&) {
        return kExitFailure;
    }
}

}  // namespace clip2c
