// The launcher: its tabs and pages, Go's limits and the start of the view, and the JumpToDX start.
#include <algorithm>

#include "win32/app/win32_frame.h"
#include "win32/ui/win32_centre.h"
#include "win32_ui_fixture.h"

namespace {

using namespace ui_test;

const Calls TabTexts = { "Display", "Sound", "Keyboard", "Mouse", "Network", "Misc" };

// Each entry's apply callback logs its own entry and whether it was handed the page shown.
template <int Entry> int LogApply(HWND page)
{
    Log.push_back("apply " + std::to_string(Entry) + (page == CurrentPage ? "" : " another page"));
    return 0;
}
void LogEveryApply()
{
    int (*const appliers[TabPageCount])(HWND)
        = { LogApply<0>, LogApply<1>, LogApply<2>, LogApply<3>, LogApply<4>, LogApply<5> };
    for (int i = 0; i < TabPageCount; ++i)
        TabPages[i].apply = appliers[i];
}

TEST_F(LauncherTest, ShowsSixTabsAndEachSwitchReplacesThePage)
{
    LogEveryApply();
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_TRUE(IsWindowVisible(launcher));
    EXPECT_EQ(Text(launcher), "Quarvel");
    EXPECT_EQ(TabNames(Tab()), TabTexts);
    HWND display = CurrentPage;
    ASSERT_NE(Control(1004), nullptr);

    Log.clear();
    ChooseTab(3);
    EXPECT_FALSE(IsWindow(display));
    EXPECT_EQ(Log, Calls { "apply 0" }); // the page applied itself as it went
    EXPECT_EQ(GetParent(CurrentPage), Tab());
    EXPECT_EQ(Text(GetWindow(CurrentPage, GW_CHILD)), "Not Implemented");
    HWND mouse = CurrentPage;
    ChooseTab(0);
    EXPECT_FALSE(IsWindow(mouse));
    EXPECT_EQ(SendMessageA(Control(1004), LB_GETCOUNT, 0, 0), ModeCount); // made afresh
    EXPECT_TRUE(Boxes.empty());
}

// Tab positions and table entries part ways, yet each tab shows and applies its own page.
TEST_F(LauncherTest, APageThatFailsToLoadLosesOnlyItsTab)
{
    for (int failing : { 0, 2, 5 }) {
        SCOPED_TRACE(failing);
        LogEveryApply();
        TabPages[failing].templateId = 999;
        Boxes.clear();
        ASSERT_NE(OpenLauncher(), nullptr);
        EXPECT_EQ(Boxes, Calls { "function failed: FindResource() in InitTabControl()" });
        Calls names = TabTexts;
        names.erase(names.begin() + failing);
        EXPECT_EQ(TabNames(Tab()), names);
        for (int position = 0; position < TabPageCount - 1; ++position) {
            const int entry = position < failing ? position : position + 1;
            ChooseTab(position);
            EXPECT_EQ(Control(1004) != nullptr, entry == 0) << position;
            Log.clear();
            ScrUseXs = 100; // refused: Go goes no further than the page
            PressGo();
            EXPECT_EQ(Log, Calls { "apply " + std::to_string(entry) }) << position;
        }
        TabPages[failing].templateId = failing == 0 ? 103 : 105;
    }
}

TEST_F(LauncherTest, GoChecksDepthAndSizeThenStartsThePresenterOrComesBack)
{
    enum Outcome { Starts, Refused, Back };
    const struct {
        int32_t style, mode, xs, zs; // mode: catalogue entry 1 is 640x480x8, 2 is 640x480x16
        int presenter;
        Outcome outcome;
    } cases[] = {
        { 1, 1, 128, 128, 0, Starts },
        { 0, 1, 2048, 2048, 0, Starts },
        { 1, 1, 127, 240, 0, Refused },
        { 1, 1, 2049, 240, 0, Refused },
        { 0, 1, 320, 127, 0, Refused },
        { 0, 1, 320, 2049, 0, Refused },
        { 0, 2, 320, 240, 0, Refused },
        { 1, 2, 320, 240, 0, Starts },
        { 0, 1, 320, 240, -3, Back },
        { 1, 1, 320, 240, -3, Back },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " " << c.mode << " " << c.xs << "x" << c.zs);
        ASSERT_NE(OpenLauncher(), nullptr);
        Log.clear(), Boxes.clear();
        ShowWindow(ViewWindow, SW_HIDE);
        RunFlags = RunFlagClosed;
        WinGStyle = c.style, SelectedMode = c.mode, ScrUseXs = c.xs, ScrUseZs = c.zs;
        PresenterResult = c.presenter;
        PressGo();
        const std::string presenter = std::string(c.style ? "window " : "full screen ") + std::to_string(c.xs)
            + "x" + std::to_string(c.zs);
        const Calls log = c.outcome == Refused ? Calls {}
            : c.outcome == Back                ? Calls { presenter }
                                               : Started(presenter.c_str());
        EXPECT_EQ(Log, log);
        EXPECT_EQ(Boxes,
            c.outcome == Refused
                ? Calls { "program limitation: only 8-bit modes from 128x128 to 2048x2048 are supported now" }
                : Calls {});
        EXPECT_EQ(IsWindowVisible(launcher) != 0, c.outcome != Starts);
        EXPECT_EQ(IsWindowVisible(ViewWindow) != 0, c.outcome == Starts);
        EXPECT_EQ(RunFlags == 0, c.outcome == Starts); // frames run only once started
        if (c.outcome == Starts) {
            EXPECT_EQ(Projection.xmax - Projection.xmin + 1, c.xs);
        }
    }
}

