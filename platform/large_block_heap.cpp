// SPDX-License-Identifier: MIT
// The large blocks as plain heap memory, for a build with no files or
// console of its own (the browser's): a WebAssembly heap has no pages to
// map, so every block comes from malloc.
#include <cstdlib>

#include "platform/platform.h"

namespace clip2c::platform {

void* LargeBlock::allocate(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void LargeBlock::release(void* block, std::size_t /*size*/) { std::free(block); }

}  // namespace clip2c::platform
