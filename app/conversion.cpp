// SPDX-License-Identifier: MIT
#include "app/conversion.h"

#include <cstdint>
#include <new>

#include "app/command_line.h"
#include "app/console_texts.h"
#include "csource/array_source.h"
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

int convert(const CommandLine& line) {
    if (line.inputPath.empty()) {
        print(kNoInputPath);
        return kExitFailure;
    }
    const std::optional<std::string_view> extension = classifyInput(line.inputPath);
    if (!extension) {
        print(kNotRawOrWav);
        return kExitFailure;
    }
    // The name alone tells raw from WAV, and the flag word carries it to
    // the load.
    RunFlags flags = line.flags;
    if (*extension == ".wav") flags.set(RunFlags::WaveInput);
    const std::string outputPath =
        line.outputPath.empty() ? deriveOutputPath(line.inputPath, *extension) : line.outputPath;

    const std::uint32_t fileSize = queryFileSize(line.inputPath);
    // The file image: null when memory runs out, which ends the run like a
    // failed read.
    const platform::LargeBlock image(fileSize);
    if (!image || readWholeFile(line.inputPath, image.bytes(), fileSize) == 0) return kExitFailure;

    const SampleSelection selection = selectSamples(image.bytes(), fileSize, flags.has(RunFlags::WaveInput));
    if (selection.check == SampleCheck::NotMono) {
        print(kMonoOnly);
        return kExitFailure;
    }
    if (selection.check == SampleCheck::NotEightBit) {
        print(kEightBitOnly);
        return kExitFailure;
    }
    // The samples are read where the file image holds them: the image lives
    // until the text is written, and nothing changes it.
    const std::string name = deriveArrayName(line.inputPath, *extension);
    const SourceText text =
        emitArraySource(name, selection.start, selection.count, flags.has(RunFlags::Signed));
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
