// SPDX-License-Identifier: MIT
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace clip2c {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Sizes on both sides of the point where blocks get huge pages of their own,
// and of a huge page's end; every byte of each block is usable and keeps
// what was stored there.
TEST(LargeBlock, GivesEveryByteOfAnySize) {
    const std::size_t sizes[] = {0, 1, 4096, 2 * kMiB - 1, 2 * kMiB, 2 * kMiB + 1, 5 * kMiB + 3};
    for (const std::size_t size : sizes) {
        const platform::LargeBlock block(size);
        ASSERT_TRUE(block) << size;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.chars()) % alignof(std::max_align_t), 0u) << size;
        if (size == 0) continue;
        std::memset(block.chars(), 0x5A, size);
        EXPECT_EQ(block.chars()[0], 0x5A) << size;
        EXPECT_EQ(block.chars()[size / 2], 0x5A) << size;
        EXPECT_EQ(block.chars()[size - 1], 0x5A) << size;
    }
}

// A size no memory can hold is a null block, never a fault or a throw: the
// run reports it like any failed allocation.
TEST(LargeBlock, RefusesSizesThatCannotBeHad) {
    const std::size_t sizes[] = {SIZE_MAX, SIZE_MAX - 4096, std::size_t{PTRDIFF_MAX} + 1, SIZE_MAX / 4 * 3};
    for (const std::size_t size : sizes) {
        EXPECT_FALSE(platform::LargeBlock(size)) << size;
    }
}

}  // namespace
}  // namespace clip2c
