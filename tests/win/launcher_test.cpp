// The launcher dialog made from the program's own resources: its tabs and pages, Go's checks
// and the start of the view, Exit, and the straight-to-the-view start.
#include "ui_fixture.h"

#include <cstring>

namespace {

using namespace ui_test;

const char LimitsBox[] = "program limitation: only 8-bit modes from 128x128 to 2048x2048 are supported now";
const std::vector<std::string> StartMusic
    = { "open sequencer!mus\\3d.mid alias midifile", "play midifile from 0" };

TEST(LauncherTable, SixPagesInTabOrderThenTheTerminator)
{
    const struct {
        const char* name;
        uint16_t templateId;
        DLGPROC proc;
    } expected[TabPageCount] = {
        { "Display", 103, DisplayPageProc },
        { "Sound", 105, NotImplementedPageProc },
        { "Keyboard", 105, NotImplementedPageProc },
        { "Mouse", 105, NotImplementedPageProc },
        { "Network", 105, NotImplementedPageProc },
        { "Misc", 105, NotImplementedPageProc },
    };
    for (int i = 0; i < TabPageCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(TabPages[i].name, nullptr);
        EXPECT_STREQ(TabPages[i].name, expected[i].name);
        EXPECT_EQ(TabPages[i].templateId, expected[i].templateId);
        EXPECT_EQ(TabPages[i].pageProc, expected[i].proc);
        ASSERT_NE(TabPages[i].apply, nullptr);
        EXPECT_EQ(TabPages[i].apply(nullptr), 0);
    }
    EXPECT_EQ(TabPages[TabPageCount].name, nullptr);
}

// The launcher's size comes from the page templates' plain headers, so an extended page
// template would be read wrongly.
TEST(LauncherResources, DialogTemplatesHaveTheirKindAndSize)
{
    const struct {
        int id;
        bool extended;
        int width, height;
    } cases[] = { { 104, true, 289, 197 }, { 103, false, 275, 169 }, { 105, false, 98, 33 },
        { 106, false, 188, 167 } };
    HMODULE self = GetModuleHandleA(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(c.id), RT_DIALOG);
        ASSERT_NE(found, nullptr);
        const auto* words = static_cast<const WORD*>(LockResource(LoadResource(self, found)));
        ASSERT_NE(words, nullptr);
        const bool extended = words[0] == 1 && words[1] == 0xFFFF;
        EXPECT_EQ(extended, c.extended);
        // Extended: version, signature, help id, extended style, style, count, x, y, cx, cy.
        // Plain: style, extended style, count, x, y, cx, cy.
        const WORD* size = extended ? words + 11 : words + 7;
        EXPECT_EQ(size[0], c.width);
        EXPECT_EQ(size[1], c.height);
    }
}

