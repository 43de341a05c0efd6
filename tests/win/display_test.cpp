// The display-mode catalogue, the full-screen presenter and its frames, against scripted DirectDraw fakes.
#include <cstdio>
#include <cstring>

#include "base/alloc.h"
#include "win32/app/win32_frame.h"

#include "win32_display_fakes.h"

namespace {

const char ModeFile[] = "zqx_TEMP.XQZ";
IDirectDraw* Created = nullptr;
HRESULT WINAPI CreateFake(GUID* driver, IDirectDraw** object, IUnknown* outer)
{
    *object = Created;
    return driver || outer ? DDERR_INVALIDPARAMS : Answer("DirectDrawCreate");
}

// Every mode in the driver's order, whole records, through a leftover file of the temporary name (gone
// afterwards), one block freed once, entries up to the last one; or each failure's text, code and undoing.
TEST_F(DisplayTest, TheCatalogueKeepsEveryModeOrFailsWithItsTextAndCode)
{
    InFreshDirectory();
    DirectDrawCreateFunction = CreateFake;
    Created = &dd;
    FILE* old = std::fopen(ModeFile, "wb");
    ASSERT_EQ(std::fwrite(std::string(1000, '\xAB').data(), 1, 1000, old), 1000u);
    std::fclose(old);
    const std::vector<DDSURFACEDESC> six = { Mode(320, 200, 8, 1), Mode(320, 200, 16, 2),
        Mode(320, 200, 32, 3), Mode(640, 480, 8, 4), Mode(640, 480, 8, 5), Mode(1024, 768, 16, 6) };
    const Calls made = { "DirectDrawCreate", "dd.EnumDisplayModes", "dd.Release" };
    // clang-format off
    const struct { Script script; bool blockFile; size_t modes; int result; Calls log, boxes; } cases[] = {
        { {}, false, 6, 0, made, {} },
        { { { "DirectDrawCreate", { DDERR_NODIRECTDRAWHW } } }, false, 2, -1, { "DirectDrawCreate" },
            { std::string("DirectDraw Error: ") + DDErrorText(DDERR_NODIRECTDRAWHW) } },
        { {}, true, 2, -1, { "DirectDrawCreate", "dd.Release" }, { "initialization error: can't open temporary file" } },
        { { { "dd.EnumDisplayModes", { DDERR_GENERIC } } }, false, 2, -2, made, { "DirectDraw Error: Generic failure." } },
        { {}, false, 0, -3, made, { "initialization error: can't allocate memory" } },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Answers = c.script, Log.clear(), Boxes.clear();
        dd.modes.assign(six.begin(), six.begin() + c.modes);
        // A directory under the file's name: Wine ignores read-only directories, and root writes anyway.
        ASSERT_TRUE(!c.blockFile || CreateDirectoryA(ModeFile, nullptr));
        const uint32_t allocs = AllocCount, releases = ReleaseCount;
        EXPECT_EQ(InitModeCatalogue(), c.result);
        EXPECT_EQ(Boxes, c.boxes);
        EXPECT_EQ(ModeCount, c.result ? 0 : 6);
        EXPECT_TRUE(
            c.result ? !ModeCatalogue : !std::memcmp(ModeCatalogue, six.data(), 6 * sizeof(DDSURFACEDESC)));
        for (int32_t i = -1; i <= 6; ++i) // none below 0 or at the catalogue's end
            EXPECT_EQ(CatalogueEntry(i), !c.result && i >= 0 && i < 6 ? &ModeCatalogue[i] : nullptr) << i;
        EXPECT_EQ(FreeModeCatalogue(), c.result ? -1 : 0);
        EXPECT_EQ(FreeModeCatalogue(), -1);
        EXPECT_EQ(DirectDrawObject, nullptr);
        EXPECT_EQ(AllocCount - allocs, c.result ? 0u : 1u); // one block, given back
        EXPECT_EQ(ReleaseCount - releases, c.result ? 0u : 1u);
        EXPECT_EQ(Log, c.log);
        RemoveDirectoryA(ModeFile);
        EXPECT_EQ(GetFileAttributesA(ModeFile), INVALID_FILE_ATTRIBUTES);
    }
}

const std::string Whole = "0,0,640,480";
const Calls SetUpCalls = { "dd.SetCooperativeLevel 0x11", "dd.SetDisplayMode 640x480x8",
    "dd.CreateSurface 0x21 0x218 1", "primary.GetAttachedSurface 0x4", "dd.CreatePalette 0x4",
    "primary.SetPalette", "ShowCursor 0", "primary.Blt " + Whole, "back.Blt " + Whole };

// A failing step undoes the ones before it and shows its caption; the close after a success shows what
// the display refused (rdm: the mode, scl: the normal level) and finds nothing the second time.
TEST_F(DisplayTest, FullScreenOpensAndClosesInOrderAndEachFailingStepUndoesTheOnesBefore)
{
    EXPECT_STREQ(DDErrorText(0), "No error"); // the one known code that is no failure
    EXPECT_STREQ(DDErrorText(0x1234), "unknown error: 00001234"); // always eight digits
    const Calls normal = { "dd.SetCooperativeLevel 0x8" },
                desktop = Calls { "dd.RestoreDisplayMode" } + normal;
    const std::string generic = DDErrorText(DDERR_GENERIC), refused = DDErrorText(DDERR_INVALIDPARAMS);
    // step: how many of SetUpCalls ran, the last one failing; 0: none fails
    // clang-format off
    const struct { size_t step; Script script; int result; Calls undo, boxes; } cases[] = {
        { 1, { { "dd.SetCooperativeLevel", { DDERR_GENERIC } } }, -1, {}, { "SetCooperativeLevel() failed: " + generic } },
        { 2, { { "dd.SetDisplayMode", { DDERR_GENERIC } } }, -2, normal, { "SetDisplayMode() failed: " + generic } },
        { 3, { { "dd.CreateSurface", { DDERR_GENERIC } } }, -3, desktop, { "CreateSurface() failed: " + generic } },
        { 4, { { "primary.GetAttachedSurface", { DDERR_GENERIC } } }, -4, Calls { "primary.Release" } + desktop,
            { "GetAttachedSurface() failed: " + generic } },
        { 5, { { "dd.CreatePalette", { DDERR_INVALIDPARAMS } } }, -6, Calls { "primary.Release" } + desktop,
            { "CreatePalette() failed: " + refused } },
        { 6, { { "primary.SetPalette", { DDERR_GENERIC } } }, -7, Calls { "palette.Release", "primary.Release" } + desktop,
            { "SetPalette() failed: " + generic } },
        { 0, {}, 0, {}, {} },
        { 0, { { "dd.RestoreDisplayMode", { DDERR_GENERIC } } }, 0, {}, { "rdm: " + generic } },
        { 0, { { "dd.RestoreDisplayMode", { DDERR_GENERIC } }, { "dd.SetCooperativeLevel", { DD_OK, DDERR_INVALIDPARAMS } } },
            0, {}, { "rdm: " + generic, "scl: " + refused } },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Answers = c.script, Log.clear(), Boxes.clear();
        EXPECT_EQ(InitFullScreen(), c.result);
        EXPECT_EQ(
            PrimarySurface == &primary && BackSurface == &back && FullScreenPalette == &palette, !c.result);
        CloseFullScreen();
        CloseFullScreen(); // the second finds nothing to do
        EXPECT_EQ(Log,
            c.step ? Calls(SetUpCalls.begin(), SetUpCalls.begin() + c.step) + c.undo : SetUpCalls + Closed);
        EXPECT_EQ(Boxes, c.boxes);
        EXPECT_EQ(CursorShown, 0);
        EXPECT_TRUE(!PrimarySurface && !BackSurface && !FullScreenPalette);
    }
}

// The 320 x 240 viewport of a 640 x 480 mode, (160, 120) to (480, 360), drawn at the locked pitch: Lock -1
// refused, -2 lost for good, -3 described nothing; bands filled where the backdrop does not reach.
TEST_F(DisplayTest, FullScreenFramesLockTheViewportDrawAtTheLockedPitchAndEndWithTheirCodes)
{
    const uint8_t Colour = 0x4D, Untouched = 0xEE;
    const LONG Pitch = 400; // wider than the viewport, so a wrong pitch shows
    std::vector<uint8_t> memory(size_t(Pitch) * 240, Untouched), picture;
    back.granted.lpSurface = memory.data(), back.granted.lPitch = Pitch;
    Activate();
    // clang-format off
    const std::string restore = "primary.Restore", lock = "back.Lock", blt = "back.Blt", flip = "primary.Flip";
    const std::string Lock = "back.Lock 160,120,480,360", top = "back.Blt 160,120,480,121", bottom = "back.Blt 160,358,480,360";
    const Calls Cleared = { restore, "primary.Blt " + Whole, "back.Blt " + Whole }; // the surfaces restored, then filled
    const Calls Drawn = { "back.Unlock", "back.GetDC", "back.ReleaseDC", "primary.Flip" };
    const DWORD Memory = DDSD_LPSURFACE;
    const HRESULT Lost = DDERR_SURFACELOST;
    // rows: of the backdrop (0: none); fields: what the granted Lock describes
    const struct { uint16_t rows; DWORD fields; Script script; int result; Calls log; } cases[] = {
        { 240, DDSD_LPSURFACE | DDSD_PITCH, {}, 0, Calls { Lock } + Drawn },
        { 240, Memory, { { lock, { DDERR_INVALIDRECT } } }, -1, { Lock } },
        { 240, Memory, { { lock, { Lost } }, { restore, { DDERR_WRONGMODE } } }, -2, { Lock, restore } },
        { 240, DDSD_PITCH, { { lock, { Lost, Lost } } }, 0, Calls { Lock, restore, Lock, restore, Lock } + Drawn },
        { 240, DDSD_CAPS | 0x10 | 0x200 | DDSD_MIPMAPCOUNT | DDSD_REFRESHRATE, {}, -3, { Lock, "back.Unlock" } },
        { 240, Memory, { { "back.GetDC", { Lost } } }, 0, { Lock, "back.Unlock", "back.GetDC", "primary.Flip" } },
        { 239, Memory, {}, 0, Calls { "back.Blt 160,359,480,360", Lock } + Drawn },
        { 0, Memory, {}, 0, Calls { "back.Blt 160,120,480,240", "back.Blt 160,240,480,360", Lock } + Drawn },
        { 237, Memory, { { blt, { Lost } } }, 0, Calls { top } + Cleared + Calls { top, bottom, Lock } + Drawn },
        { 237, Memory, { { blt, { Lost } }, { restore, { DDERR_WRONGMODE } } }, 0, Calls { top } + Cleared + Calls { Lock } + Drawn },
        // a flip still pending is asked again; a lost one is restored (not cleared) while restoring works
        { 240, Memory, { { flip, { DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING } } }, 0, Calls { Lock } + Drawn + Calls { flip, flip } },
        { 240, Memory, { { flip, { Lost, Lost } } }, 0, Calls { Lock } + Drawn + Calls { restore, flip, restore, flip } },
        { 240, Memory, { { flip, { Lost } }, { restore, { DDERR_WRONGMODE } } }, 0, Calls { Lock } + Drawn + Calls { restore } },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        picture.assign(size_t(BackdropColumns) * c.rows, Colour);
        Backdrop = c.rows
            ? Bitmap { picture.data(), uint16_t(BackdropColumns), c.rows, 0, 0, uint32_t(picture.size()), 0 }
            : Bitmap {};
        back.granted.dwFlags = c.fields;
        Answers = c.script, Log.clear();
        EXPECT_EQ(RenderFrame(), c.result);
        EXPECT_EQ(Log, c.log);
        EXPECT_EQ(back.locksHeld, 0); // no path leaves the back buffer locked
        for (size_t at = 0; &c == cases && at < memory.size();
             at += Pitch) // the backdrop, 320 pixels a row, at the pitch
            ASSERT_TRUE(memory[at] == Colour && memory[at + 319] == Colour && memory[at + 320] == Untouched)
                << at / Pitch;
    }
    // Back in front: surfaces lost meanwhile come back cleared, and kept ones are left alone.
    for (const HRESULT lost : { Lost, HRESULT(DD_OK) }) {
        Log.clear();
        Answers = { { "primary.IsLost", { lost } } };
        ReactivateFullScreen();
        EXPECT_EQ(Log, Calls { "primary.IsLost" } + (lost == Lost ? Cleared : Calls {}));
    }
}

} // namespace
