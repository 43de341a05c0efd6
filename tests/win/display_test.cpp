// DirectDraw error texts, the display-mode catalogue, the full-screen presenter and its frames, against
// scripted DirectDraw fakes.
#include <cstring>

#include "base/alloc.h"
#include "win32/app/win32_frame.h"

#include "win32_display_fakes.h"

namespace {

// Unknown codes share one buffer, which a known code leaves alone.
TEST(DDErrorText, KnownCodesUnknownCodesAndTheSharedBuffer)
{
    EXPECT_STREQ(DDErrorText(0), "No error");
    EXPECT_STREQ(DDErrorText(0x88760230), "Rectangle provided"); // the table's last row
    EXPECT_EQ(DDErrorText(0x8007000E), DDErrorText(0x8876017C)); // two codes, one text
    const char* unknown = DDErrorText(1);
    EXPECT_STREQ(unknown, "unknown error: 00000001");
    EXPECT_STREQ(DDErrorText(DDERR_SURFACELOST),
        "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface "
        "object representing this surface should have Restore called on it.");
    EXPECT_STREQ(unknown, "unknown error: 00000001");
    EXPECT_EQ(DDErrorText(0x8876ABCD), unknown);
    EXPECT_STREQ(unknown, "unknown error: 8876ABCD");
}

const char ModeFile[] = "zqx_TEMP.XQZ";

IDirectDraw* Created = nullptr;
HRESULT WINAPI CreateFake(GUID* driver, IDirectDraw** object, IUnknown* outer)
{
    *object = Created;
    return driver || outer ? DDERR_INVALIDPARAMS : Answer("DirectDrawCreate");
}

class Catalogue : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        InFreshDirectory();
        DirectDrawCreateFunction = CreateFake;
        Created = &dd;
    }
    void TearDown() override
    {
        FreeModeCatalogue();
        DeleteFileA(ModeFile);
        DisplayTest::TearDown();
    }
};

