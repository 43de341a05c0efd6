// The shell against users and drivers: out-of-range views, a re-entered close, a refused palette, many views,
// no memory.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/alloc.h"

#include "win32_display_fakes.h"

namespace {

// Go and the jump start (its usage straight from fc.ini) start the view only in an 8-bit mode (the window's
// always is) from 128x128 to 2048x2048; a failing presenter comes back. Go's launcher then shows again; the
// jump start, always full screen, never fills or shows its launcher and ends the program on a refusal or
// failure.
TEST_F(LauncherTest, GoAndTheJumpStartStartTheViewWithinTheLimitsOrComeBack)
{
    enum Outcome { Starts, Refused, Back };
    const char* limitation
        = "program limitation: only 8-bit modes from 128x128 to 2048x2048 are supported now";
    // mode: catalogue entry 1 is 640x480x8, 2 is 640x480x16
    // clang-format off
    const struct { int32_t jump, style, mode, xs, zs; int presenter; Outcome outcome; } cases[] = {
        { 0, 1, 1, 128, 128, 0, Starts }, { 0, 0, 1, 2048, 2048, 0, Starts }, { 0, 1, 1, 127, 240, 0, Refused },
        { 0, 1, 1, 2049, 240, 0, Refused }, { 0, 0, 1, 320, 127, 0, Refused }, { 0, 0, 1, 320, 2049, 0, Refused },
        { 0, 0, 2, 320, 240, 0, Refused }, { 0, 1, 2, 320, 240, 0, Starts }, { 0, 0, 1, 320, 240, -3, Back },
        { 0, 1, 1, 320, 240, -3, Back }, { 1, 1, 2, -10, 240, 0, Refused }, { 1, 1, 2, 2049, 240, 0, Refused },
        { 1, 1, 2, 320, 127, 0, Refused }, { 1, 1, 2, 128, 2048, 0, Starts }, { 1, 1, 2, 400, 300, -2, Back },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto choose = [&] { // after the Display page has made its own choice, for Go
            WinGStyle = c.style, SelectedMode = c.mode, ScrUseXs = c.xs, ScrUseZs = c.zs,
            PresenterResult = c.presenter;
            Log.clear(), Boxes.clear();
        };
        ShowWindow(ViewWindow, SW_HIDE);
        RunFlags = RunFlagClosed, JumpToDX = c.jump;
        if (c.jump)
            choose();
        ASSERT_NE(OpenLauncher(), nullptr);
        if (!c.jump)
            choose(), Press(launcher, 1009);
        const std::string presenter = (c.style && !c.jump ? "window " : "full screen ") + std::to_string(c.xs)
            + "x" + std::to_string(c.zs);
        EXPECT_EQ(Log,
            c.outcome == Refused    ? Calls {}
                : c.outcome == Back ? Calls { presenter }
                                    : Started(presenter));
        EXPECT_EQ(Boxes, c.outcome == Refused ? Calls { limitation } : Calls {});
        EXPECT_EQ(IsWindowVisible(launcher) != 0, !c.jump && c.outcome != Starts);
        EXPECT_EQ(IsWindowVisible(ViewWindow) != 0, c.outcome == Starts);
        EXPECT_EQ(RunFlags == 0, c.outcome == Starts); // frames run only once started
        EXPECT_TRUE(c.outcome != Starts || Projection.xmax - Projection.xmin + 1 == c.xs) << Projection.xmax;
        EXPECT_EQ(WinGStyle == 0 && SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0) == 0, c.jump == 1);
        EXPECT_EQ(
            DrainMessages(), c.jump && c.outcome != Starts ? 0 : WPARAM(-1)); // the quit message, with 0
    }
}

HPALETTE WINAPI NoPalette(const LOGPALETTE*)
{
    return nullptr;
}

// A hundred views in a row release every surface and palette the presenter made; a close dispatched while
// the close shows its box (a message box pumps messages) finds nothing left.
TEST_F(DisplayTest, HundredViewsReleaseEverythingAndACloseWithinTheCloseFindsNothingLeft)
{
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(InitFullScreen(), 0) << i;
        CloseFullScreen();
    }
    std::map<std::string, int> calls; // by method; the back buffer goes with the primary's chain
    for (const std::string& line : Log)
        ++calls[line.substr(0, line.find(' '))];
    EXPECT_EQ(std::vector<int>({ calls["dd.CreateSurface"], calls["primary.Release"],
                  calls["dd.CreatePalette"], calls["palette.Release"], calls["back.Release"], CursorShown }),
        std::vector<int>({ 100, 100, 100, 100, 0, 0 }));

    ASSERT_EQ(InitFullScreen(), 0);
    Answers = { { "dd.RestoreDisplayMode", { DDERR_GENERIC } } };
    SysMessageBox = [](const char* text, const char* caption) {
        RecordBox(text, caption);
        CloseFullScreen();
        return IDOK;
    };
    Log.clear();
    CloseFullScreen();
    EXPECT_EQ(Log, Closed);
    EXPECT_EQ(Boxes, Calls { "rdm: Generic failure." });
    EXPECT_EQ(CursorShown, 0);
}

