#include "platform/wine/large_blocks.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace tessivar::wine {
namespace {

TEST(LargeBlocks, EveryBlockHoldsItsBytesAndHugeOnesStartOnAHugePage)
{
    for (const std::size_t bytes : {std::size_t{64}, kHugeBlockBytes - 1, kHugeBlockBytes, 3 * kHugeBlockBytes + 1}) {
        SCOPED_TRACE(bytes);
        auto* block = static_cast<unsigned char*>(allocateBlock(bytes));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xA5, bytes);
        EXPECT_EQ(block[bytes - 1], 0xA5);
        if (bytes >= kHugeBlockBytes) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kHugeBlockBytes, 0u);
        }
        freeBlock(block, bytes);
    }
}

TEST(LargeBlocks, ASeriesDoublesUpToItsLargest)
{
    EXPECT_EQ(nextBlockBytes(16, 100, 0), 16u);
    EXPECT_EQ(nextBlockBytes(16, 100, 2), 64u);
    EXPECT_EQ(nextBlockBytes(16, 100, 3), 100u);
    EXPECT_EQ(nextBlockBytes(16, 100, 1000), 100u);
}

} // namespace
} // namespace tessivar::wine
