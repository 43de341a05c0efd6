// The Windows spine: the start-up chain and its codes, tear-downs, RunFlags, the view window's messages and
// keys, and the message loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/config.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "base/sys.h"
#include "sound/sound.h"
#include "win32/app/win32_frame.h"
#include "win32/app/win32_program.h"
#include "win32/app/win32_view_window.h"
#include "win32/display/win32_display.h"
#include "win32/sound/win32_music.h"
#include "world/viewpoint.h"

namespace {

// ---- Recording fakes for the six steps --------------------------------------------------

std::vector<std::string> StepLog;
int FailingStep = 0; // 1-based; 0 = none fails
int32_t FakeStatus[SetupStepCount];

template <int I> int FakeSetUp()
{
    StepLog.push_back("set up " + std::to_string(I + 1));
    if (FailingStep == I + 1)
        return 7;
    FakeStatus[I] = 0;
    return 0;
}

template <int I> int FakeTearDown()
{
    if (FakeStatus[I] != 0)
        return FakeStatus[I];
    StepLog.push_back("tear down " + std::to_string(I + 1));
    FakeStatus[I] = -1;
    return 0;
}

class StartUpChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < SetupStepCount; ++i)
            saved[i] = ProgramSteps[i];
        ProgramSteps[0].setUp = FakeSetUp<0>, ProgramSteps[0].tearDown = FakeTearDown<0>;
        ProgramSteps[1].setUp = FakeSetUp<1>, ProgramSteps[1].tearDown = FakeTearDown<1>;
        ProgramSteps[2].setUp = FakeSetUp<2>, ProgramSteps[2].tearDown = FakeTearDown<2>;
        ProgramSteps[3].setUp = FakeSetUp<3>, ProgramSteps[3].tearDown = FakeTearDown<3>;
        ProgramSteps[4].setUp = FakeSetUp<4>, ProgramSteps[4].tearDown = FakeTearDown<4>;
        ProgramSteps[5].setUp = FakeSetUp<5>, ProgramSteps[5].tearDown = FakeTearDown<5>;
        for (int32_t& s : FakeStatus)
            s = -1;
        StepLog.clear();
    }
    void TearDown() override
    {
        for (int i = 0; i < SetupStepCount; ++i)
            ProgramSteps[i] = saved[i];
    }
    SetupStep saved[SetupStepCount];
};

// Step k failing (0: none) ends with its code after tearing down the steps before it in reverse;
// a second shutdown finds nothing set up.
TEST_F(StartUpChain, AFailureAtStepKTearsDownTheStepsBeforeItInReverse)
{
    const int codes[SetupStepCount + 1] = { 0, -5, -1, -2, -3, -4, -6 };
    for (int k = 0; k <= SetupStepCount; ++k) {
        SCOPED_TRACE("failing step " + std::to_string(k));
        for (int32_t& s : FakeStatus)
            s = -1;
        StepLog.clear();
        FailingStep = k;
        EXPECT_EQ(InitProgram(GetModuleHandleA(nullptr)), codes[k]);
        EXPECT_EQ(FreeProgram(), 0);
        EXPECT_EQ(FreeProgram(), 0);
        std::vector<std::string> expected;
        const int last = k ? k : SetupStepCount;
        for (int i = 1; i <= last; ++i)
            expected.push_back("set up " + std::to_string(i));
        for (int i = k ? k - 1 : SetupStepCount; i >= 1; --i)
            expected.push_back("tear down " + std::to_string(i));
        EXPECT_EQ(StepLog, expected);
    }
    FailingStep = 0;
}

TEST(TearDowns, EachReturnsMinusOneWhenNothingIsSetUp)
{
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(FreeSoundBank(), -1);
        EXPECT_EQ(FreeMemoryDC(), -1);
        EXPECT_EQ(FreeConfig(), -1);
        EXPECT_EQ(FreeModeCatalogue(), -1);
        EXPECT_EQ(FreeViewWindow(), -1);
        EXPECT_EQ(FreePalette(), -1);
    }
}

