// The launcher: its tabs and pages, Go's limits and the start of the view, and the JumpToDX start.
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

} // namespace
