// The counted page allocator: zero-filled blocks, counts kept only for real blocks, the balance check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/alloc.h"
#include "base/sys.h"

namespace {

std::vector<std::string> Boxes;

TEST(Allocator, BlocksAreZeroFilledCountedAndBalanced)
{
    const MessageBoxFunction saved = SysMessageBox;
    SysMessageBox = [](const char* text, const char* caption) {
        Boxes.push_back(std::string(caption) + ": " + text);
        return 1;
    };
    const uint32_t a = AllocCount, r = ReleaseCount;
    EXPECT_EQ(FreeBlock(nullptr), 1);
    auto* block = static_cast<uint8_t*>(AllocBlock(70000));
    ASSERT_NE(block, nullptr);
    for (uint32_t i = 0; i < 70000; i += 997)
        ASSERT_EQ(block[i], 0);
    block[69999] = 1;
    EXPECT_EQ(AllocCount - a, 1u);
    EXPECT_EQ(ReleaseCount, r);
    EXPECT_EQ(CheckMemoryBalance(), 1);
    EXPECT_EQ(Boxes, std::vector<std::string>(1, "Programmer Error: bad memory usage count"));
    EXPECT_EQ(FreeBlock(block), 0);
    EXPECT_EQ(ReleaseCount - r, 1u);
    Boxes.clear();
    if (AllocCount == ReleaseCount) { // other tests may hold blocks of their own
        EXPECT_EQ(CheckMemoryBalance(), 0);
        EXPECT_TRUE(Boxes.empty());
    }
    SysMessageBox = saved;
}

} // namespace
