// Allocation failure on demand: every allocation that loading the default data set makes, refused
// in turn, and the payload size checked against the file before any allocation.
#include "app/config.h"
#include "app/frame_runner.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "render/bitmap.h"
#include "tool_test.h"

namespace {

int LoadedPictures()
{
    int n = (FloorImage.pixels != nullptr) + (Backdrop.pixels != nullptr);
    for (const Bitmap& b : BitmapSlots)
        n += b.pixels != nullptr;
    return n;
}

class AllocFailure : public ToolTest {
protected:
    void TearDown() override
    {
        FailAllocationAt(0);
        ToolTest::TearDown();
    }
};

// The configuration path is the first allocation: refused, the step fails (exit code -3) having loaded
// nothing. Any later one, a picture's block or a sprite check's marks, leaves exactly one picture
// out; the frames drawn without it and the tear-down stay sound.
TEST_F(AllocFailure, EveryRefusedAllocationFailsTheStepOrEmptiesOnePictureAndNoneIsAskedInVain)
{
    std::string data = (folder_ / "data").string(), error;
    FailAllocationAt(0);
    ASSERT_TRUE(OpenDataFolder(data, &error)) << error;
    const uint32_t calls = AllocationCalls();
    const int all = LoadedPictures();
    ASSERT_TRUE(CloseDataFolder(&error)) << error;
    ASSERT_GT(calls, uint32_t(all)) << "every sprite check takes a block too";
    for (uint32_t k = 1; k <= calls; ++k) {
        const uint32_t allocs = AllocCount, releases = ReleaseCount;
        FailAllocationAt(k);
        ASSERT_EQ(OpenDataFolder(data, &error), k != 1) << "k=" << k;
        EXPECT_EQ(k == 1 ? LoadConfig() : 0, 0) << "a second try after the failure works";
        FailAllocationAt(0);
        EXPECT_EQ(LoadedPictures(), k == 1 ? all : all - 1) << "k=" << k;
        StartView(320, 240);
        for (int frame = 0; frame < 3; ++frame)
            StepAndDrawFrame(BufferPresenter);
        EXPECT_TRUE(FrameGuardsIntact()) << "k=" << k;
        EXPECT_TRUE(CloseDataFolder(&error)) << "k=" << k << ": " << error;
        EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases) << "k=" << k;
        EXPECT_EQ(ConfigStatus, -1);
    }
    // 2 GiB claimed by a file of a few bytes is refused before any block is asked for.
    Bytes huge = MakeSc0(64, 64, Bytes(100, 7));
    huge[12] = huge[13] = huge[14] = 0, huge[15] = 0x80;
    ASSERT_TRUE(WriteFileBytes("huge.sc0", huge));
    FailAllocationAt(0);
    Bitmap b = {};
    EXPECT_EQ((std::vector<int32_t> { LoadBitmap("huge.sc0", &b), int32_t(AllocationCalls()), b.width }),
        (std::vector<int32_t> { -3, 0, 64 }));
}

} // namespace
