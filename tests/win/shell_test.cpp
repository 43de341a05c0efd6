// The shell: start-up chain, activation, launcher pages, keys and quit, window view, centring, Display page,
// modes.
#include <algorithm>
#include <tuple>
#include <utility>

#include "base/alloc.h"
#include "sound/sound.h"
#include "win32/shell/win32_shell.h"
#include "win32_display_fakes.h"
#include "world/viewpoint.h"

namespace {

// Step k failing (any result but 0) ends with its code after tearing down those before it in reverse, once.
int FailingStep = 0; // 1-based
bool SetUpSteps[SetupStepCount];
template <int I> int FakeSetUp()
{
    Log.push_back("set up " + std::to_string(I + 1));
    SetUpSteps[I] = FailingStep != I + 1;
    return SetUpSteps[I] ? 0 : 7;
}
template <int I> int FakeTearDown()
{
    if (SetUpSteps[I])
        Log.push_back("tear down " + std::to_string(I + 1));
    return SetUpSteps[I] = false;
}

TEST_F(DisplayTest, AFailureAtStepKTearsDownTheStepsBeforeItInReverseAndEndsWithItsCode)
{
    int (*const setUps[])()
        = { FakeSetUp<0>, FakeSetUp<1>, FakeSetUp<2>, FakeSetUp<3>, FakeSetUp<4>, FakeSetUp<5> };
    int (*const tearDowns[])() = { FakeTearDown<0>, FakeTearDown<1>, FakeTearDown<2>, FakeTearDown<3>,
        FakeTearDown<4>, FakeTearDown<5> };
    for (int i = 0; i < SetupStepCount; ++i)
        keep(ProgramSteps[i]), ProgramSteps[i].setUp = setUps[i], ProgramSteps[i].tearDown = tearDowns[i];
    const int codes[SetupStepCount + 1] = { 0, -5, -1, -2, -3, -4, -6 };
    for (FailingStep = 0; FailingStep <= SetupStepCount; ++FailingStep) {
        Log.clear();
        EXPECT_EQ(InitProgram(GetModuleHandleA(nullptr)), codes[FailingStep]);
        EXPECT_EQ(FreeProgram(), 0);
        EXPECT_EQ(FreeProgram(), 0);
        Calls expected;
        for (int i = 1; i <= (FailingStep ? FailingStep : SetupStepCount); ++i)
            expected.push_back("set up " + std::to_string(i));
        for (int i = FailingStep ? FailingStep - 1 : SetupStepCount; i >= 1; --i)
            expected.push_back("tear down " + std::to_string(i));
        EXPECT_EQ(Log, expected) << FailingStep;
    }
}

// Deactivation sets bit 0 and activation clears it, reactivating the display when that leaves 0.
TEST_F(LauncherTest, ActivationSetsAndClearsBitZero)
{
    // clang-format off
    const struct { uint32_t before; WPARAM state; uint32_t after; } cases[] = {
        { 0, WA_INACTIVE, RunFlagInactive }, { RunFlagInactive, WA_ACTIVE, 0 },
        { RunFlagClosed | RunFlagInactive, WA_CLICKACTIVE, RunFlagClosed }, { RunFlagInactive, WA_CLICKACTIVE, 0 } };
    // clang-format on
    for (const auto& c : cases) {
        RunFlags = c.before, Log.clear();
        SendMessageA(ViewWindow, WM_ACTIVATE, c.state, 0);
        EXPECT_EQ(RunFlags, c.after) << c.state;
        EXPECT_EQ(Log, c.after ? Calls {} : Calls { "reactivate" }) << c.state;
    }
}

template <int Entry> int LogApply(HWND page)
{
    return Log.push_back("apply " + std::to_string(Entry) + (page == CurrentPage ? "" : " another page")), 0;
}

// The shell's records: the desktop's size, ClearRunFlags' answer (the flags before), and each page
// placed at the corner of the tab control's display area.
TEST_F(LauncherTest, DesktopSizeRunFlagsAndThePagesCorner)
{
    QueryDesktop();
    EXPECT_EQ(std::pair(DesktopWidth, DesktopHeight),
        std::pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    RunFlags = 6;
    EXPECT_EQ(std::pair(ClearRunFlags(2), RunFlags), std::pair(6u, 4u));
    ASSERT_NE(OpenLauncher(), nullptr);
    RECT area;
    GetClientRect(Tab(), &area);
    TabCtrl_AdjustRect(Tab(), FALSE, &area);
    POINT corner = {};
    MapWindowPoints(CurrentPage, Tab(), &corner, 1);
    EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(area.left, area.top));
    EXPECT_NE(area.left, area.top) << "a corner on the diagonal cannot tell x from y";
}

// A page whose template fails to load loses only its tab; tab positions and table entries then part
// ways, yet Go on each tab applies the page shown, with the callback of its own entry.
TEST_F(LauncherTest, APageThatFailsToLoadLosesOnlyItsTab)
{
    int (*const appliers[])(HWND)
        = { LogApply<0>, LogApply<1>, LogApply<2>, LogApply<3>, LogApply<4>, LogApply<5> };
    for (int i = 0; i < TabPageCount; ++i)
        TabPages[i].apply = appliers[i];
    TabPages[2].templateId = 999;
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_EQ(Boxes, Calls { "function failed: FindResource() in InitTabControl()" });
    Calls applied;
    for (int position = 0; position < int(SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0)); ++position) {
        SendMessageA(Tab(), TCM_SETCURSEL, WPARAM(position), 0); // as a click: the selection, then the notice
        NMHDR header = { Tab(), 1011, UINT(TCN_SELCHANGE) };
        SendMessageA(launcher, WM_NOTIFY, 1011, LPARAM(&header));
        EXPECT_EQ(Control(1004) != nullptr, position == 0) << position; // the Display page's mode list
        Log.clear();
        ScrUseXs = 100; // refused: Go goes no further than the page
        Press(launcher, 1009);
        applied.insert(applied.end(), Log.begin(), Log.end());
    }
    EXPECT_EQ(applied, (Calls { "apply 0", "apply 1", "apply 3", "apply 4", "apply 5" }));
}