// Every mode and depth in the driver's order, whole records, through a file left over under the temporary
// name (overwritten, and gone afterwards); one block, freed once.
TEST_F(Catalogue, KeepsEveryModeInTheDriversOrderAndFreesOnce)
{
    HANDLE old = CreateFileA(ModeFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    ASSERT_TRUE(WriteFile(old, std::string(1000, '\xAB').data(), 1000, &written, nullptr));
    CloseHandle(old);
    dd.modes = { Mode(320, 200, 8, 1), Mode(320, 200, 16, 2), Mode(320, 200, 32, 3), Mode(640, 480, 8, 4),
        Mode(640, 480, 8, 5), Mode(1024, 768, 16, 6) };
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    ASSERT_EQ(InitModeCatalogue(), 0);
    ASSERT_EQ(ModeCount, 6);
    EXPECT_EQ(std::memcmp(ModeCatalogue, dd.modes.data(), 6 * sizeof(DDSURFACEDESC)), 0);
    EXPECT_EQ(GetFileAttributesA(ModeFile), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FreeModeCatalogue(), 0);
    EXPECT_EQ(FreeModeCatalogue(), -1);
    EXPECT_EQ(Log, (Calls { "DirectDrawCreate", "dd.EnumDisplayModes", "dd.Release" }));
    EXPECT_EQ(AllocCount - allocs, 1u);
    EXPECT_EQ(ReleaseCount - releases, 1u);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Catalogue, EachFailureShowsItsTextUndoesWhatWasMadeAndReturnsItsCode)
{
    const Calls made = { "DirectDrawCreate", "dd.EnumDisplayModes", "dd.Release" };
    const struct {
        Script script;
        bool blockFile;
        int modes, result;
        Calls log, boxes;
    } cases[] = {
        { { { "DirectDrawCreate", { DDERR_NODIRECTDRAWHW } } }, false, 2, -1, { "DirectDrawCreate" },
            { std::string("DirectDraw Error: ") + DDErrorText(DDERR_NODIRECTDRAWHW) } },
        { {}, true, 2, -1, { "DirectDrawCreate", "dd.Release" }, { "initialization error: can't open temporary file" } },
        { { { "dd.EnumDisplayModes", { DDERR_GENERIC } } }, false, 2, -2, made, { "DirectDraw Error: Generic failure." } },
        { {}, false, 0, -3, made, { "initialization error: can't allocate memory" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Answers = c.script;
        Log.clear(), Boxes.clear();
        dd.modes.assign(size_t(c.modes), Mode(640, 480, 8, 1));
        // A directory under the file's name: Wine ignores read-only directories, and root writes anyway.
        ASSERT_TRUE(!c.blockFile || CreateDirectoryA(ModeFile, nullptr));
        const uint32_t allocs = AllocCount;
        EXPECT_EQ(InitModeCatalogue(), c.result);
        EXPECT_EQ(Log, c.log);
        EXPECT_EQ(Boxes, c.boxes);
        EXPECT_EQ(AllocCount, allocs);
        EXPECT_EQ(DirectDrawObject, nullptr);
        EXPECT_EQ(ModeCatalogue, nullptr);
        EXPECT_EQ(FreeModeCatalogue(), -1); // nothing set up, nothing released
        EXPECT_EQ(Log, c.log);
        RemoveDirectoryA(ModeFile);
    }
}

// ---- The full-screen presenter -------------------------------------------------------------

const std::string Whole = "0,0,640,480";
const Calls SetUpCalls = { "dd.SetCooperativeLevel 0x11", "dd.SetDisplayMode 640x480x8",
    "dd.CreateSurface 0x21 0x218 1", "primary.GetAttachedSurface 0x4", "dd.CreatePalette 0x4", "primary.SetPalette",
    "ShowCursor 0", "primary.Blt " + Whole, "back.Blt " + Whole };
const Calls Closed
    = { "primary.Release", "palette.Release", "dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8", "ShowCursor 1" };
const Calls Cleared = { "primary.Restore", "primary.Blt " + Whole, "back.Blt " + Whole };

using FullScreen = DisplayTest;

TEST_F(FullScreen, EachFailingStepUndoesTheStepsBeforeItShowsItsCaptionAndReturnsItsCode)
{
    const Calls normal = { "dd.SetCooperativeLevel 0x8" }, desktop = Calls { "dd.RestoreDisplayMode" } + normal;
    const struct {
        size_t step; // how many of SetUpCalls ran, the last one failing
        const char* call;
        HRESULT code;
        int result;
        const char* caption;
        Calls undo;
    } cases[] = {
        { 1, "dd.SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET, -1, "SetCooperativeLevel() failed", {} },
        { 2, "dd.SetDisplayMode", DDERR_INVALIDMODE, -2, "SetDisplayMode() failed", normal },
        { 3, "dd.CreateSurface", DDERR_OUTOFVIDEOMEMORY, -3, "CreateSurface() failed", desktop },
        { 4, "primary.GetAttachedSurface", DDERR_NOTFOUND, -4, "GetAttachedSurface() failed",
            Calls { "primary.Release" } + desktop },
        { 5, "dd.CreatePalette", DDERR_INVALIDPARAMS, -6, "CreatePalette() failed", Calls { "primary.Release" } + desktop },
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

// The close shows what the display refused (rdm: restoring the mode, scl: the normal level), once.
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
        Answers = { { "dd.RestoreDisplayMode", { c.restoreMode } }, { "dd.SetCooperativeLevel", { c.normal } } };
        CloseFullScreen();
        CloseFullScreen(); // the second finds nothing to do
        EXPECT_EQ(Log, Closed);
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
        { PresentFrame, true, { { flip, { DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING } } }, 0, { flip, flip, flip } },
        { PresentFrame, true, { { flip, { DDERR_SURFACELOST } } }, 0, { flip, restore, flip } },
        { PresentFrame, true, { { flip, { DDERR_SURFACELOST } }, { restore, { DDERR_WRONGMODE } } }, 1, { flip, restore } },
        { PresentFrame, true, { { flip, { DDERR_WASSTILLDRAWING, DDERR_NOTFLIPPABLE } } }, -1, { flip, flip } },
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

// A frame on a 640 x 480 mode: its 320 x 240 viewport lies at (160, 120) to (480, 360), drawn at the
// locked pitch; Lock -1 refused, -2 lost for good, -3 described nothing; band fills retried, restored
// or given up.
TEST_F(FullScreen, FramesLockTheViewportDrawAtTheLockedPitchAndEndWithTheirCodes)
{
    const uint8_t Colour = 0x4D, Untouched = 0xEE;
    const LONG Pitch = 400; // wider than the viewport, so a wrong pitch shows
    std::vector<uint8_t> memory(size_t(Pitch) * 240, Untouched);
    back.granted.lpSurface = memory.data();
    back.granted.lPitch = Pitch;
    Activate();
    const std::string restore = "primary.Restore", lock = "back.Lock", blt = "back.Blt";
    const std::string Lock = "back.Lock 160,120,480,360", top = "back.Blt 160,120,480,121",
                      bottom = "back.Blt 160,358,480,360";
    const Calls Drawn = { "back.Unlock", "back.GetDC", "back.ReleaseDC", "primary.Flip" };
    const DWORD Memory = DDSD_LPSURFACE;
    const struct {
        const char* name;
        uint16_t rows;
        DWORD fields;
        Script script;
        int result;
        Calls log;
    } cases[] = {
        { "drawn", 240, DDSD_LPSURFACE | DDSD_PITCH, {}, 0, Calls { Lock } + Drawn },
        { "refused", 240, Memory, { { lock, { DDERR_INVALIDRECT } } }, -1, { Lock } },
        { "lost, not restored", 240, Memory, { { lock, { DDERR_SURFACELOST } }, { restore, { DDERR_WRONGMODE } } }, -2,
            { Lock, restore } },
        { "lost twice, restored", 240, DDSD_PITCH, { { lock, { DDERR_SURFACELOST, DDERR_SURFACELOST } } }, 0,
            Calls { Lock, restore, Lock, restore, Lock } + Drawn },
        { "lost, restored, refused", 240, Memory, { { lock, { DDERR_SURFACELOST, DDERR_GENERIC } } }, -1,
            { Lock, restore, Lock } },
        { "fields outside the mask", 240, DDSD_CAPS | 0x10 | 0x200 | DDSD_MIPMAPCOUNT | DDSD_REFRESHRATE, {}, -3,
            { Lock, "back.Unlock" } },
        { "one field inside the mask", 240, DDSD_CAPS | DDSD_CKSRCBLT, {}, 0, Calls { Lock } + Drawn },
        { "no device context, no text", 240, Memory, { { "back.GetDC", { DDERR_SURFACELOST } } }, 0,
            { Lock, "back.Unlock", "back.GetDC", "primary.Flip" } },
        { "bottom band", 239, Memory, {}, 0, Calls { "back.Blt 160,359,480,360", Lock } + Drawn },
        { "no backdrop", 0, Memory, {}, 0, Calls { "back.Blt 160,120,480,240", "back.Blt 160,240,480,360", Lock } + Drawn },
        { "both bands", 237, Memory, {}, 0, Calls { top, bottom, Lock } + Drawn },
        { "still drawing twice", 237, Memory, { { blt, { DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING } } }, 0,
            Calls { top, top, top, bottom, Lock } + Drawn },
        { "lost and restored", 237, Memory, { { blt, { DDERR_SURFACELOST } } }, 0,
            Calls { top } + Cleared + Calls { top, bottom, Lock } + Drawn },
        { "lost, not restored", 237, Memory, { { blt, { DDERR_SURFACELOST } }, { restore, { DDERR_WRONGMODE } } }, 0,
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
        for (LONG row = 0; &c == cases && row < 240; ++row) { // the backdrop, 320 pixels a row, at the pitch
            const uint8_t* line = memory.data() + row * Pitch;
            ASSERT_TRUE(line[0] == Colour && line[319] == Colour && line[320] == Untouched) << row;
        }
    }
}

} // namespace