TEST_F(LauncherTest, ShowsSixNamedTabsAndTheDisplayPage)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_TRUE(IsWindowVisible(launcher));
    EXPECT_EQ(Text(launcher), "Quarvel");
    EXPECT_EQ(TabNames(Tab()),
        (std::vector<std::string> { "Display", "Sound", "Keyboard", "Mouse", "Network", "Misc" }));
    for (int i = 0; i < TabPageCount; ++i)
        EXPECT_EQ(TabPageAt(Tab(), i), i);
    EXPECT_EQ(TabPageAt(Tab(), TabPageCount), -1);
    EXPECT_EQ(SendMessageA(Tab(), TCM_GETCURSEL, 0, 0), 0);
    ASSERT_NE(CurrentPage, nullptr);
    EXPECT_EQ(GetParent(CurrentPage), Tab());
    EXPECT_TRUE(IsWindowVisible(CurrentPage));
    EXPECT_NE(GetDlgItem(CurrentPage, 1004), nullptr); // the Display page's mode list
    EXPECT_EQ(ItemText(launcher, 1009), "&Go");
    EXPECT_EQ(ItemText(launcher, 1012), "&Video Modes");
    EXPECT_EQ(ItemText(launcher, 1008), "E&xit");
    EXPECT_EQ(GetWindowLongA(GetDlgItem(launcher, 1009), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_NE(GetWindowLongA(Tab(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0);
    EXPECT_TRUE(Boxes().empty());
}

INT_PTR CALLBACK DoNothing(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

TEST_F(LauncherTest, TheTabGrowsToTheLargestPageAndTheButtonsFollowItsCorner)
{
    // The same template without the layout: where the buttons stand relative to the tab corner.
    HWND plain = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, DoNothing, 0);
    ASSERT_NE(plain, nullptr);
    const int buttons[] = { 1009, 1012, 1008 };
    POINT planned[3];
    RECT plainTab;
    GetWindowRect(GetDlgItem(plain, 1011), &plainTab);
    for (int i = 0; i < 3; ++i) {
        RECT r;
        GetWindowRect(GetDlgItem(plain, buttons[i]), &r);
        planned[i] = { r.left - plainTab.right, r.top - plainTab.bottom };
    }
    DestroyWindow(plain);

    ASSERT_NE(OpenLauncher(), nullptr);
    RECT tab;
    GetWindowRect(Tab(), &tab);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(buttons[i]);
        RECT r;
        GetWindowRect(GetDlgItem(launcher, buttons[i]), &r);
        EXPECT_EQ(r.left - tab.right, planned[i].x);
        EXPECT_EQ(r.top - tab.bottom, planned[i].y);
    }

    // The display area starts at PageOrigin and holds the largest page (the Display page).
    RECT area = { 0, 0, tab.right - tab.left, tab.bottom - tab.top };
    SendMessageA(Tab(), TCM_ADJUSTRECT, FALSE, LPARAM(&area));
    EXPECT_EQ(PageOrigin.x, area.left);
    EXPECT_EQ(PageOrigin.y, area.top);
    RECT page;
    GetWindowRect(CurrentPage, &page);
    MapWindowPoints(nullptr, Tab(), reinterpret_cast<POINT*>(&page), 2);
    EXPECT_EQ(page.left, area.left);
    EXPECT_EQ(page.top, area.top);
    EXPECT_EQ(page.right, area.right);
    EXPECT_EQ(page.bottom, area.bottom);
    // The launcher still holds the tab and the buttons.
    RECT client;
    GetClientRect(launcher, &client);
    RECT exitButton;
    GetWindowRect(GetDlgItem(launcher, 1008), &exitButton);
    MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&exitButton), 2);
    EXPECT_LE(exitButton.right, client.right);
    EXPECT_LE(exitButton.bottom, client.bottom);
}

int AppliedEntry = -1;
HWND AppliedPage = nullptr;
template <int Entry> int RecordApply(HWND page)
{
    AppliedEntry = Entry;
    AppliedPage = page;
    return 0;
}
int (*const Recorders[TabPageCount])(HWND)
    = { RecordApply<0>, RecordApply<1>, RecordApply<2>, RecordApply<3>, RecordApply<4>, RecordApply<5> };