// The program's own main: a quit while the view runs stops the view (and its music) first; a block
// never released is reported at the end.
TEST_F(LauncherTest, QuittingWhileTheViewRunsStopsTheViewFirst)
{
    for (SetupStep& step : ProgramSteps)
        keep(step), step = { [] { return 0; }, [] { return 0; }, -9 };
    keep(AllocCount);
    RenderFrameFunction = [] { return 0; };
    for (const uint32_t flags : { 0u, RunFlagClosed }) {
        RunFlags = flags, Log.clear(), Boxes.clear();
        AllocCount = ReleaseCount + (flags ? 1 : 0); // one block left over in the second run
        PostQuitMessage(0);
        EXPECT_EQ(QuarvelMain(GetModuleHandleA(nullptr)), 0);
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "music close midifile"), flags ? 0 : 1);
        EXPECT_NE(RunFlags & RunFlagClosed, 0u);
        EXPECT_EQ(Launcher, nullptr);
        EXPECT_EQ(Boxes, flags ? Calls { "Programmer Error: bad memory usage count" } : Calls {});
    }
}

// The view's keys: an arrow drives its axis until released; Escape closes the tune, then the view, back to
// the launcher or, on a jump start, to the end of the program.
TEST_F(LauncherTest, TheViewsKeysDriveTheAxesAndEscapeEndsTheView)
{
    keep(TurnAxis, ViewPoint);
    // Ctrl counts while held (the high bit of its state), not while toggled (the low bit).
    BYTE keys[256] = {};
    for (const auto& [state, limit, height] : { std::tuple(0x80, 1, 129), std::tuple(0x01, 32, 144) }) {
        keys[VK_CONTROL] = BYTE(state), ViewPoint.height = 128;
        SetKeyboardState(keys);
        SendMessageA(ViewWindow, WM_KEYDOWN, VK_LEFT, 1);
        SendMessageA(ViewWindow, WM_KEYDOWN, 'A', 1);
        EXPECT_EQ(TurnAxis.key, VK_LEFT);
        EXPECT_EQ((std::pair(TurnAxis.limit, ViewPoint.height)), std::pair(limit, height))
            << "Ctrl state " << state;
        SendMessageA(ViewWindow, WM_KEYUP, VK_LEFT, 1);
        EXPECT_EQ(TurnAxis.key, 0);
    }
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    for (const int32_t jump : { 0, 1 }) {
        OpenLauncher();
        ShowWindow(launcher, SW_HIDE);
        JumpToDX = jump, RunFlags = 0, Log.clear();
        ClearEffectLog();
        SendMessageA(ViewWindow, WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_EQ(DrainMessages(), jump ? 0 : WPARAM(-1));
        EXPECT_EQ(Log.at(0), "music stop midifile");
        EXPECT_EQ(std::vector<int>(EffectLog, EffectLog + EffectLogCount), std::vector<int> { -1 })
            << "effect stopped";
        EXPECT_NE(RunFlags & RunFlagClosed, 0u);
        EXPECT_EQ(IsWindowVisible(launcher) != 0, !jump);
    }
}

// Keys reach the launcher through the dialog manager of the message loop: Tab moves on, Enter presses Go.
HWND Focused = nullptr;
TEST_F(LauncherTest, TheLoopHandsKeysToTheDialogManager)
{
    RenderFrameFunction = [] { // the first frame, once every message is handled
        Focused = GetFocus();
        PostQuitMessage(0);
        return 0;
    };
    ASSERT_NE(OpenLauncher(), nullptr);
    const HWND exit = GetDlgItem(launcher, 1008);
    SetFocus(GetDlgItem(launcher, 1012));
    RunFlags = 0;
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    RunMessageLoop();
    EXPECT_EQ(Focused, exit);

    ASSERT_NE(OpenLauncher(), nullptr);
    SetFocus(Tab());
    RunFlags = RunFlagClosed, Log.clear();
    PostMessageA(Tab(), WM_KEYDOWN, VK_RETURN, 1);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_FALSE(IsWindow(std::exchange(launcher, nullptr))); // the quit destroyed it
    EXPECT_EQ(Launcher, nullptr);
    EXPECT_EQ(Log, Started("full screen 320x240"));
}

// The window view's section is top-down (colour 1 is red); stopping releases only the presenter WinGStyle
// names.
TEST_F(LauncherTest, TheWindowViewIsTopDownAndStoppingReleasesThePresenterWinGStyleNames)
{
    keep(ProgramPaletteHandle);
    ProgramPalette = { 0x300, 256, { {}, { 255, 0, 0, 0 } } };
    ProgramPaletteHandle = CreatePalette(reinterpret_cast<LOGPALETTE*>(&ProgramPalette));
    ASSERT_EQ(InitMemoryDC(), 0);
    ASSERT_EQ(InitWindowView(), 0);
    ASSERT_NE(WindowFrameTarget().pixels, nullptr);
    std::fill_n(WindowFrameTarget().pixels, 320, uint8_t(1));
    GdiFlush();
    EXPECT_EQ(GetPixel(MemoryDC, 5, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(MemoryDC, 5, 239), RGB(0, 0, 0));
    for (const int32_t style : { 1, 0 }) {
        Activate(), Log.clear(), WinGStyle = style;
        StopView();
        EXPECT_EQ(WindowFrameTarget().pixels == nullptr, style != 0) << style;
        EXPECT_EQ(FullScreenStatus, style ? 0 : -1) << style;
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "dd.RestoreDisplayMode"), style ? 0 : 1) << style;
        ASSERT_EQ(InitWindowView(), 0);
    }
    const HGDIOBJ section = GetCurrentObject(MemoryDC, OBJ_BITMAP);
    CloseWindowView();
    EXPECT_NE(GetCurrentObject(MemoryDC, OBJ_BITMAP), section)
        << "the section stays selected, so it cannot go";
    FreeMemoryDC();
    DeleteObject(ProgramPaletteHandle);
}

