// Allocation failure on demand: every allocation that loading the default data set makes,
// refused in turn, and the payload size checked against the file before any allocation.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/config.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "commands.h"
#include "frame_runner.h"
#include "render/bitmap.h"
#include "sc0_file.h"

namespace {

namespace fs = std::filesystem;

int LoadedPictures()
{
    int n = (FloorImage.pixels != nullptr) + (Backdrop.pixels != nullptr);
    for (const Bitmap& b : BitmapSlots)
        n += b.pixels != nullptr;
    return n;
}

class AllocFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / "quarvel-alloc-failure";
        fs::remove_all(folder_);
        std::string dir = folder_.string();
        char* argv[] = { dir.data() };
        ASSERT_EQ(MkdataCommand(1, argv), 0);
        previous_ = fs::current_path();
    }
    void TearDown() override
    {
        FailAllocationAt(0);
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    fs::path folder_, previous_;
};

// The configuration path is the first allocation: refused, the step fails (exit code -3 in
// the program) having loaded nothing. Any later one leaves exactly one picture out, and the
// frames drawn without it and the tear-down stay sound.
TEST_F(AllocFailure, EveryRefusedAllocationFailsTheStepOrEmptiesOnePicture)
{
    std::string error;
    FailAllocationAt(0);
    ASSERT_TRUE(OpenDataFolder(folder_.string(), &error)) << error;
    const uint32_t calls = AllocationCalls();
    const int all = LoadedPictures();
    ASSERT_TRUE(CloseDataFolder(&error)) << error;
    ASSERT_GT(calls, uint32_t(all)) << "every sprite check takes a block too";

    for (uint32_t k = 1; k <= calls; ++k) {
        const uint32_t allocs = AllocCount, releases = ReleaseCount;
        FailAllocationAt(k);
        if (k == 1) {
            EXPECT_FALSE(OpenDataFolder(folder_.string(), &error));
            EXPECT_EQ(LoadConfig(), 0) << "a second try after the failure works";
            FailAllocationAt(0);
        } else {
            ASSERT_TRUE(OpenDataFolder(folder_.string(), &error)) << "k=" << k;
        }
        EXPECT_EQ(LoadedPictures(), k == 1 ? all : all - 1) << "k=" << k;
        StartView(320, 240);
        for (int frame = 0; frame < 3; ++frame)
            StepAndDrawFrame(BufferPresenter);
        EXPECT_TRUE(FrameGuardsIntact()) << "k=" << k;
        EXPECT_TRUE(CloseDataFolder(&error)) << "k=" << k << ": " << error;
        EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases) << "k=" << k;
        EXPECT_EQ(ConfigStatus, -1);
    }
}

TEST_F(AllocFailure, LoaderResultsWithoutMemoryAndWithAPayloadPastTheEnd)
{
    fs::current_path(folder_);
    // 2 GiB claimed by a file of a few bytes: refused before any block is asked for.
    std::vector<uint8_t> huge = MakeSc0(64, 64, std::vector<uint8_t>(100, 7));
    huge[12] = 0, huge[13] = 0, huge[14] = 0, huge[15] = 0x80;
    ASSERT_TRUE(WriteFileBytes("huge.sc0", huge));
    ASSERT_TRUE(WriteFileBytes("ok.sc0", MakeSc0(10, 10, std::vector<uint8_t>(100, 7))));
    const struct {
        const char* path;
        uint32_t failAt;
        int32_t result;
        uint32_t calls;
    } cases[] = {
        { "huge.sc0", 0, -3, 0 },
        { "ok.sc0", 1, -256, 1 },
        { "ok.sc0", 0, 0, 1 },
    };
    for (const auto& c : cases) {
        FailAllocationAt(c.failAt);
        Bitmap b = {};
        EXPECT_EQ(LoadBitmap(c.path, &b), c.result) << c.path;
        EXPECT_EQ(AllocationCalls(), c.calls) << c.path;
        EXPECT_EQ(b.pixels != nullptr, c.result == 0);
        EXPECT_EQ(b.width, c.path[0] == 'h' ? 64 : 10) << "the header is kept";
        FreeBlock(b.pixels);
    }
    // A sound sprite whose check cannot have its marks is refused, not walked unchecked.
    Bitmap sprite = {};
    ASSERT_EQ(LoadBitmap("sc/lamp.sc0", &sprite), 0);
    FailAllocationAt(1);
    EXPECT_FALSE(PictureIsSound(sprite, PictureKind::Sprite));
    FailAllocationAt(0);
    EXPECT_TRUE(PictureIsSound(sprite, PictureKind::Sprite));
    FreeBlock(sprite.pixels);
}

} // namespace
