// The Windows spine: the start-up chain and its codes, the palette step for real, and the view
// window's activation.
#include <cstdio>
#include <cstring>

#include "base/alloc.h"
#include "win32_display_fakes.h"

namespace {

// Step k failing (0: none; a failure is any result but 0) ends with its code after tearing down
// the steps before it in reverse; a second shutdown finds nothing set up.
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
    const SetupStep fakes[SetupStepCount] = { { FakeSetUp<0>, FakeTearDown<0>, 0 }, { FakeSetUp<1>, FakeTearDown<1>, 0 },
        { FakeSetUp<2>, FakeTearDown<2>, 0 }, { FakeSetUp<3>, FakeTearDown<3>, 0 }, { FakeSetUp<4>, FakeTearDown<4>, 0 },
        { FakeSetUp<5>, FakeTearDown<5>, 0 } };
    for (int i = 0; i < SetupStepCount; ++i)
        keep(ProgramSteps[i]), ProgramSteps[i].setUp = fakes[i].setUp, ProgramSteps[i].tearDown = fakes[i].tearDown;
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

// The palette from sc\nosystem.pal (none, a short one, a whole one), and the chain's first step for real:
// without it the program ends with -5 and no window, with it the chain starts and stops balanced, its
// view window gone and the tear-downs finding nothing left.
TEST_F(DisplayTest, ThePaletteComesFromTheFileAndTheSystemAndStartsTheChain)
{
    keep(ProgramPaletteHandle);
    InFreshDirectory();
    CreateDirectoryA("sc", nullptr);
    const auto byte = [](int i) { return BYTE((i * 7 + 3) & 255); };
    for (const int bytes : { -1, 3 * 100 + 1, 768 }) {
        SCOPED_TRACE(bytes);
        FILE* file = bytes < 0 ? nullptr : std::fopen("sc\\nosystem.pal", "wb");
        for (int i = 0; i < bytes; ++i)
            std::fputc(byte(i), file);
        if (file)
            std::fclose(file);
        const uint32_t allocs = AllocCount, releases = ReleaseCount;
        EXPECT_EQ(InitProgram(GetModuleHandleA(nullptr)), bytes < 0 ? -5 : 0);
        const HWND view = FindWindowA("quarvel", "quarvel"); // hidden, a plain popup
        EXPECT_EQ(view ? GetWindowLongA(view, GWL_STYLE) & (WS_VISIBLE | WS_POPUP | WS_CAPTION | WS_BORDER) : 0,
            bytes > 0 ? LONG(WS_POPUP) : 0);
        EXPECT_EQ(PaletteStatus, bytes < 0 ? -1 : 0);
        for (int i = 10; bytes > 0 && i <= 245; ++i) {
            const PALETTEENTRY& e = ProgramPalette.entries[i];
            const auto read = [&](int at) { return at < bytes ? byte(at) : BYTE(0); }; // missing: black
            const PALETTEENTRY expected = { read(3 * i), read(3 * i + 1), read(3 * i + 2), PC_RESERVED };
            ASSERT_EQ(std::memcmp(&e, &expected, 4), 0) << i;
        }
        if (bytes > 0) { // the static colours are the system's: black first and white last
            EXPECT_EQ(ProgramPalette.entries[0].peRed + ProgramPalette.entries[0].peBlue, 0);
            EXPECT_EQ(ProgramPalette.entries[255].peGreen + ProgramPalette.entries[255].peBlue, 510);
            PALETTEENTRY gdi[256];
            ASSERT_EQ(GetPaletteEntries(ProgramPaletteHandle, 0, 256, gdi), 256u);
            EXPECT_EQ(std::memcmp(gdi + 10, ProgramPalette.entries + 10, 236 * 4), 0);
        }
        EXPECT_EQ(FreeProgram(), 0);
        EXPECT_EQ(FindWindowA("quarvel", nullptr), nullptr);
        EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
        EXPECT_EQ(PaletteStatus, -1);
        EXPECT_EQ(MemoryDCStatus, -1);
        EXPECT_EQ(FreePalette(), -1);
        EXPECT_EQ(FreeViewWindow(), -1);
    }
    EXPECT_EQ(InitViewWindow(GetModuleHandleA("kernel32.dll")), 1); // no icon 101 there
    EXPECT_EQ(FreeViewWindow(), -1);
    DeleteFileA("sc\\nosystem.pal");
    RemoveDirectoryA("sc");
}

// ---- RunFlags and the view window, on the launcher fixture's logged music and reactivation ----

using ViewWindowTest = LauncherTest;

// Deactivation sets bit 0 and activation clears it, reactivating the display when that leaves 0.
TEST_F(ViewWindowTest, ActivationSetsAndClearsBitZero)
{
    const struct { uint32_t before; WPARAM state; uint32_t after; } cases[] = {
        { 0, WA_INACTIVE, RunFlagInactive }, { RunFlagInactive, WA_ACTIVE, 0 },
        { RunFlagClosed | RunFlagInactive, WA_CLICKACTIVE, RunFlagClosed }, { RunFlagInactive, WA_CLICKACTIVE, 0 } };
    for (const auto& c : cases) {
        RunFlags = c.before;
        Log.clear();
        SendMessageA(ViewWindow, WM_ACTIVATE, c.state, 0);
        EXPECT_EQ(RunFlags, c.after) << c.state;
        EXPECT_EQ(Log, c.after ? Calls {} : Calls { "reactivate" }) << c.state;
    }
}

} // namespace