// Centred over a window one pixel past each side of the desktop, the window is moved back onto it.
TEST_F(LauncherTest, CentringKeepsTheWindowOnTheDesktop)
{
    RECT desk, r;
    GetWindowRect(GetDesktopWindow(), &desk);
    // the other window's place; where ours ends up
    // clang-format off
    const struct { LONG x, y, left, top; } cases[] = {
        { 100, 50, 100, 50 }, { desk.left - 1, 50, desk.left, 50 }, { desk.right - 199, 50, desk.right - 200, 50 },
        { 100, desk.top - 1, 100, desk.top }, { 100, desk.bottom - 99, 100, desk.bottom - 100 },
    };
    // clang-format on
    HWND windows[2];
    for (HWND& w : windows)
        w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    for (const auto& c : cases) {
        SetWindowPos(windows[1], nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CentreWindow(windows[0], windows[1]);
        GetWindowRect(windows[0], &r);
        EXPECT_TRUE(r.left == c.left && r.top == c.top)
            << c.x << "," << c.y << ": " << r.left << "," << r.top;
    }
    for (HWND w : windows)
        DestroyWindow(w);
}

// The Display page preselects 8 bits only, the later of two matches; a new mode keeps the fraction (half
// up, width to 4s), in the settings, on the trackbars and in their labels.
TEST_F(LauncherTest, TheDisplayPageOpensOnTheStoredModeAndKeepsTheFractionAcrossModes)
{
    const std::vector<DDSURFACEDESC> five = catalogue,
                                     twice
        = { Mode(800, 600, 8), Mode(640, 480, 8), Mode(1024, 768, 8), Mode(640, 480, 8), Mode(320, 200, 8) };
    // none: the fixture's five; line: the one chosen after opening, if any
    const struct {
        std::vector<DDSURFACEDESC> modes;
        int32_t style, modeXs, modeZs, xs, zs, line, selected, newXs, newZs, newModeXs, newModeZs;
    } cases[] = {
        { {}, 0, 640, 480, 320, 240, -1, 1, 320, 240, 640, 480 },
        { {}, 1, 1024, 768, 256, 192, -1, 4, 256, 192, 1024, 768 },
        { {}, 0, 640, 480, 800, 700, -1, 1, 640, 480, 640, 480 }, // more than the mode: the whole mode
        { {}, 0, 0, 0, 320, 240, -1, 0, 320, 200, 320, 200 }, // a range ending at 0: the whole mode
        { {}, 1, 0, 0, 320, 240, -1, 0, 1024, 768, 1024, 768 },
        { {}, 0, 640, 480, 320, 240, 0, 0, 160, 100, 320, 200 },
        { {}, 0, 640, 480, 332, 242, 3, 3, 412, 303, 800, 600 },
        { twice, 0, 640, 480, 320, 240, -1, 3, 320, 240, 640, 480 },
        { { Mode(800, 600, 8), Mode(640, 480, 16) }, 0, 640, 480, 320, 240, -1, 0, 400, 300, 800, 600 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        UseCatalogue(c.modes.empty() ? five : c.modes);
        WinGStyle = c.style, LastModeXs = c.modeXs, LastModeZs = c.modeZs, ScrUseXs = c.xs, ScrUseZs = c.zs;
        ASSERT_NE(OpenLauncher(), nullptr);
        if (c.line >= 0) {
            SendMessageA(Control(1004), LB_SETCURSEL, WPARAM(c.line), 0);
            SendMessageA(CurrentPage, WM_COMMAND, MAKEWPARAM(1004, LBN_SELCHANGE), LPARAM(Control(1004)));
        }
        EXPECT_EQ(std::vector<LRESULT>({ SelectedMode, SendMessageA(Control(1004), LB_GETCURSEL, 0, 0),
                      LRESULT(IsDlgButtonChecked(CurrentPage, 1005)), LastModeXs, LastModeZs, ScrUseXs,
                      ScrUseZs, SendMessageA(Control(1017), TBM_GETPOS, 0, 0),
                      SendMessageA(Control(1019), TBM_GETPOS, 0, 0) }),
            std::vector<LRESULT>({ c.selected, c.selected, c.style, c.newModeXs, c.newModeZs, c.newXs,
                c.newZs, c.newXs, c.newZs }));
        EXPECT_EQ(Text(Control(1020)) + " " + Text(Control(1021)),
            "width: " + std::to_string(c.newXs) + "/" + std::to_string(c.newModeXs)
                + " height: " + std::to_string(c.newZs) + "/" + std::to_string(c.newModeZs));
    }
    char line[32];
    SendMessageA(Control(1004), LB_GETTEXT, 1, LPARAM(line));
    EXPECT_STREQ(line, "640x480x16");
    // A trackbar moved sets its screen usage and label; a scroll message from another control does nothing.
    for (const auto& [bar, position, labels] : { std::tuple(1017, 123, "width: 123/800 height: 300/600"),
             std::tuple(1019, 77, "width: 123/800 height: 77/600"),
             std::tuple(1004, 5, "width: 123/800 height: 77/600") }) {
        SendMessageA(Control(bar), TBM_SETPOS, TRUE, position);
        SendMessageA(CurrentPage, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), LPARAM(Control(bar)));
        EXPECT_EQ(Text(Control(1020)) + " " + Text(Control(1021)), labels);
    }
    EXPECT_EQ(std::pair(ScrUseXs, ScrUseZs), std::pair(123, 77));
}

// The video-modes dialog wraps around, each opening starts at entry 0, each report's buffer goes back.
TEST_F(LauncherTest, ModesInfoWrapsAroundFromZeroAtEachOpening)
{
    const int Previous = 1015, Next = 1016;
    // shown: before the first press and after each
    // clang-format off
    const struct { std::vector<DDSURFACEDESC> modes; std::vector<int> presses, shown; } cases[] = {
        { { Mode(320, 240, 8), Mode(480, 240, 8), Mode(640, 240, 8) }, { Previous, Next, Next, Next, Next, Previous },
            { 0, 2, 0, 1, 2, 0, 2 } },
        { { Mode(320, 240, 8) }, { Previous, Next }, { 0, 0, 0 } } };
    // clang-format on
    ASSERT_NE(OpenLauncher(), nullptr);
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    for (const auto& c : cases) {
        UseCatalogue(c.modes);
        HWND info = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(106), launcher, ModesInfoDialogProc, 0);
        EXPECT_EQ(Text(info), "DirectDraw Video Modes Info");
        for (size_t i = 0; i < c.shown.size(); ++i) {
            const std::string report = Text(GetDlgItem(info, 1013));
            EXPECT_EQ(report.substr(0, report.find('\r')),
                "Mode Index: " + std::to_string(c.shown[i]) + " (" + std::to_string(320 + 160 * c.shown[i])
                    + "x240x8)")
                << c.modes.size() << " " << i;
            if (i < c.presses.size())
                Press(info, c.presses[i]);
        }
        DestroyWindow(info);
    }
    EXPECT_EQ(AllocCount - allocs, 10u);
    EXPECT_EQ(ReleaseCount - releases, 10u);
}

} // namespace