TEST(TearDowns, TheViewWindowComesAndGoesOnce)
{
    ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
    EXPECT_NE(FindWindowA("quarvel", "quarvel"), nullptr);
    EXPECT_FALSE(IsWindowVisible(ViewWindow));
    EXPECT_EQ(GetWindowLongA(ViewWindow, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_BORDER), LONG(WS_POPUP));
    EXPECT_EQ(FreeViewWindow(), 0);
    EXPECT_EQ(FindWindowA("quarvel", "quarvel"), nullptr);
    EXPECT_EQ(FreeViewWindow(), -1);
    EXPECT_EQ(ViewWindow, nullptr);
}

TEST(TearDowns, AViewWindowWithoutItsIconFailsWithOne)
{
    // An instance without icon 101: the program's resources are not in kernel32.
    EXPECT_EQ(InitViewWindow(GetModuleHandleA("kernel32.dll")), 1);
    EXPECT_EQ(ViewWindowStatus, -1);
    EXPECT_EQ(FreeViewWindow(), -1);
}

// ---- RunFlags and the view window ---------------------------------------------------------

int Reactivations = 0;
void CountReactivation()
{
    ++Reactivations;
}

class ViewWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedReactivate = ReactivateDisplayFunction;
        ReactivateDisplayFunction = CountReactivation;
        savedMusic = MusicCommand;
        MusicCommand = RecordMusic;
        Reactivations = 0;
        Music.clear();
        ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
        savedJump = JumpToDX;
        savedStyle = WinGStyle;
        ForwardAxis = {};
        TurnAxis = {};
        ClearEffectLog();
    }
    void TearDown() override
    {
        FreeViewWindow();
        ReactivateDisplayFunction = savedReactivate;
        MusicCommand = savedMusic;
        JumpToDX = savedJump;
        WinGStyle = savedStyle;
        RunFlags = 0xFFFFFFFF;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) { }
    }
    static void RecordMusic(const char* command) { Music.push_back(command); }
    // A hidden top-level window in the launcher's place.
    static HWND StandInLauncher()
    {
        Launcher = CreateWindowExA(0, "STATIC", "launcher", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
            GetModuleHandleA(nullptr), nullptr);
        return Launcher;
    }
    static std::vector<std::string> Music;
    void (*savedReactivate)();
    void (*savedMusic)(const char*);
    int32_t savedJump, savedStyle;
};
std::vector<std::string> ViewWindowTest::Music;

TEST_F(ViewWindowTest, ClearRunFlagsReactivatesExactlyWhenTheResultIsZero)
{
    const struct {
        uint32_t before, mask, after;
        int reactivations;
    } cases[] = {
        { 0xFFFFFFFF, 0xFFFFFFFF, 0, 1 },
        { 0x8001, 0x0001, 0x8000, 0 },
        { 0x0001, 0x0001, 0, 1 },
        { 0, 0x0001, 0, 1 },
        { 0x8000, 0x0001, 0x8000, 0 },
        { 0x8001, 0x8001, 0, 1 },
    };
    for (const auto& c : cases) {
        RunFlags = c.before;
        Reactivations = 0;
        EXPECT_EQ(ClearRunFlags(c.mask), c.before);
        EXPECT_EQ(RunFlags, c.after);
        EXPECT_EQ(Reactivations, c.reactivations) << std::hex << c.before << " " << c.mask;
    }
}

