// Broken data sets through quarvel-tool render: what is valid loads and draws, a broken picture draws
// as if it were missing, and the tool ends with its documented status. Allocation failure on demand:
// every allocation that loading the default data set makes, refused in turn.
#include <functional>

#include "app/config.h"
#include "app/frame_runner.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "render/bitmap.h"
#include "tool_test.h"

namespace {

// Exit status of render over dir; the raw frame after three frames in *frame.
int Render(const fs::path& dir, Bytes* frame, std::string* errors)
{
    const fs::path raw = dir / "frame.raw";
    const int status = Tool("render --frames 3 --dir " + Quote(dir) + " --raw " + Quote(raw), errors);
    frame->clear();
    ReadFileBytes(raw.string(), frame);
    return status;
}

void Put32(Bytes* b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        (*b)[at + i] = uint8_t(v >> (8 * i));
}

int LoadedPictures()
{
    int n = (FloorImage.pixels != nullptr) + (Backdrop.pixels != nullptr);
    for (const Bitmap& b : BitmapSlots)
        n += b.pixels != nullptr;
    return n;
}

// Allocations are never refused after a test.
class Hostile : public ToolTest {
protected:
    void TearDown() override
    {
        FailAllocationAt(0);
        ToolTest::TearDown();
    }
};

// Each case draws as the intact set (Intact) or as the set without the broken file.
TEST_F(Hostile, BrokenDataLoadsWhatIsValidAndEveryRefusedAllocationLeavesOnePictureOut)
{
    const std::string tenMegabytes = std::string(10 << 20, ';') + "\n", badUsage = "[view]\nScrUseXs=-10\n";
    const Bytes overlapping = { 5, 0, 8, 0, 1, 2, 3, 4, 7, 0, 9, 0, 5, 6, 7, 1, 0, 0, 0 };
    enum Like { Intact, Missing };
    // clang-format off
    const struct { const char *name, *file; std::function<void(Bytes*)> edit; Like like = Missing; int status = 0; } cases[] = {
        { "truncated header", "sc/backdrop.sc0", [](Bytes* b) { b->resize(20); } },
        { "payload past the end", "sc/floor.sc0", [](Bytes* b) { b->pop_back(); } },
        { "2 GiB claimed", "sc/tree.sc0", [](Bytes* b) { Put32(b, 12, 0x80000000u); } },
        { "offset past the payload", "sc/tree.sc0", [](Bytes* b) { Put32(b, 32, 0xFFFFFF00u); } },
        { "runs out of order", "sc/tree.sc0", [&](Bytes* b) {
            Put32(b, 32, uint32_t(b->size() - 32)), b->insert(b->end(), overlapping.begin(), overlapping.end());
            Put32(b, 12, uint32_t(b->size() - 32)); } },
        { "zero width", "sc/tree.sc0", [](Bytes* b) { (*b)[4] = (*b)[5] = 0; } },
        { "zero payload size", "sc/floor.sc0", [](Bytes* b) { Put32(b, 12, 0); } },
        { "zero backdrop height", "sc/backdrop.sc0", [](Bytes* b) { (*b)[6] = (*b)[7] = 0; } },
        { "2-byte palette", "sc/nosystem.pal", [](Bytes* b) { b->resize(2); }, Intact },
        { "empty fc.ini", "fc.ini", [](Bytes* b) { b->clear(); } },
        { "10 MB fc.ini", "fc.ini", [&](Bytes* b) { b->insert(b->begin(), tenMegabytes.begin(), tenMegabytes.end()); }, Intact },
        { "absurd screen usage", "fc.ini", [&](Bytes* b) { b->assign(badUsage.begin(), badUsage.end()); }, Intact, 1 },
    }; // clang-format on
    Bytes intact, missing, frame;
    std::string errors;
    ASSERT_EQ(Render("data", &intact, &errors), 0) << errors;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("broken");
        fs::copy("data", "broken", fs::copy_options::recursive);
        const std::string file = "broken/" + std::string(c.file);
        Bytes bytes;
        ASSERT_TRUE(ReadFileBytes(file, &bytes));
        c.edit(&bytes);
        ASSERT_TRUE(WriteFileBytes(file, bytes));
        EXPECT_EQ(Render("broken", &frame, &errors), c.status) << errors;
        if (c.status != 0) {
            EXPECT_NE(errors.find("screen usage"), std::string::npos) << errors;
        } else if (c.like == Intact) {
            EXPECT_EQ(frame, intact);
        } else {
            fs::remove(file);
            ASSERT_EQ(Render("broken", &missing, &errors), 0) << errors;
            EXPECT_NE(missing, intact) << "the file is not in view, so the case shows nothing";
            EXPECT_EQ(frame, missing) << "the broken file was not left out as a whole";
        }
    }
    // The configuration path is the first allocation: refused, the step fails (exit code -3) having loaded
    // nothing. Any later one, a picture's block or a sprite check's marks, leaves exactly one picture
    // out; the frames drawn without it and the tear-down stay sound.
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
}

} // namespace