TEST_F(DisplayTest, APaletteObjectThatCannotBeMadeFailsThePaletteStep)
{
    keep(CreatePaletteFunction, PaletteStatus, ProgramPaletteHandle);
    InFreshDirectory();
    CreateDirectoryA("sc", nullptr);
    // 10..245 come from the file, 0..9 and 246..255 are the system's static colours.
    FILE* file = std::fopen("sc\\nosystem.pal", "wb");
    for (int i = 0; i < 768; ++i)
        std::fputc(i * 7 + 1, file);
    std::fclose(file);
    PALETTEENTRY system[256];
    std::fill(system, system + 256, PALETTEENTRY { 1, 2, 3, 4 });
    std::fill(ProgramPalette.entries, ProgramPalette.entries + 256, PALETTEENTRY { 5, 6, 7, 8 });
    const HDC screen = GetDC(nullptr);
    GetSystemPaletteEntries(screen, 0, 256, system);
    ReleaseDC(nullptr, screen);
    CreatePaletteFunction = NoPalette;
    EXPECT_EQ(InitPalette(), -2);
    const auto bytes = [](const PALETTEENTRY& e) {
        return std::vector<int> { e.peRed, e.peGreen, e.peBlue };
    };
    for (const int i : { 0, 9, 10, 245, 246, 255 }) {
        const int from = 3 * i * 7 + 1;
        const std::vector<int> fromFile = { from & 255, (from + 7) & 255, (from + 14) & 255 };
        EXPECT_EQ(bytes(ProgramPalette.entries[i]), i >= 10 && i <= 245 ? fromFile : bytes(system[i]))
            << "entry " << i;
    }
    EXPECT_EQ(ProgramPalette.entries[100].peFlags, PC_RESERVED); // the colours are made before the object
    EXPECT_EQ(PaletteStatus, -1);
    EXPECT_EQ(Boxes, Calls { "function failed: CreatePalette() in InitPalette()" });
    EXPECT_EQ(FreePalette(), -1); // nothing to tear down
    DeleteFileA("sc\\nosystem.pal");
    RemoveDirectoryA("sc");
}

// The real start-up over the data set QUARVEL_DATA names, each allocation refused in turn: the catalogue's
// ends it with -2, the configuration path's with -3, a picture's leaves its slot empty; every block comes
// back.
TEST_F(DisplayTest, EachRefusedAllocationOfTheStartUpGivesItsCodeOrOneEmptySlotAndBalances)
{
    const char* data = std::getenv("QUARVEL_DATA");
    if (!data)
        GTEST_SKIP() << "QUARVEL_DATA names no data set";
    ASSERT_TRUE(SetCurrentDirectoryA(data)) << data;
    const std::string module = std::string(data) + "\\quarvel.exe";
    SysOverrideModulePath(module.c_str());
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const auto loadedPictures = [] { // pictures that hold data, over every slot
        int loaded = (Backdrop.pixels != nullptr) + (FloorImage.pixels != nullptr);
        for (const Bitmap& slot : BitmapSlots)
            loaded += slot.pixels != nullptr;
        return loaded;
    };

    FailAllocationAt(0);
    ASSERT_EQ(InitProgram(instance), 0);
    const uint32_t calls = AllocationCalls();
    const int pictures = loadedPictures();
    FreeProgram();
    ASSERT_GE(calls, 2u + uint32_t(pictures)); // the catalogue, the path, then each picture
    for (uint32_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(calls));
        const uint32_t outstanding = AllocCount - ReleaseCount;
        FailAllocationAt(k);
        const int code = InitProgram(instance);
        EXPECT_EQ(code, k == 1 ? -2 : k == 2 ? -3 : 0);
        EXPECT_TRUE(code || loadedPictures() == pictures - 1) << loadedPictures() << " of " << pictures;
        FreeProgram();
        EXPECT_EQ(AllocCount - ReleaseCount, outstanding);
    }
    FailAllocationAt(0);
    SysOverrideModulePath(nullptr);
}

} // namespace
