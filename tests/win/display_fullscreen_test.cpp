// The full-screen presenter and its frames against scripted DirectDraw fakes.
#include "win32/app/win32_frame.h"

#include "win32_display_fakes.h"

namespace {

const std::string Whole = "0,0,640,480";
const Calls SetUpCalls = { "dd.SetCooperativeLevel 0x11", "dd.SetDisplayMode 640x480x8",
    "dd.CreateSurface 0x21 0x218 1", "primary.GetAttachedSurface 0x4", "dd.CreatePalette 0x4",
    "primary.SetPalette", "ShowCursor 0", "primary.Blt " + Whole, "back.Blt " + Whole };
const Calls Cleared = { "primary.Restore", "primary.Blt " + Whole, "back.Blt " + Whole };

Calls operator+(Calls a, const Calls& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using FullScreen = DisplayTest;

TEST_F(FullScreen, EachFailingStepUndoesTheStepsBeforeItShowsItsCaptionAndReturnsItsCode)
{
    const Calls normal = { "dd.SetCooperativeLevel 0x8" },
                desktop = Calls { "dd.RestoreDisplayMode" } + normal;
    const struct {
        size_t step; // how many of SetUpCalls ran, the last one failing
        const char* call;
        HRESULT code;
        int result;
        const char* caption;
        Calls undo;
    } cases[] = {
        { 1, "dd.SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET, -1, "SetCooperativeLevel() failed",
            {} },
        { 2, "dd.SetDisplayMode", DDERR_INVALIDMODE, -2, "SetDisplayMode() failed", normal },
        { 3, "dd.CreateSurface", DDERR_OUTOFVIDEOMEMORY, -3, "CreateSurface() failed", desktop },
        { 4, "primary.GetAttachedSurface", DDERR_NOTFOUND, -4, "GetAttachedSurface() failed",
            Calls { "primary.Release" } + desktop },
        { 5, "dd.CreatePalette", DDERR_INVALIDPARAMS, -6, "CreatePalette() failed",
            Calls { "primary.Release" } + desktop },
        { 6, "primary.SetPalette", HRESULT(0x88760999), -7, "SetPalette() failed",
            Calls { "palette.Release", "primary.Release" } + desktop },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        Log.clear(), Boxes.clear();
        Answers = { { c.call, { c.code } } };
        EXPECT_EQ(InitFullScreen(), c.result);
        EXPECT_EQ(Log, Calls(SetUpCalls.begin(), SetUpCalls.begin() + c.step) + c.undo);
        EXPECT_EQ(Boxes, Calls { std::string(c.caption) + ": " + DDErrorText(uint32_t(c.code)) });
        EXPECT_EQ(PrimarySurface, nullptr);
        EXPECT_EQ(BackSurface, nullptr);
        EXPECT_EQ(FullScreenPalette, nullptr);
        Log.clear();
        CloseFullScreen(); // nothing is left to close
        EXPECT_TRUE(Log.empty());
    }
}

TEST_F(FullScreen, OpensAndClosesInOrderShowingWhatTheCloseRefusedAndBalancingTheCursor)
{
    const struct {
        HRESULT restoreMode, normal;
        Calls boxes;
    } cases[] = {
        { DD_OK, DD_OK, {} },
        { DDERR_NOEXCLUSIVEMODE, DD_OK, { std::string("rdm: ") + DDErrorText(DDERR_NOEXCLUSIVEMODE) } },
        { DDERR_GENERIC, DDERR_INVALIDPARAMS,
            { "rdm: Generic failure.", std::string("scl: ") + DDErrorText(DDERR_INVALIDPARAMS) } },
    };
    for (const auto& c : cases) {
        Log.clear(), Boxes.clear();
        ASSERT_EQ(InitFullScreen(), 0);
        EXPECT_EQ(Log, SetUpCalls);
        EXPECT_EQ(PrimarySurface, &primary);
        EXPECT_EQ(BackSurface, &back);
        EXPECT_EQ(FullScreenPalette, &palette);
        Log.clear();
        Answers
            = { { "dd.RestoreDisplayMode", { c.restoreMode } }, { "dd.SetCooperativeLevel", { c.normal } } };
        CloseFullScreen();
        CloseFullScreen(); // the second finds nothing to do
        EXPECT_EQ(Log,
            (Calls { "primary.Release", "palette.Release", "dd.RestoreDisplayMode",
                "dd.SetCooperativeLevel 0x8", "ShowCursor 1" }));
        EXPECT_EQ(Boxes, c.boxes);
        EXPECT_EQ(CursorShown, 0);
        EXPECT_EQ(PrimarySurface, nullptr);
    }
}

// RestoreSurfaces, PresentFrame's flips and ReactivateDisplay on a lost or still busy surface.
TEST_F(FullScreen, LostSurfacesAreRestoredAndPendingFlipsAskedAgain)
{
    const std::string flip = "primary.Flip", restore = "primary.Restore", lost = "primary.IsLost";
    int (*const clear0)() = [] { return RestoreSurfaces(0); };
    int (*const clear1)() = [] { return RestoreSurfaces(1); };
    int (*const reactivate)() = [] { return ReactivateDisplay(), 0; };
    const struct {
        int (*act)();
        bool active;
        Script script;
        int result;
        Calls log;
    } cases[] = {
        { clear0, true, {}, 0, { restore } },
        { clear1, true, {}, 0, Cleared },
        { clear1, true, { { restore, { DDERR_WRONGMODE } } }, int(DDERR_WRONGMODE), Cleared },
        { PresentFrame, true, {}, 0, { flip } },
        { PresentFrame, true, { { flip, { DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING } } }, 0,
            { flip, flip, flip } },
        { PresentFrame, true, { { flip, { DDERR_SURFACELOST } } }, 0, { flip, restore, flip } },
        { PresentFrame, true, { { flip, { DDERR_SURFACELOST } }, { restore, { DDERR_WRONGMODE } } }, 1,
            { flip, restore } },
        { PresentFrame, true, { { flip, { DDERR_WASSTILLDRAWING, DDERR_NOTFLIPPABLE } } }, -1,
            { flip, flip } },
        { PresentFrame, false, {}, -1, {} },
        { reactivate, true, { { lost, { DDERR_SURFACELOST } } }, 0, Calls { lost } + Cleared },
        { reactivate, true, {}, 0, { lost } },
        { reactivate, true, { { lost, { DDERR_GENERIC } } }, 0, { lost } },
        { reactivate, false, { { lost, { DDERR_SURFACELOST } } }, 0, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        FullScreenStatus = -1;
        if (c.active)
            Activate();
        Log.clear();
        Answers = c.script;
        EXPECT_EQ(c.act(), c.result);
        EXPECT_EQ(Log, c.log);
    }
}

// A frame on a 640 x 480 mode: its 320 x 240 viewport lies at (160, 120) to (480, 360).
class Frame : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        UseBackdrop(240, Colour);
        memory.assign(size_t(Pitch) * 240, Untouched);
        back.granted.dwFlags = DDSD_LPSURFACE | DDSD_PITCH;
        back.granted.lpSurface = memory.data();
        back.granted.lPitch = Pitch;
        Activate();
    }
    static constexpr uint8_t Colour = 0x4D, Untouched = 0xEE;
    static constexpr LONG Pitch = 400; // wider than the viewport, so a wrong pitch shows
    std::vector<uint8_t> memory;
};

const std::string Lock = "back.Lock 160,120,480,360";
const Calls Drawn = { "back.Unlock", "back.GetDC", "back.ReleaseDC", "primary.Flip" };

TEST_F(Frame, LocksTheViewportDrawsAtTheLockedPitchAndUnlocksBeforeTheText)
{
    EXPECT_EQ(RenderFrame(), 0);
    EXPECT_EQ(Log, Calls { Lock } + Drawn);
    EXPECT_EQ(back.locksHeld, 0);
    for (LONG row = 0; row < 240; ++row) {
        const uint8_t* line = memory.data() + row * Pitch;
        ASSERT_EQ(line[0], Colour) << row;
        ASSERT_EQ(line[319], Colour) << row;
        ASSERT_EQ(line[320], Untouched) << row;
    }
}

// Lock: -1 refused, -2 lost for good, -3 described nothing. Band fills: retried, restored, or given up.
TEST_F(Frame, LockAndBandFillPathsEndTheFrameWithTheirCodes)
{
    const std::string restore = "primary.Restore", lock = "back.Lock", blt = "back.Blt";
    const std::string top = "back.Blt 160,120,480,121", bottom = "back.Blt 160,358,480,360";
    const DWORD Memory = DDSD_LPSURFACE;
    const struct {
        const char* name;
        uint16_t rows;
        DWORD fields;
        Script script;
        int result;
        Calls log;
    } cases[] = {
        { "refused", 240, Memory, { { lock, { DDERR_INVALIDRECT } } }, -1, { Lock } },
        { "lost, not restored", 240, Memory,
            { { lock, { DDERR_SURFACELOST } }, { restore, { DDERR_WRONGMODE } } }, -2, { Lock, restore } },
        { "lost twice, restored", 240, DDSD_PITCH, { { lock, { DDERR_SURFACELOST, DDERR_SURFACELOST } } }, 0,
            Calls { Lock, restore, Lock, restore, Lock } + Drawn },
        { "lost, restored, refused", 240, Memory, { { lock, { DDERR_SURFACELOST, DDERR_GENERIC } } }, -1,
            { Lock, restore, Lock } },
        { "fields outside the mask", 240, DDSD_CAPS | 0x10 | 0x200 | DDSD_MIPMAPCOUNT | DDSD_REFRESHRATE, {},
            -3, { Lock, "back.Unlock" } },
        { "one field inside the mask", 240, DDSD_CAPS | DDSD_CKSRCBLT, {}, 0, Calls { Lock } + Drawn },
        { "no device context, no text", 240, Memory, { { "back.GetDC", { DDERR_SURFACELOST } } }, 0,
            { Lock, "back.Unlock", "back.GetDC", "primary.Flip" } },
        { "bottom band", 239, Memory, {}, 0, Calls { "back.Blt 160,359,480,360", Lock } + Drawn },
        { "no backdrop", 0, Memory, {}, 0,
            Calls { "back.Blt 160,120,480,240", "back.Blt 160,240,480,360", Lock } + Drawn },
        { "both bands", 237, Memory, {}, 0, Calls { top, bottom, Lock } + Drawn },
        { "still drawing twice", 237, Memory, { { blt, { DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING } } },
            0, Calls { top, top, top, bottom, Lock } + Drawn },
        { "lost and restored", 237, Memory, { { blt, { DDERR_SURFACELOST } } }, 0,
            Calls { top } + Cleared + Calls { top, bottom, Lock } + Drawn },
        { "lost, not restored", 237, Memory,
            { { blt, { DDERR_SURFACELOST } }, { restore, { DDERR_WRONGMODE } } }, 0,
            Calls { top } + Cleared + Calls { Lock } + Drawn },
        { "other error", 237, Memory, { { blt, { DDERR_INVALIDRECT } } }, 0, Calls { top, Lock } + Drawn },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseBackdrop(c.rows, Colour);
        back.granted.dwFlags = c.fields;
        Log.clear();
        Answers = c.script;
        EXPECT_EQ(RenderFrame(), c.result);
        EXPECT_EQ(Log, c.log);
        EXPECT_EQ(back.locksHeld, 0); // no path leaves the back buffer locked
    }
}

} // namespace