// The view at once, always full screen, with the launcher never filled or shown; a failed start ends.
TEST_F(LauncherTest, JumpToDXStartsTheFullScreenViewOrEndsTheProgram)
{
    for (const int presenter : { 0, -2 }) {
        SCOPED_TRACE(presenter);
        JumpToDX = 1, WinGStyle = 1, ScrUseXs = 400, ScrUseZs = 300;
        PresenterResult = presenter;
        Log.clear();
        ASSERT_NE(OpenLauncher(), nullptr);
        EXPECT_EQ(WinGStyle, 0);
        EXPECT_FALSE(IsWindowVisible(launcher));
        EXPECT_EQ(SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0), 0);
        EXPECT_EQ(Log, presenter ? Calls { "full screen 400x300" } : Started("full screen 400x300"));
        EXPECT_EQ(IsWindowVisible(ViewWindow) != 0, presenter == 0);
        WPARAM code = 99;
        EXPECT_EQ(DrainMessages(&code), presenter != 0);
        EXPECT_EQ(code, presenter ? 0u : 99u);
    }
}

// The program's own main: a quit while the view runs stops the view (and its music) first.
TEST_F(LauncherTest, QuittingWhileTheViewRunsStopsTheViewFirst)
{
    for (SetupStep& step : ProgramSteps)
        keep(step), step = { [] { return 0; }, [] { return 0; }, -9 };
    keep(RenderFrameFunction), keep(SysMessageBox);
    RenderFrameFunction = [] { return 0; };
    for (const uint32_t flags : { 0u, RunFlagClosed }) {
        RunFlags = flags;
        Log.clear();
        PostQuitMessage(0);
        EXPECT_EQ(QuarvelMain(GetModuleHandleA(nullptr)), 0);
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "music close midifile"), flags ? 0 : 1);
        EXPECT_NE(RunFlags & RunFlagClosed, 0u);
        EXPECT_EQ(Launcher, nullptr);
    }
}

// Keys reach the launcher through the dialog manager of the message loop: Tab moves on, Enter presses Go.
HWND Focused = nullptr;
TEST_F(LauncherTest, TheLoopHandsKeysToTheDialogManager)
{
    keep(RenderFrameFunction);
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
    RunFlags = RunFlagClosed;
    Log.clear();
    PostMessageA(Tab(), WM_KEYDOWN, VK_RETURN, 1);
    PostQuitMessage(0);
    RunMessageLoop();
    launcher = nullptr; // the quit destroyed it
    EXPECT_EQ(Log, Started("full screen 320x240"));
}

// The window presenter over a palette whose colour 1 is red: a section of the viewport's size.
class WindowView : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        keep(ProgramPaletteHandle);
        ProgramPalette.version = 0x300, ProgramPalette.count = 256;
        for (PALETTEENTRY& e : ProgramPalette.entries)
            e = {};
        ProgramPalette.entries[1].peRed = 255;
        ProgramPaletteHandle = CreatePalette(reinterpret_cast<LOGPALETTE*>(&ProgramPalette));
        ASSERT_EQ(InitMemoryDC(), 0);
        ASSERT_EQ(InitWindowView(), 0);
    }
    void TearDown() override
    {
        CloseWindowView();
        FreeMemoryDC();
        DeleteObject(ProgramPaletteHandle);
        LauncherTest::TearDown();
    }
};

TEST_F(WindowView, TheSectionsFirstRowIsTheTopRow)
{
    const FrameTarget target = WindowFrameTarget();
    ASSERT_NE(target.pixels, nullptr);
    std::fill_n(target.pixels, 320, uint8_t(1));
    GdiFlush();
    EXPECT_EQ(GetPixel(MemoryDC, 5, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(MemoryDC, 5, 239), RGB(0, 0, 0));
}

// Stopping the view releases the presenter WinGStyle names and leaves the other alone.
TEST_F(WindowView, StoppingReleasesThePresenterWinGStyleNames)
{
    for (const int32_t style : { 1, 0 }) {
        Activate();
        Log.clear();
        WinGStyle = style;
        StopView();
        EXPECT_EQ(WindowFrameTarget().pixels == nullptr, style != 0) << style;
        EXPECT_EQ(FullScreenStatus, style ? 0 : -1) << style;
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "dd.RestoreDisplayMode"), style ? 0 : 1) << style;
        ASSERT_EQ(InitWindowView(), 0);
    }
    FullScreenStatus = -1;
}

// Centred over a window one pixel past each side of the desktop, the window is moved back onto it.
TEST_F(LauncherTest, CentringKeepsTheWindowOnTheDesktop)
{
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    const struct {
        LONG x, y, left, top; // the other window's place; where ours ends up
    } cases[] = {
        { 100, 50, 100, 50 },
        { desk.left - 1, 50, desk.left, 50 },
        { desk.right - 199, 50, desk.right - 200, 50 },
        { 100, desk.top - 1, 100, desk.top },
        { 100, desk.bottom - 99, 100, desk.bottom - 100 },
    };
    auto popup = [] {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    };
    HWND own = popup(), other = popup();
    for (const auto& c : cases) {
        SetWindowPos(other, nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CentreWindow(own, other);
        RECT r;
        GetWindowRect(own, &r);
        EXPECT_EQ(r.left, c.left) << c.x << "," << c.y;
        EXPECT_EQ(r.top, c.top) << c.x << "," << c.y;
    }
    DestroyWindow(own);
    DestroyWindow(other);
}

// Entries exist from 0 up to the catalogue's last; its end and below 0 there is none.
TEST_F(LauncherTest, CatalogueEntriesEndWithTheCatalogue)
{
    for (int32_t i = -1; i <= ModeCount; ++i)
        EXPECT_EQ(CatalogueEntry(i), i >= 0 && i < ModeCount ? &ModeCatalogue[i] : nullptr) << i;
}

} // namespace
