// The full-screen presenter against fake DirectDraw objects: set-up, restore, flip, reactivation, close.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "win32_display_fakes.h"

namespace {

using Calls = std::vector<std::string>;

const RECT WholeMode = {0, 0, 640, 480};

const Calls SetUpCalls = {"dd.SetCooperativeLevel 0x11", "dd.SetDisplayMode 640x480x8", "dd.CreateSurface",
    "primary.GetAttachedSurface 0x4", "dd.CreatePalette 0x4", "primary.SetPalette", "ShowCursor 0",
    "primary.Blt", "back.Blt"};

using InitFullScreenTest = FullScreenFakes;

TEST_F(InitFullScreenTest, SetsUpTheModeTheFlippingPairAndThePalette)
{
    ASSERT_EQ(InitFullScreen(), 0);
    EXPECT_EQ(DDCalls, SetUpCalls);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(dd.cooperationWindow, ViewWindow);

    // The chain request: a zeroed description but for size, flags, caps and one back buffer.
    DDSURFACEDESC expected = {};
    expected.dwSize = 108;
    expected.dwFlags = 0x21;
    expected.ddsCaps.dwCaps = 0x218;
    expected.dwBackBufferCount = 1;
    EXPECT_EQ(std::memcmp(&dd.surfaceRequest, &expected, sizeof expected), 0);

    EXPECT_EQ(dd.paletteEntries, ProgramPalette.entries);
    EXPECT_EQ(primary.palette, &palette);
    EXPECT_EQ(PrimarySurface, &primary);
    EXPECT_EQ(BackSurface, &back);
    EXPECT_EQ(FullScreenPalette, &palette);
    EXPECT_EQ(FullScreenStatus, 0);
    EXPECT_EQ(CursorHides, 1);
    ASSERT_EQ(primary.blts.size(), 1u);
    ASSERT_EQ(back.blts.size(), 1u);
    ExpectFill(primary.blts[0], WholeMode);
    ExpectFill(back.blts[0], WholeMode);
}

TEST_F(InitFullScreenTest, TheFillResultsAreIgnored)
{
    primary.blt.otherwise = DDERR_GENERIC;
    back.blt.otherwise = DDERR_SURFACELOST;
    EXPECT_EQ(InitFullScreen(), 0);
    EXPECT_EQ(DDCalls, SetUpCalls);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(InitFullScreenTest, EachFailingStepUndoesTheStepsBeforeItShowsItsTextAndReturnsItsCode)
{
    const struct {
        int step; // 1-based, in the order of SetUpCalls
        HRESULT code;
        int result;
        const char* caption;
        Calls undo;
    } cases[] = {
        {1, DDERR_EXCLUSIVEMODEALREADYSET, -1, "SetCooperativeLevel() failed", {}},
        {2, DDERR_INVALIDMODE, -2, "SetDisplayMode() failed", {"dd.SetCooperativeLevel 0x8"}},
        {3, DDERR_OUTOFVIDEOMEMORY, -3, "CreateSurface() failed",
            {"dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8"}},
        {4, DDERR_NOTFOUND, -4, "GetAttachedSurface() failed",
            {"primary.Release", "dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8"}},
        {5, DDERR_INVALIDPARAMS, -6, "CreatePalette() failed",
            {"primary.Release", "dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8"}},
        {6, HRESULT(0x88760999), -7, "SetPalette() failed",
            {"palette.Release", "primary.Release", "dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        dd.cooperate = {};
        dd.setMode = {};
        dd.createSurface = {};
        primary.getAttached = {};
        dd.createPalette = {};
        primary.setPalette = {};
        primary.releases = palette.releases = 0;
        DDCalls.clear();
        Boxes.clear();
        CursorHides = 0;
        Answers* failing[] = {&dd.cooperate, &dd.setMode, &dd.createSurface, &primary.getAttached,
            &dd.createPalette, &primary.setPalette};
        failing[c.step - 1]->Queue({c.code});

        EXPECT_EQ(InitFullScreen(), c.result);
        Calls expected(SetUpCalls.begin(), SetUpCalls.begin() + c.step);
        expected.insert(expected.end(), c.undo.begin(), c.undo.end());
        EXPECT_EQ(DDCalls, expected);
        EXPECT_EQ(Boxes, Calls{std::string(c.caption) + ": " + DDErrorText(uint32_t(c.code))});
        EXPECT_EQ(CursorHides, 0);
        EXPECT_EQ(PrimarySurface, nullptr);
        EXPECT_EQ(BackSurface, nullptr);
        EXPECT_EQ(FullScreenPalette, nullptr);
        EXPECT_EQ(FullScreenStatus, -1);

        // Nothing is left for the close to release.
        DDCalls.clear();
        CloseFullScreen();
        EXPECT_TRUE(DDCalls.empty());
    }
}

// ---- RestoreSurfaces ----------------------------------------------------------------------

using RestoreSurfacesTest = FullScreenFakes;

TEST_F(RestoreSurfacesTest, RestoresThePrimaryAndClearsBothOnlyWhenAskedWithOne)
{
    const struct {
        int clear;
        HRESULT restore;
        Calls calls;
    } cases[] = {
        {0, DD_OK, {"primary.Restore"}},
        {0, DDERR_WRONGMODE, {"primary.Restore"}},
        {1, DD_OK, {"primary.Restore", "primary.Blt", "back.Blt"}},
        {1, DDERR_WRONGMODE, {"primary.Restore", "primary.Blt", "back.Blt"}}, // cleared all the same
        {2, DD_OK, {"primary.Restore"}},
    };
    Activate();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clear);
        DDCalls.clear();
        primary.blts.clear();
        back.blts.clear();
        primary.restore.Queue({c.restore});
        EXPECT_EQ(RestoreSurfaces(c.clear), int(c.restore));
        EXPECT_EQ(DDCalls, c.calls);
        if (c.clear == 1) {
            ASSERT_EQ(primary.blts.size(), 1u);
            ASSERT_EQ(back.blts.size(), 1u);
            ExpectFill(primary.blts[0], WholeMode);
            ExpectFill(back.blts[0], WholeMode);
        }
    }
}

// ---- PresentFrame -------------------------------------------------------------------------

using PresentFrameTest = FullScreenFakes;

TEST_F(PresentFrameTest, FlipsUntilAcceptedRestoringLostSurfacesOnTheWay)
{
    const struct {
        const char* name;
        std::vector<HRESULT> flips;
        std::vector<HRESULT> restores;
        int result;
        size_t flipCalls, restoreCalls;
    } cases[] = {
        {"accepted at once", {DD_OK}, {}, 0, 1, 0},
        {"still drawing twice", {DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING, DD_OK}, {}, 0, 3, 0},
        {"lost, restored", {DDERR_SURFACELOST, DD_OK}, {DD_OK}, 0, 2, 1},
        {"lost, not restored", {DDERR_SURFACELOST, DD_OK}, {DDERR_WRONGMODE}, 1, 1, 1},
        {"mixed", {DDERR_WASSTILLDRAWING, DDERR_SURFACELOST, DDERR_WASSTILLDRAWING, DDERR_SURFACELOST, DD_OK},
            {DD_OK, DD_OK}, 0, 5, 2},
        {"other error", {DDERR_NOTFLIPPABLE, DD_OK}, {}, -1, 1, 0},
        {"other error after a wait", {DDERR_WASSTILLDRAWING, DDERR_GENERIC}, {}, -1, 2, 0},
    };
    Activate();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DDCalls.clear();
        primary.flip.next.assign(c.flips.begin(), c.flips.end());
        primary.flip.otherwise = DD_OK;
        primary.restore.next.assign(c.restores.begin(), c.restores.end());
        EXPECT_EQ(PresentFrame(), c.result);
        const Calls flips = CallsOf("primary.Flip");
        EXPECT_EQ(flips.size(), c.flipCalls);
        EXPECT_EQ(flips, Calls(c.flipCalls, "primary.Flip null 0x0"));
        EXPECT_EQ(CallsOf("primary.Restore").size(), c.restoreCalls);
        EXPECT_TRUE(CallsOf("primary.Blt").empty()); // restored without clearing
        EXPECT_TRUE(CallsOf("back.Blt").empty());
    }
}

TEST_F(PresentFrameTest, NothingIsFlippedWhileTheFullScreenViewIsNotSetUp)
{
    EXPECT_EQ(PresentFrame(), -1);
    EXPECT_TRUE(DDCalls.empty());
}

// ---- ReactivateDisplay --------------------------------------------------------------------

using ReactivateTest = FullScreenFakes;

TEST_F(ReactivateTest, RestoresAndClearsOnlyASurfaceThatSaysItIsLost)
{
    const struct {
        HRESULT lost;
        Calls calls;
    } cases[] = {
        {DDERR_SURFACELOST, {"primary.IsLost", "primary.Restore", "primary.Blt", "back.Blt"}},
        {DD_OK, {"primary.IsLost"}},
        {DDERR_GENERIC, {"primary.IsLost"}},
    };
    Activate();
    for (const auto& c : cases) {
        DDCalls.clear();
        primary.isLost.Queue({c.lost});
        ReactivateDisplay();
        EXPECT_EQ(DDCalls, c.calls) << std::hex << c.lost;
    }
}

TEST_F(ReactivateTest, DoesNothingWhileTheFullScreenViewIsNotSetUp)
{
    ReactivateDisplay();
    EXPECT_TRUE(DDCalls.empty());
}

// ---- CloseFullScreen ----------------------------------------------------------------------

using CloseFullScreenTest = FullScreenFakes;

TEST_F(CloseFullScreenTest, ReleasesRestoresTheDesktopAndShowsWhatFailed)
{
    const struct {
        HRESULT restoreMode, normal;
        Calls boxes;
    } cases[] = {
        {DD_OK, DD_OK, {}},
        {DDERR_NOEXCLUSIVEMODE, DD_OK, {std::string("rdm: ") + DDErrorText(DDERR_NOEXCLUSIVEMODE)}},
        {DD_OK, DDERR_HWNDALREADYSET, {std::string("scl: ") + DDErrorText(DDERR_HWNDALREADYSET)}},
        {DDERR_GENERIC, DDERR_INVALIDPARAMS,
            {"rdm: Generic failure.", std::string("scl: ") + DDErrorText(DDERR_INVALIDPARAMS)}},
    };
    for (const auto& c : cases) {
        Activate();
        DDCalls.clear();
        Boxes.clear();
        CursorShows = 0;
        dd.restoreMode.Queue({c.restoreMode});
        dd.cooperate.Queue({c.normal});

        CloseFullScreen();
        EXPECT_EQ(DDCalls,
            (Calls{"primary.Release", "palette.Release", "dd.RestoreDisplayMode",
                "dd.SetCooperativeLevel 0x8", "ShowCursor 1"}));
        EXPECT_EQ(dd.cooperationWindow, ViewWindow);
        EXPECT_EQ(Boxes, c.boxes);
        EXPECT_EQ(CursorShows, 1);
        EXPECT_EQ(PrimarySurface, nullptr);
        EXPECT_EQ(BackSurface, nullptr);
        EXPECT_EQ(FullScreenPalette, nullptr);
        EXPECT_EQ(FullScreenStatus, -1);

        DDCalls.clear();
        CloseFullScreen(); // a second close finds nothing to do
        EXPECT_TRUE(DDCalls.empty());
        EXPECT_EQ(CursorShows, 1);
    }
}

TEST_F(CloseFullScreenTest, EveryOpenAndCloseLeavesTheCursorAsItWas)
{
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(InitFullScreen(), 0);
        EXPECT_EQ(CursorHides - CursorShows, 1);
        CloseFullScreen();
        EXPECT_EQ(CursorHides, CursorShows);
        // A failed open in between neither hides nor shows it.
        primary.setPalette.Queue({DDERR_GENERIC});
        EXPECT_EQ(InitFullScreen(), -7);
        CloseFullScreen();
        EXPECT_EQ(CursorHides, CursorShows);
    }
    EXPECT_EQ(CursorHides, 3);
}

} // namespace
