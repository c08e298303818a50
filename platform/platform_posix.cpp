// POSIX implementation of the platform layer.
#include "platform/platform.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clip2c::platform {
namespace {

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

bool writeFile(FileHandle file, const char* bytes, std::uint32_t length) {
    std::uint32_t done = 0;
    while (done < length) {
        const ssize_t put = ::write(fdOf(file), bytes + done, length - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::uint32_t>(put);
    }
    return true;
}

bool closeFile(FileHandle file) { return ::close(fdOf(file)) == 0; }

bool beginsWithKeyword(const char* text, const char* keyword, std::size_t length) {
    // The keywords are ASCII, so an ASCII fold gives what a multibyte-aware
    // comparison gives, whatever the locale. A text that ends early (its NUL
    // meets a keyword letter) never matches.
    for (std::size_t i = 0; i < length; ++i) {
        if (asciiLower(text[i]) != asciiLower(keyword[i])) return false;
        if (text[i] == '\0') return true;
    }
    return true;
}

void writeConsole(std::string_view sjis, std::string_view utf8) {
    const std::string_view text = stdoutIsUtf8Terminal() ? utf8 : sjis;
    std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace clip2c::platform
