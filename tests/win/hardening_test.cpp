// The shell against what users and drivers can do to it: a jump start outside the view's limits, a
// close that re-enters itself, a palette object that cannot be made, many views in a row, and an
// allocation refused at every step of the real start-up.
#include <cstdio>
#include <cstdlib>

#include "base/alloc.h"

#include "win32_display_fakes.h"

namespace {


// fc.ini feeds the jump start directly: a viewport Go would refuse never reaches the presenter and
// ends the program; otherwise the full-screen view starts at once (the launcher never filled or
// shown), and a presenter that fails ends the program too.
TEST_F(LauncherTest, JumpToDXStartsTheFullScreenViewWithinTheLimitsOrEnds)
{
    const struct { int32_t xs, zs; int presenter; bool refused; } cases[] = {
        { -10, 240, 0, true }, { 127, 240, 0, true }, { 2049, 240, 0, true }, { 320, 127, 0, true },
        { 320, 2049, 0, true }, { 128, 2048, 0, false }, { 400, 300, 0, false }, { 400, 300, -2, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.xs << "x" << c.zs << " " << c.presenter);
        JumpToDX = 1, WinGStyle = 1, ScrUseXs = c.xs, ScrUseZs = c.zs, PresenterResult = c.presenter;
        Log.clear(), Boxes.clear();
        ASSERT_NE(OpenLauncher(), nullptr);
        const std::string presenter = "full screen " + std::to_string(c.xs) + "x" + std::to_string(c.zs);
        EXPECT_EQ(Boxes, c.refused ? Calls { Limitation } : Calls {});
        EXPECT_EQ(Log, c.refused ? Calls {} : c.presenter ? Calls { presenter } : Started(presenter));
        EXPECT_EQ(WinGStyle, 0);
        EXPECT_EQ(IsWindowVisible(ViewWindow) != 0, !c.refused && !c.presenter);
        EXPECT_FALSE(IsWindowVisible(launcher));
        EXPECT_EQ(SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0), 0);
        EXPECT_EQ(DrainMessages(), c.refused || c.presenter ? 0 : WPARAM(-1)); // the quit message, with 0
    }
}

HPALETTE WINAPI NoPalette(const LOGPALETTE*)
{
    return nullptr;
}

// A message box pumps messages, and another close may be dispatched while it is up.
TEST_F(DisplayTest, ACloseDispatchedWhileTheCloseShowsItsBoxFindsNothingLeft)
{
    ASSERT_EQ(InitFullScreen(), 0);
    Answers = { { "dd.RestoreDisplayMode", { DDERR_GENERIC } } };
    SysMessageBox = [](const char* text, const char* caption) {
        RecordBox(text, caption);
        CloseFullScreen();
        return IDOK;
    };
    Log.clear();
    CloseFullScreen();
    EXPECT_EQ(Log,
        (Calls { "primary.Release", "palette.Release", "dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8",
            "ShowCursor 1" }));
    EXPECT_EQ(Boxes, Calls { "rdm: Generic failure." });
    EXPECT_EQ(CursorShown, 0);
}

TEST_F(DisplayTest, APaletteObjectThatCannotBeMadeFailsThePaletteStep)
{
    keep(CreatePaletteFunction), keep(PaletteStatus), keep(ProgramPaletteHandle);
    InFreshDirectory();
    CreateDirectoryA("sc", nullptr);
    FILE* file = std::fopen("sc\\nosystem.pal", "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    CreatePaletteFunction = NoPalette;
    EXPECT_EQ(InitPalette(), -2);
    EXPECT_EQ(ProgramPalette.entries[100].peFlags, PC_RESERVED); // the colours are made before the object
    EXPECT_EQ(PaletteStatus, -1);
    EXPECT_EQ(Boxes, Calls { "function failed: CreatePalette() in InitPalette()" });
    EXPECT_EQ(FreePalette(), -1); // nothing to tear down
    DeleteFileA("sc\\nosystem.pal");
    RemoveDirectoryA("sc");
}

// A hundred views in a row: every surface and palette the presenter made is released again.
TEST_F(DisplayTest, HundredFullScreenViewsReleaseEverythingTheyCreate)
{
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(InitFullScreen(), 0) << i;
        CloseFullScreen();
    }
    std::map<std::string, int> calls; // by method; the back buffer goes with the primary's chain
    for (const std::string& line : Log)
        ++calls[line.substr(0, line.find(' '))];
    EXPECT_EQ(std::vector<int>({ calls["dd.CreateSurface"], calls["primary.Release"], calls["dd.CreatePalette"],
                  calls["palette.Release"], calls["back.Release"], CursorShown }),
        std::vector<int>({ 100, 100, 100, 100, 0, 0 }));
}

// Pictures that hold data, over every slot.
int LoadedPictures()
{
    int loaded = (Backdrop.pixels != nullptr) + (FloorImage.pixels != nullptr);
    for (const Bitmap& slot : BitmapSlots)
        loaded += slot.pixels != nullptr;
    return loaded;
}

// The real start-up over the data set that QUARVEL_DATA names, with each of its allocations refused in
// turn: the mode catalogue's ends the program with -2, the configuration path's with -3, a picture's
// (or its check's) leaves that one slot empty; every block comes back. (The sound bank here is the
// recording double; its own test refuses its allocations.)
TEST(StartUpWithoutMemory, EachRefusedAllocationGivesItsCodeOrOneEmptySlotAndBalances)
{
    const char* data = std::getenv("QUARVEL_DATA");
    if (!data)
        GTEST_SKIP() << "QUARVEL_DATA names no data set";
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(data)) << data;
    const std::string module = std::string(data) + "\\quarvel.exe";
    SysOverrideModulePath(module.c_str());
    const MessageBoxFunction box = SysMessageBox;
    SysMessageBox = RecordBox;
    HINSTANCE instance = GetModuleHandleA(nullptr);

    FailAllocationAt(0);
    ASSERT_EQ(InitProgram(instance), 0);
    const uint32_t calls = AllocationCalls();
    const int pictures = LoadedPictures();
    FreeProgram();
    ASSERT_GE(calls, 2u + uint32_t(pictures)); // the catalogue, the path, then each picture
    for (uint32_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(calls));
        const uint32_t outstanding = AllocCount - ReleaseCount;
        FailAllocationAt(k);
        const int code = InitProgram(instance);
        EXPECT_EQ(code, k == 1 ? -2 : k == 2 ? -3 : 0);
        if (code == 0) {
            EXPECT_EQ(LoadedPictures(), pictures - 1);
        }
        FreeProgram();
        EXPECT_EQ(AllocCount - ReleaseCount, outstanding);
    }
    FailAllocationAt(0);
    SysMessageBox = box;
    SysOverrideModulePath(nullptr);
    SetCurrentDirectoryA(previous);
}

} // namespace