TEST_F(ViewWindowTest, ActivationSetsAndClearsBitZero)
{
    RunFlags = 0;
    SendMessageA(ViewWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(RunFlags, RunFlagInactive);
    EXPECT_EQ(Reactivations, 0);
    SendMessageA(ViewWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(RunFlags, 0u);
    EXPECT_EQ(Reactivations, 1);
    RunFlags = RunFlagClosed | RunFlagInactive;
    SendMessageA(ViewWindow, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(RunFlags, RunFlagClosed);
    EXPECT_EQ(Reactivations, 1);
}

// The close, and the stop alone at the program's end: the view hidden, not destroyed, its music closed.
TEST_F(ViewWindowTest, ClosingHidesTheViewThenShowsTheLauncherOrQuits)
{
    const struct {
        int32_t jump;
        bool close, launcherShown, quits;
    } cases[] = { { 0, true, true, false }, { 1, true, false, true }, { 1, false, false, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        HWND launcher = StandInLauncher();
        JumpToDX = c.jump;
        RunFlags = 0;
        Music.clear();
        ShowWindow(ViewWindow, SW_SHOW);
        if (c.close)
            EXPECT_EQ(SendMessageA(ViewWindow, WM_CLOSE, 0, 0), 0);
        else
            StopView();
        EXPECT_NE(RunFlags & RunFlagClosed, 0u);
        EXPECT_FALSE(IsWindowVisible(ViewWindow));
        EXPECT_TRUE(IsWindow(ViewWindow));
        EXPECT_EQ(IsWindowVisible(launcher) != 0, c.launcherShown);
        EXPECT_EQ(Music, (std::vector<std::string> { "stop midifile", "close midifile" }));
        MSG m;
        EXPECT_EQ(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && m.wParam == 0, c.quits);
        Launcher = nullptr;
        DestroyWindow(launcher);
    }
}

TEST_F(ViewWindowTest, EscapeStopsSoundAndMusicThenPostsTheClose)
{
    RunFlags = 0;
    SendMessageA(ViewWindow, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ASSERT_EQ(EffectLogCount, 1);
    EXPECT_EQ(EffectLog[0], -1);
    EXPECT_EQ(Music, (std::vector<std::string> { "stop midifile", "close midifile" }));
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, ViewWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(RunFlags, 0u); // the view closes only when the posted message is handled
    DispatchMessageA(&m);
    EXPECT_EQ(RunFlags, RunFlagClosed);
}

TEST_F(ViewWindowTest, KeysDriveTheAxesAndCtrlIsReadAtEachPress)
{
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    SendMessageA(ViewWindow, WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(TurnAxis.limit, 32);
    EXPECT_EQ(TurnAxis.key, VK_LEFT);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(ViewWindow, WM_KEYDOWN, VK_LEFT, 0x40000001); // an auto-repeat
    EXPECT_EQ(TurnAxis.limit, 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    SendMessageA(ViewWindow, WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(ForwardAxis.rate, 6);
    SendMessageA(ViewWindow, WM_KEYUP, VK_DOWN, 0xC0000001); // not the driving key
    EXPECT_EQ(ForwardAxis.key, VK_UP);
    SendMessageA(ViewWindow, WM_KEYUP, VK_UP, 0xC0000001);
    EXPECT_EQ(ForwardAxis.key, 0);
    EXPECT_EQ(ForwardAxis.released & 1, 1);
    const int32_t height = ViewPoint.height;
    SendMessageA(ViewWindow, WM_KEYDOWN, 'A', 1);
    EXPECT_EQ(ViewPoint.height, (height + 16) & 1023);
    SendMessageA(ViewWindow, WM_KEYDOWN, 'Z', 1);
    EXPECT_EQ(ViewPoint.height, height);
}

// ---- The message loop ---------------------------------------------------------------------

int Frames = 0;
int CountFrame()
{
    if (++Frames == 3)
        PostQuitMessage(0);
    return 0;
}

class MessageLoop : public ViewWindowTest {
protected:
    void SetUp() override
    {
        ViewWindowTest::SetUp();
        savedFrame = RenderFrameFunction;
        RenderFrameFunction = CountFrame;
        Frames = 0;
    }
    void TearDown() override
    {
        RenderFrameFunction = savedFrame;
        ViewWindowTest::TearDown();
    }
    int (*savedFrame)();
};

TEST_F(MessageLoop, ProducesFramesOnlyWhileRunFlagsIsZero)
{
    RunFlags = 0;
    RunMessageLoop();
    EXPECT_EQ(Frames, 3);

    Frames = 0;
    RunFlags = RunFlagInactive;
    PostMessageA(ViewWindow, WM_USER, 0, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(Frames, 0);
}

TEST_F(MessageLoop, MessagesComeBeforeFramesAndResumeThem)
{
    // The view is inactive; its activation, waiting in the queue, is handled before any
    // frame, and frames then run until the third posts the quit.
    RunFlags = RunFlagInactive;
    PostMessageA(ViewWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    RunMessageLoop();
    EXPECT_EQ(Reactivations, 1);
    EXPECT_EQ(Frames, 3);
}

TEST_F(MessageLoop, TheQuitMessageDestroysTheLauncher)
{
    HWND launcher = StandInLauncher();
    RunFlags = RunFlagClosed;
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_FALSE(IsWindow(launcher));
    EXPECT_EQ(Launcher, nullptr);
}

} // namespace