TEST_F(LauncherTest, SwitchingTabsDestroysThePageAndMakesTheChosenOne)
{
    for (int i = 0; i < TabPageCount; ++i)
        TabPages[i].apply = Recorders[i];
    ASSERT_NE(OpenLauncher(), nullptr);
    HWND display = CurrentPage;

    AppliedEntry = -1;
    ChooseTab(3);
    EXPECT_FALSE(IsWindow(display));
    EXPECT_EQ(AppliedEntry, 0); // the page's apply callback ran as it went
    EXPECT_EQ(AppliedPage, display);
    ASSERT_NE(CurrentPage, nullptr);
    EXPECT_EQ(GetParent(CurrentPage), Tab());
    EXPECT_EQ(GetDlgItem(CurrentPage, 1004), nullptr);
    HWND label = GetWindow(CurrentPage, GW_CHILD);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(Text(label), "Not Implemented");
    RECT r;
    GetWindowRect(CurrentPage, &r);
    MapWindowPoints(nullptr, Tab(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, PageOrigin.x);
    EXPECT_EQ(r.top, PageOrigin.y);
    EXPECT_EQ(GetFocus(), Tab());

    HWND mouse = CurrentPage;
    ChooseTab(0);
    EXPECT_FALSE(IsWindow(mouse));
    EXPECT_EQ(AppliedEntry, 3);
    ASSERT_NE(CurrentPage, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(CurrentPage, 1004, LB_GETCOUNT, 0, 0), ModeCount); // rebuilt

    // Only the selection change makes a new page.
    HWND again = CurrentPage;
    NMHDR changing = { Tab(), 1011, UINT(TCN_SELCHANGING) };
    EXPECT_EQ(SendMessageA(launcher, WM_NOTIFY, 1011, LPARAM(&changing)), 0);
    EXPECT_EQ(CurrentPage, again);
}

// A page whose template cannot be found gets no tab; every other tab still shows its own page
// and Go asks its own page, although positions and table entries no longer agree.
TEST_F(LauncherTest, APageThatFailsToLoadLosesOnlyItsTab)
{
    for (int failing : { 0, 2, 5 }) {
        SCOPED_TRACE(failing);
        for (int i = 0; i < TabPageCount; ++i)
            TabPages[i].apply = Recorders[i];
        TabPages[failing].templateId = 999;
        Boxes().clear();
        ASSERT_NE(OpenLauncher(), nullptr);
        EXPECT_EQ(
            Boxes(), std::vector<std::string> { "function failed: FindResource() in InitTabControl()" });

        std::vector<std::string> names;
        std::vector<int> entries;
        for (int i = 0; i < TabPageCount; ++i)
            if (i != failing) {
                names.push_back(TabPages[i].name);
                entries.push_back(i);
            }
        EXPECT_EQ(TabNames(Tab()), names);
        for (int position = 0; position < TabPageCount - 1; ++position) {
            SCOPED_TRACE(position);
            EXPECT_EQ(TabPageAt(Tab(), position), entries[position]);
            ChooseTab(position);
            ASSERT_NE(CurrentPage, nullptr);
            EXPECT_EQ(GetDlgItem(CurrentPage, 1004) != nullptr, entries[position] == 0);
            AppliedEntry = -1;
            ScrUseXs = 100; // refused, so the view does not start
            PressGo();
            EXPECT_EQ(AppliedEntry, entries[position]);
            EXPECT_EQ(AppliedPage, CurrentPage);
        }
        CloseLauncher();
        TabPages[failing].templateId = failing == 0 ? 103 : 105;
    }
}

TEST_F(LauncherTest, DestroyingTheLauncherReleasesThePageTemplates)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    for (int i = 0; i < TabPageCount; ++i) {
        EXPECT_NE(TabPages[i].resource, nullptr) << i;
        EXPECT_NE(TabPages[i].pageTemplate, nullptr) << i;
    }
    CloseLauncher();
    for (int i = 0; i < TabPageCount; ++i) {
        EXPECT_EQ(TabPages[i].resource, nullptr) << i;
        EXPECT_EQ(TabPages[i].pageTemplate, nullptr) << i;
    }
    EXPECT_EQ(CurrentPage, nullptr);
}

