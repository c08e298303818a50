// SPDX-License-Identifier: MIT
// POSIX implementation of the platform layer.
#include "platform/platform.h"

#include <cerrno>
#include <clocale>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clip2c::platform {
namespace {

// Under AddressSanitizer the large buffers stay on the ordinary heap, where
// its checks can see them; a block mapped here would be invisible to them.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
#else
constexpr bool kMapLargeBlocks = true;
#endif

// A transparent huge page on x86-64 (and the usual size elsewhere). Blocks
// from this size on are mapped on their own, aligned to it, and marked for
// huge pages; smaller ones come from malloc.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

bool mapsOnItsOwn(std::size_t size) { return kMapLargeBlocks && size >= kHugePage; }

// The size rounded up to whole huge pages. Sizes are at most PTRDIFF_MAX,
// so the rounding cannot wrap.
std::size_t mappedLength(std::size_t size) { return (size + kHugePage - 1) & ~(kHugePage - 1); }

int fdOf(FileHandle file) { return static_cast<int>(file.value); }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool stdoutIsUtf8Terminal() {
    if (isatty(STDOUT_FILENO) == 0) return false;
    if (std::setlocale(LC_CTYPE, "") == nullptr) return false;
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0;
}

}  // namespace

bool openForReading(const std::string& path, FileHandle& file) {
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    // Only regular files are inputs. A folder opens for reading on POSIX but
    // not on Windows, and a FIFO or device has no size to measure: refuse
    // them here as files that cannot be opened.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    file.value = fd;
    return true;
}

bool openForWriting(const std::string& path, FileHandle& file) {
    // POSIX has no share modes: an exclusive open cannot be requested, so the
    // file is simply created or truncated.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    file.value = fd;
    return true;
}

bool measureFile(FileHandle file, std::uint32_t& size) {
    struct stat info {};
    if (::fstat(fdOf(file), &info) != 0 || info.st_size < 0) return false;
    const auto bytes = static_cast<std::uint64_t>(info.st_size);
    if (bytes > UINT32_MAX) return false;
    size = static_cast<std::uint32_t>(bytes);
    return true;
}

std::uint32_t readFile(FileHandle file, std::uint8_t* buffer, std::uint32_t length) {
    // read() may return less than asked (Linux stops at about 2 GiB a call),
    // so keep reading until the request is met, the file ends or it fails.
    std::uint32_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fdOf(file), buffer + done, length - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::uint32_t>(got);
    }
    return done;
}

std::uint32_t writeFile(FileHandle file, const char* bytes, std::uint32_t length) {
    ssize_t put = 0;
    do {
        put = ::write(fdOf(file), bytes, length);
    } while (put < 0 && errno == EINTR);
    return put < 0 ? 0 : static_cast<std::uint32_t>(put);
}

bool closeFile(FileHandle file) { return ::close(fdOf(file)) == 0; }

bool createNewFile(const std::string& path, FileHandle& file) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    file.value = fd;
    return true;
}

bool flushToDisk(FileHandle file) {
    int status = 0;
    do {
        status = ::fsync(fdOf(file));
    } while (status != 0 && errno == EINTR);
    return status == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::size_t fileNameOffset(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// A block of 2 MiB or more is mapped on its own, aligned to a huge page and
// marked for transparent huge pages, so that filling it takes a fault every
// 2 MiB instead of every 4 KiB (a 32 MiB clip converts about a quarter
// faster); smaller blocks, and every block of a sanitizer build, come from
// malloc.
void* LargeBlock::allocate(std::size_t size) {
    // A block of no bytes is still a block: malloc(0) may answer null.
    if (!mapsOnItsOwn(size)) return std::malloc(size == 0 ? 1 : size);
    const std::size_t length = mappedLength(size);
    // One huge page more than needed, so that an aligned start can be cut
    // out of it; the unaligned head and the rest of the tail go back. A
    // failed unmap only leaves address space mapped until the process ends.
    void* const mapped =
        ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    void* start = mapped;
    std::size_t space = length + kHugePage;
    // There is always room: the mapping is a whole huge page longer than the block.
    static_cast<void>(std::align(kHugePage, length, start, space));
    char* const first = static_cast<char*>(mapped);
    char* const block = static_cast<char*>(start);
    const auto head = static_cast<std::size_t>(block - first);
    if (head != 0) static_cast<void>(::munmap(first, head));
    static_cast<void>(::munmap(block + length, kHugePage - head));
    // Only a hint: without transparent huge pages the block is still usable.
    static_cast<void>(::madvise(block, length, MADV_HUGEPAGE));
    return block;
}

void LargeBlock::release(void* block, std::size_t size) {
    if (!mapsOnItsOwn(size)) {
        std::free(block);
        return;
    }
    ::munmap(block, mappedLength(size));
}

bool beginsWithKeyword(const char* text, std::string_view keyword) {
    // The keywords are ASCII, so an ASCII fold gives what a multibyte-aware
    // comparison gives, whatever the locale. A text that ends early (its NUL
    // meets a keyword letter) never matches, and nothing past it is read.
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(keyword[i])) return false;
    }
    return true;
}

void writeConsole(std::string_view sjis, std::string_view utf8) {
    const std::string_view text = stdoutIsUtf8Terminal() ? utf8 : sjis;
    // A console text that cannot be written has nowhere to be reported.
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stdout));
}

void writeErrorLine(std::string_view text) {
    // Standard error is unbuffered: one write for the line keeps it whole
    // beside another process's output.
    std::string line(text);
    line += '\n';
    static_cast<void>(std::fwrite(line.data(), 1, line.size(), stderr));
}

}  // namespace clip2c::platform
