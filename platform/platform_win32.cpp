// SPDX-License-Identifier: MIT
// Win32 implementation of the platform layer: ANSI paths and arguments,
// the Win32 file calls, and the multibyte C runtime.
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <mbstring.h>

#ifdef __MINGW32__
// Arguments are taken as they come: the MinGW runtime must not expand
// wildcards, or "*.raw" could turn into an input and an output path that
// overwrites a clip.
extern "C" int _dowildcard;
int _dowildcard = 0;
#endif

namespace clip2c::platform {
namespace {

static_assert(sizeof(std::intptr_t) >= sizeof(HANDLE), "a HANDLE must fit in FileHandle::value");

// A HANDLE travels in the integer FileHandle::value; this undoes the cast
// made when the file was opened.
// NOLINTNEXTLINE(performance-no-int-to-ptr)
HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file.value); }

// Writes UTF-8 text to a console as UTF-16, which shows correctly whatever
// the console's code page. Returns false when standard output is no console.
bool writeWideToConsole(std::string_view utf8) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out == INVALID_HANDLE_VALUE || out == nullptr || GetConsoleMode(out, &mode) == 0) return false;
    if (GetConsoleOutputCP() == 932) return false;
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (units <= 0) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(units));
    if (MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units) !=
        units) {
        return false;
    }
    // Anything the C runtime still buffers must reach the console first; a
    // failed flush has nowhere to be reported.
    static_cast<void>(std::fflush(stdout));
    DWORD written = 0;
    return WriteConsoleW(out, wide.data(), static_cast<DWORD>(units), &written, nullptr) != 0;
}

}  // namespace

bool openForReading(const std::string& path, FileHandle& file) {
    // A folder does not open: CreateFileA needs FILE_FLAG_BACKUP_SEMANTICS
    // for one, and it is not given.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // Only disk files are inputs, as only regular files are on POSIX: a
    // device ("CON.raw", "COM1.raw") or a pipe has no size to measure and a
    // read of it could wait for ever.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return false;
    }
    file.value = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool openForWriting(const std::string& path, FileHandle& file) {
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    file.value = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool measureFile(FileHandle file, std::uint32_t& size) {
    // The high part is asked for only to refuse a file of 4 GiB or more;
    // its low 32 bits would describe a different, shorter file.
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(handleOf(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    if (high != 0) return false;
    size = low;
    return true;
}

std::uint32_t readFile(FileHandle file, std::uint8_t* buffer, std::uint32_t length) {
    DWORD got = 0;
    if (ReadFile(handleOf(file), buffer, length, &got, nullptr) == 0) return 0;
    return got;
}

std::uint32_t writeFile(FileHandle file, const char* bytes, std::uint32_t length) {
    DWORD put = 0;
    if (WriteFile(handleOf(file), bytes, length, &put, nullptr) == 0) return 0;
    return put;
}

bool closeFile(FileHandle file) { return CloseHandle(handleOf(file)) != 0; }

bool createNewFile(const std::string& path, FileHandle& file) {
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    file.value = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool flushToDisk(FileHandle file) { return FlushFileBuffers(handleOf(file)) != 0; }

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::size_t fileNameOffset(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<BYTE>(path[i]);
        if (IsDBCSLeadByte(byte) != 0 && i + 1 < path.size()) {
            ++i;  // the trail byte, which may be a backslash's byte
        } else if (byte == '/' || byte == '\\' || byte == ':') {
            start = i + 1;
        }
    }
    return start;
}

// Plain heap blocks: the large-page routes of Windows need a privilege an
// ordinary user lacks.
void* LargeBlock::allocate(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void LargeBlock::release(void* block, std::size_t /*size*/) { std::free(block); }

bool beginsWithKeyword(const char* text, std::string_view keyword) {
    // The count is the keyword's length in characters, which for the ASCII
    // keywords is its length in bytes.
    return _mbsnicmp(reinterpret_cast<const unsigned char*>(text),
                     reinterpret_cast<const unsigned char*>(keyword.data()), keyword.size()) == 0;
}

// The two forms of one text come from the fields of a ConsoleText, named at
// every call.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
void writeConsole(std::string_view sjis, std::string_view utf8) {
    if (writeWideToConsole(utf8)) return;
    // A file, a pipe or a code page 932 console: the stored bytes, through
    // the C runtime's text mode as every Windows console program writes.
    static_cast<void>(std::fwrite(sjis.data(), 1, sjis.size(), stdout));
}

void writeErrorLine(std::string_view text) {
    // One write for the line, through the C runtime's text mode as every
    // Windows console program writes.
    std::string line(text);
    line += '\n';
    static_cast<void>(std::fwrite(line.data(), 1, line.size(), stderr));
}

}  // namespace clip2c::platform