// Go's checks, on the depth of the chosen entry (window style: always 8) and the usage size.
TEST_F(LauncherTest, GoAcceptsOnlyEightBitModesAndUsageFrom128To2048)
{
    const struct {
        int32_t style;
        int32_t mode; // catalogue entry: 1 is 640x480x8, 2 is 640x480x16
        int32_t xs, zs;
        bool starts;
    } cases[] = {
        { 1, 1, 128, 128, true },
        { 1, 1, 2048, 2048, true },
        { 0, 1, 128, 2048, true },
        { 0, 1, 2048, 128, true },
        { 1, 1, 127, 240, false },
        { 1, 1, 2049, 240, false },
        { 1, 1, 320, 127, false },
        { 1, 1, 320, 2049, false },
        { 0, 1, 127, 240, false },
        { 0, 1, 320, 2049, false },
        { 1, 1, -320, 240, false },
        { 0, 2, 320, 240, false },
        { 1, 2, 320, 240, true },
        { 0, 1, 320, 240, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            testing::Message() << "style " << c.style << " mode " << c.mode << " " << c.xs << "x" << c.zs);
        ASSERT_NE(OpenLauncher(), nullptr);
        ShowWindow(ViewWindow, SW_HIDE);
        RunFlags = 0xFFFFFFFF;
        Boxes().clear();
        Music().clear();
        PresenterCalls().clear();
        Reactivations() = 0;
        WinGStyle = c.style;
        SelectedMode = c.mode;
        ScrUseXs = c.xs;
        ScrUseZs = c.zs;
        PressGo();
        if (!c.starts) {
            EXPECT_EQ(Boxes(), std::vector<std::string> { LimitsBox });
            EXPECT_TRUE(IsWindowVisible(launcher));
            EXPECT_FALSE(IsWindowVisible(ViewWindow));
            EXPECT_TRUE(PresenterCalls().empty());
            EXPECT_TRUE(Music().empty());
            EXPECT_EQ(RunFlags, 0xFFFFFFFFu);
            continue;
        }
        EXPECT_TRUE(Boxes().empty());
        EXPECT_FALSE(IsWindowVisible(launcher));
        EXPECT_TRUE(IsWindowVisible(ViewWindow));
        ASSERT_EQ(PresenterCalls().size(), 1u);
        EXPECT_STREQ(PresenterCalls()[0].which, c.style ? "window" : "full screen");
        EXPECT_EQ(PresenterCalls()[0].projXs, c.xs);
        EXPECT_EQ(PresenterCalls()[0].projZs, c.zs);
        EXPECT_TRUE(PresenterCalls()[0].viewShown);
        EXPECT_EQ(Projection.xmax - Projection.xmin + 1, c.xs);
        EXPECT_EQ(Projection.zmax - Projection.zmin + 1, c.zs);
        EXPECT_EQ(Music(), StartMusic);
        EXPECT_EQ(RunFlags, 0u);
        EXPECT_EQ(Reactivations(), 1);
    }
}

TEST_F(LauncherTest, APresenterThatFailsBringsTheLauncherBack)
{
    for (int32_t style : { 0, 1 }) {
        SCOPED_TRACE(style);
        ASSERT_NE(OpenLauncher(), nullptr);
        WinGStyle = style;
        SelectedMode = 1;
        ScrUseXs = 320;
        ScrUseZs = 240;
        RunFlags = RunFlagClosed | RunFlagInactive;
        Music().clear();
        PresenterCalls().clear();
        PresenterResult() = -3;
        PressGo();
        ASSERT_EQ(PresenterCalls().size(), 1u);
        EXPECT_STREQ(PresenterCalls()[0].which, style ? "window" : "full screen");
        EXPECT_TRUE(IsWindowVisible(launcher));
        EXPECT_FALSE(IsWindowVisible(ViewWindow));
        EXPECT_TRUE(Music().empty());
        EXPECT_EQ(RunFlags, RunFlagClosed | RunFlagInactive);
        EXPECT_EQ(Reactivations(), 0);
        EXPECT_TRUE(Boxes().empty()); // the presenter tells its own failure
    }
}

TEST_F(LauncherTest, GoOnAnotherTabUsesTheDisplayPagesSettings)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    HWND list = GetDlgItem(CurrentPage, 1004);
    SendMessageA(list, LB_SETCURSEL, 2, 0); // 640x480x16
    SendMessageA(CurrentPage, WM_COMMAND, MAKEWPARAM(1004, LBN_SELCHANGE), LPARAM(list));
    ChooseTab(1);
    PressGo();
    EXPECT_EQ(Boxes(), std::vector<std::string> { LimitsBox });

    ChooseTab(0);
    list = GetDlgItem(CurrentPage, 1004);
    SendMessageA(list, LB_SETCURSEL, 3, 0); // 800x600x8
    SendMessageA(CurrentPage, WM_COMMAND, MAKEWPARAM(1004, LBN_SELCHANGE), LPARAM(list));
    ChooseTab(4);
    PressGo();
    ASSERT_EQ(PresenterCalls().size(), 1u);
    EXPECT_STREQ(PresenterCalls()[0].which, "full screen");
    EXPECT_EQ(LastModeXs, 800);
    EXPECT_EQ(LastModeZs, 600);
    EXPECT_EQ(PresenterCalls()[0].projXs, 400);
    EXPECT_EQ(PresenterCalls()[0].projZs, 300);
}

