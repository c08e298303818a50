// SPDX-License-Identifier: MIT
#include "app/board_load.h"

#include "input/file_load.h"

namespace clip2c {
namespace {

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

}  // namespace

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

std::string_view loadRefusal(LoadFailure failure) {
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

}  // namespace clip2c
