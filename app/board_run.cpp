// SPDX-License-Identifier: MIT
#include "app/board_run.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

#include "app/board_command_line.h"
#include "app/board_help.h"
#include "app/board_load.h"
#include "app/board_output.h"
#include "app/board_report.h"
#include "app/board_version.h"
#include "platform/platform.h"

namespace clip2c {
namespace {

void printError(std::string_view text) { platform::writeErrorLine(consoleAscii(text)); }

// "clip2c-board: <about>: <why>".
void printRefusal(std::string_view about, std::string_view why) {
    printError(std::string(kBoardProgram).append(": ").append(about).append(": ").append(why));
}

void printLines(const std::vector<std::string>& lines) {
    for (const std::string& text : lines) printError(std::string(kBoardProgram).append(": ").append(text));
}

// Writes a report's text and says what was done; returns the exit status.
// `input` is the one the refusal is about when the report names none.
int finishReport(const BoardReport& report, const std::string& input) {
    if (!report.refusal.empty()) {
        printRefusal(report.refusedInput.empty() ? input : report.refusedInput, report.refusal);
        printLines(report.lines);
        return kBoardExitRefused;
    }
    // The source first: a header is written only with the definitions it
    // declares.
    std::vector<OutputFile> outputs;
    if (!report.source.path.empty()) outputs.push_back(report.source);
    outputs.push_back(report.output);
    if (const std::string failed = writeAllOrNothing(outputs); !failed.empty()) {
        printRefusal(failed, "cannot write it; check that its folder exists and may be written");
        return kBoardExitRefused;
    }
    printLines(report.lines);
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
        inputs.push_back({path, file.bytes()});
        loaded.push_back(std::move(file));
    }
    return finishReport(reportBank(line, inputs), line.inputs.front());
}

int runClip(const BoardCommandLine& line) {
    const std::string& input = line.inputs.front();
    const LoadedFile loaded = loadFile(input);
    if (loaded.failure != LoadFailure::None) {
        printRefusal(input, loadRefusal(loaded.failure));
        return kBoardExitRefused;
    }
    return finishReport(reportClip(line, loaded.bytes()), input);
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
        const std::string version = std::string(kBoardProgram) + " " + std::string(kBoardVersion) + "\n";
        platform::writeConsole(version, version);
        return kBoardExitWritten;
    }
    return line.bank ? runBank(line) : runClip(line);
}

}  // namespace

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
        // A literal: building the line could run out of memory again.
        platform::writeErrorLine("clip2c-board: out of memory");
        return kBoardExitRefused;
    }
}

}  // namespace clip2c
