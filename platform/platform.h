// SPDX-License-Identifier: MIT
// The operating-system layer: the only code that knows which system it runs
// on. Everything above it works on plain bytes, paths and results.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace clip2c::platform {

// An open file. Valid only between a successful open and closeFile; never
// kept beyond the operation that opened it.
struct FileHandle {
    std::intptr_t value = -1;
};

// Opens an existing file for reading while letting others read it too.
// Returns false when it cannot be opened (missing, no access, a folder).
bool openForReading(const std::string& path, FileHandle& file);

// Creates the file, or truncates an existing one, for writing with no
// sharing. Returns false when it cannot be created.
bool openForWriting(const std::string& path, FileHandle& file);

// Stores the file's size in `size`. Returns false when the size cannot be
// taken or does not fit in 32 bits: such a file is treated as unreadable,
// so nothing ever reads or allocates for the low 32 bits of a larger size.
bool measureFile(FileHandle file, std::uint32_t& size);

// Reads up to `length` bytes into `buffer` from the current position.
// Returns the bytes read: fewer than `length` at the end of the file or on a
// read error.
std::uint32_t readFile(FileHandle file, std::uint8_t* buffer, std::uint32_t length);

// The most one writeFile request takes: what a Windows write (a DWORD
// count) and a Linux write() (which stops short of 2 GiB) both accept.
inline constexpr std::uint32_t kMaxWriteRequest = 0x7FFFFFFF;

// Writes up to `length` bytes (at most kMaxWriteRequest) in one request.
// Returns the bytes written, which may be fewer than asked; 0 on an error.
std::uint32_t writeFile(FileHandle file, const char* bytes, std::uint32_t length);

// Closes the handle. Returns false when the system reports an error, which
// for a file just written can mean its data did not reach the disk.
bool closeFile(FileHandle file);

// Creates `path` for writing with no sharing, only when no file of that
// name exists yet. Returns false when one does, or it cannot be created.
bool createNewFile(const std::string& path, FileHandle& file);

// Has the system put what was written to the file on the disk, so that a
// rename after it cannot leave an empty or partial file behind a crash.
// Returns false when the system reports an error.
bool flushToDisk(FileHandle file);

// Renames the file `from` to `to` in the same folder, replacing a file
// `to` in one step: `to` is the old file or the new one, never a mix.
// Returns false when it cannot; both are then as they were.
bool replaceFile(const std::string& from, const std::string& to);

// Removes the file. Returns false when it cannot.
bool removeFile(const std::string& path);

// The offset in `path` at which its last component (the file's own name)
// starts: just after its last folder separator, 0 when it has none. The
// separator is "/" on POSIX; "/", a backslash or a drive's ":" on Windows,
// read in the ANSI code page, so the second byte of a double-byte character
// is never taken for one.
std::size_t fileNameOffset(std::string_view path);

// Owns a block of memory for the large buffers (the file image and the
// text): `size` bytes, uninitialised, aligned for any type, released when
// the owner goes. It is empty (null) when the bytes cannot be had, always
// for more than PTRDIFF_MAX bytes, which no allocator can give (and a
// sanitizer's aborts on instead of answering null).
class LargeBlock {
public:
    LargeBlock() = default;
    explicit LargeBlock(std::size_t size)
        : block_(size <= std::size_t{PTRDIFF_MAX} ? allocate(size) : nullptr), size_(size) {}
    ~LargeBlock() {
        if (block_ != nullptr) release(block_, size_);
    }
    LargeBlock(LargeBlock&& other) noexcept
        : block_(std::exchange(other.block_, nullptr)), size_(other.size_) {}
    LargeBlock& operator=(LargeBlock&& other) noexcept {
        std::swap(block_, other.block_);
        std::swap(size_, other.size_);
        return *this;
    }
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;

    [[nodiscard]] std::uint8_t* bytes() const { return static_cast<std::uint8_t*>(block_); }
    [[nodiscard]] char* chars() const { return static_cast<char*>(block_); }
    [[nodiscard]] std::size_t size() const { return size_; }
    explicit operator bool() const { return block_ != nullptr; }

private:
    // Each platform's source defines these two: `size` bytes (at most
    // PTRDIFF_MAX) or null, and the release of a block that is not null
    // with the size it was asked for.
    static void* allocate(std::size_t size);
    static void release(void* block, std::size_t size);

    void* block_ = nullptr;
    std::size_t size_ = 0;
};

// True when the NUL-terminated `text` begins with `keyword`, compared
// case-insensitively over exactly the keyword's length in the active
// multibyte code page; what follows the keyword is not looked at.
bool beginsWithKeyword(const char* text, std::string_view keyword);

// Writes one console text to standard output. `sjis` is the text as stored
// (Shift_JIS); `utf8` is the same text in UTF-8, used only where a person
// reads it on a terminal that would show the Shift_JIS bytes as garbage.
// Pipes and files always receive the Shift_JIS bytes. A failed console write
// has nowhere to be reported and is not.
void writeConsole(std::string_view sjis, std::string_view utf8);

// Writes `text` and a line end to standard error, as they are. A failed
// write has nowhere to be reported and is not.
void writeErrorLine(std::string_view text);

}  // namespace clip2c::platform