TEST_F(LauncherTest, ExitAndTheCloseBoxEndTheProgramButEscapeDoesNothing)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    WPARAM code = 99;
    SendMessageA(launcher, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(DrainMessages(&code));
    EXPECT_TRUE(IsWindowVisible(launcher));

    SendMessageA(GetDlgItem(launcher, 1008), BM_CLICK, 0, 0);
    ASSERT_TRUE(DrainMessages(&code));
    EXPECT_EQ(code, 0u);

    code = 99;
    SendMessageA(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(DrainMessages(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(LauncherTest, EnterInTheLauncherPressesGo)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    WinGStyle = 1;
    ScrUseXs = 320;
    ScrUseZs = 240;
    SetFocus(Tab());
    MSG key = { Tab(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, { 0, 0 } };
    EXPECT_TRUE(IsDialogMessageA(launcher, &key));
    ASSERT_EQ(PresenterCalls().size(), 1u);
    EXPECT_STREQ(PresenterCalls()[0].which, "window");
}

TEST_F(LauncherTest, JumpToDXStartsTheFullScreenViewAtOnce)
{
    JumpToDX = 1;
    WinGStyle = 1;
    ScrUseXs = 400;
    ScrUseZs = 300;
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_EQ(WinGStyle, 0);
    EXPECT_FALSE(IsWindowVisible(launcher));
    EXPECT_EQ(SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0), 0); // never filled
    EXPECT_EQ(CurrentPage, nullptr);
    EXPECT_TRUE(IsWindowVisible(ViewWindow));
    ASSERT_EQ(PresenterCalls().size(), 1u);
    EXPECT_STREQ(PresenterCalls()[0].which, "full screen");
    EXPECT_EQ(PresenterCalls()[0].projXs, 400);
    EXPECT_EQ(PresenterCalls()[0].projZs, 300);
    EXPECT_EQ(Projection.xmax - Projection.xmin + 1, 400);
    EXPECT_EQ(Music(), StartMusic);
    EXPECT_EQ(RunFlags, 0u);
    EXPECT_EQ(Reactivations(), 1);
    EXPECT_FALSE(DrainMessages());
}

TEST_F(LauncherTest, AFailedJumpToDXStartEndsTheProgramWithoutFrames)
{
    JumpToDX = 1;
    PresenterResult() = -2;
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_FALSE(IsWindowVisible(launcher));
    EXPECT_FALSE(IsWindowVisible(ViewWindow));
    EXPECT_EQ(RunFlags, 0xFFFFFFFFu);
    EXPECT_EQ(Reactivations(), 0);
    EXPECT_TRUE(Music().empty());
    WPARAM code = 99;
    ASSERT_TRUE(DrainMessages(&code));
    EXPECT_EQ(code, 0u);
}

// However the view ends, the tune's device is closed, so the next Go opens it afresh.
TEST_F(LauncherTest, ClosingTheViewBringsTheLauncherBackAndClosesTheMusic)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    WinGStyle = 1;
    ScrUseXs = 320;
    ScrUseZs = 240;
    PressGo();
    ASSERT_EQ(RunFlags, 0u);
    Music().clear();
    SendMessageA(ViewWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(Music(), (std::vector<std::string> { "stop midifile", "close midifile" }));
    EXPECT_TRUE(IsWindowVisible(launcher));
    EXPECT_FALSE(IsWindowVisible(ViewWindow));
    EXPECT_NE(RunFlags & RunFlagClosed, 0u);

    Music().clear();
    PresenterCalls().clear();
    PressGo();
    EXPECT_EQ(PresenterCalls().size(), 1u);
    EXPECT_EQ(Music(), StartMusic);
    EXPECT_EQ(RunFlags, 0u);
}

} // namespace
