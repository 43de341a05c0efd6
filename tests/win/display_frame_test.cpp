// A full-screen frame against a fake back buffer: band fills, the viewport's lock, unlock and notice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32_frame.h"
#include "render/bitmap.h"

#include "win32_display_fakes.h"

namespace {

using Calls = std::vector<std::string>;

// On a 640 x 480 mode a 320 x 240 viewport lies at (160, 120) to (480, 360).
constexpr LONG Left = 160, Top = 120, Right = 480, Bottom = 360;
constexpr uint8_t BackdropColour = 0x4D, Untouched = 0xEE;
constexpr LONG Pitch = 400; // wider than the viewport, so a frame drawn at the wrong pitch shows

class FullScreenFrame : public FullScreenFakes {
protected:
    void SetUp() override
    {
        FullScreenFakes::SetUp();
        savedBackdrop = Backdrop;
        UseBackdropRows(240);
        surface.assign(size_t(Pitch) * 240, Untouched);
        back.lockMemory = surface.data();
        back.lockPitch = Pitch;
        back.dc = nullptr; // no text unless a test gives a device context
        back.getDC.otherwise = DDERR_CANTCREATEDC;
        Activate();
    }
    void TearDown() override
    {
        Backdrop = savedBackdrop;
        FullScreenFakes::TearDown();
    }
    // A backdrop picture of that many rows of one colour; 0 rows leaves it empty.
    void UseBackdropRows(uint16_t rows)
    {
        picture.assign(size_t(BackdropColumns) * rows, BackdropColour);
        Backdrop = {};
        if (rows == 0)
            return;
        Backdrop.pixels = picture.data();
        Backdrop.width = BackdropColumns;
        Backdrop.height = rows;
        Backdrop.size = uint32_t(picture.size());
    }
    // The back buffer's Blt calls that are band fills, i.e. not over the whole mode.
    std::vector<BltCall> BandFills() const
    {
        std::vector<BltCall> bands;
        for (const BltCall& call : back.blts)
            if (!(call.rect == RECT{0, 0, 640, 480}))
                bands.push_back(call);
        return bands;
    }
    Bitmap savedBackdrop;
    std::vector<uint8_t> picture, surface;
};

TEST_F(FullScreenFrame, LocksTheViewportDrawsAtTheLockedPitchAndUnlocksBeforeTheText)
{
    HDC dc = CreateCompatibleDC(nullptr);
    back.dc = dc;
    back.getDC.otherwise = DD_OK;

    EXPECT_EQ(RenderFrame(), 0);
    EXPECT_EQ(DDCalls,
        (Calls{"back.Lock", "back.Unlock", "back.GetDC", "back.ReleaseDC", "primary.Flip null 0x0"}));
    EXPECT_TRUE(back.lockRect == (RECT{Left, Top, Right, Bottom}));
    EXPECT_EQ(back.lockFlags, DWORD(DDLOCK_WAIT));
    EXPECT_EQ(back.lockDescriptionSize, 108u);
    EXPECT_EQ(back.lockEvent, nullptr);
    EXPECT_EQ(back.unlockedWith, surface.data());
    EXPECT_EQ(back.locksHeld, 0);
    EXPECT_EQ(back.releasedDC, dc);
    // The backdrop fills every viewport row at the description's pitch, and nothing beyond.
    for (LONG row = 0; row < 240; ++row) {
        ASSERT_EQ(surface[size_t(row * Pitch)], BackdropColour) << row;
        ASSERT_EQ(surface[size_t(row * Pitch + 319)], BackdropColour) << row;
        ASSERT_EQ(surface[size_t(row * Pitch + 320)], Untouched) << row;
        ASSERT_EQ(surface[size_t(row * Pitch + Pitch - 1)], Untouched) << row;
    }
    DeleteDC(dc);
}

TEST_F(FullScreenFrame, TheNoticeIsWhiteOnATransparentBackgroundAtTheScreensCorner)
{
    // A 32-bit picture of the screen's top rows stands in for the back buffer's context.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 640;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    HGDIOBJ previous = SelectObject(dc, section);
    auto* pixels = static_cast<uint32_t*>(bits);
    constexpr uint32_t Blue = 0x000080;
    for (int i = 0; i < 640 * 32; ++i)
        pixels[i] = Blue;
    back.dc = dc;
    back.getDC.otherwise = DD_OK;

    EXPECT_EQ(RenderFrame(), 0);
    GdiFlush();
    int white = 0, black = 0, whiteFarRight = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint32_t p = pixels[y * 640 + x] & 0xFFFFFF;
            white += p == 0xFFFFFF;
            black += p == 0;
            whiteFarRight += p == 0xFFFFFF && x >= 600;
        }
    EXPECT_GT(white, 53); // at least a dot per character
    EXPECT_EQ(black, 0); // an opaque background would have painted the cells black
    EXPECT_EQ(whiteFarRight, 0);
    SelectObject(dc, previous);
    DeleteObject(section);
    DeleteDC(dc);
}

TEST_F(FullScreenFrame, ABackBufferWithoutADeviceContextGoesWithoutTheText)
{
    back.getDC.otherwise = DDERR_SURFACELOST;
    EXPECT_EQ(RenderFrame(), 0);
    EXPECT_EQ(DDCalls, (Calls{"back.Lock", "back.Unlock", "back.GetDC", "primary.Flip null 0x0"}));
}

TEST_F(FullScreenFrame, TheLockPathsEndTheFrameWithTheirCodes)
{
    const struct {
        const char* name;
        std::vector<HRESULT> locks, restores;
        DWORD fields;
        int result;
        Calls calls;
    } cases[] = {
        {"locked", {DD_OK}, {}, DDSD_LPSURFACE, 0,
            {"back.Lock", "back.Unlock", "back.GetDC", "primary.Flip null 0x0"}},
        {"refused", {DDERR_INVALIDRECT}, {}, DDSD_LPSURFACE, -1, {"back.Lock"}},
        {"still drawing is an error here", {DDERR_WASSTILLDRAWING}, {}, DDSD_LPSURFACE, -1, {"back.Lock"}},
        {"lost and not restored", {DDERR_SURFACELOST}, {DDERR_WRONGMODE}, DDSD_LPSURFACE, -2,
            {"back.Lock", "primary.Restore"}},
        {"lost twice, restored, locked", {DDERR_SURFACELOST, DDERR_SURFACELOST, DD_OK}, {DD_OK, DD_OK},
            DDSD_PITCH, 0,
            {"back.Lock", "primary.Restore", "back.Lock", "primary.Restore", "back.Lock", "back.Unlock",
                "back.GetDC", "primary.Flip null 0x0"}},
        {"lost, restored, refused", {DDERR_SURFACELOST, DDERR_GENERIC}, {DD_OK}, DDSD_LPSURFACE, -1,
            {"back.Lock", "primary.Restore", "back.Lock"}},
        {"no valid fields", {DD_OK}, {}, 0, -3, {"back.Lock", "back.Unlock"}},
        {"only fields outside the mask", {DD_OK}, {},
            DDSD_CAPS | 0x10 | 0x200 | DDSD_MIPMAPCOUNT | DDSD_REFRESHRATE, -3, {"back.Lock", "back.Unlock"}},
        {"one field inside the mask", {DD_OK}, {}, DDSD_CAPS | DDSD_CKSRCBLT, 0,
            {"back.Lock", "back.Unlock", "back.GetDC", "primary.Flip null 0x0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DDCalls.clear();
        back.lock.next.assign(c.locks.begin(), c.locks.end());
        back.lock.otherwise = DDERR_GENERIC; // a lock asked once too often shows as -1
        primary.restore.next.assign(c.restores.begin(), c.restores.end());
        primary.restore.otherwise = DDERR_GENERIC;
        back.lockFields = c.fields;
        back.unlockedWith = nullptr;

        EXPECT_EQ(RenderFrame(), c.result);
        EXPECT_EQ(DDCalls, c.calls);
        EXPECT_EQ(back.locksHeld, 0); // no path leaves the back buffer locked
        if (!CallsOf("back.Unlock").empty()) {
            EXPECT_EQ(back.unlockedWith, surface.data());
        }
    }
}

TEST_F(FullScreenFrame, BandsAreFilledAroundALowBackdropBeforeTheLock)
{
    const struct {
        uint16_t rows;
        std::vector<RECT> bands;
    } cases[] = {
        {240, {}},
        {300, {}},
        {239, {{Left, Top + 239, Right, Bottom}}},
        {238, {{Left, Top, Right, Top + 1}, {Left, Top + 239, Right, Bottom}}},
        {237, {{Left, Top, Right, Top + 1}, {Left, Top + 238, Right, Bottom}}},
        {0, {{Left, Top, Right, Top + 120}, {Left, Top + 120, Right, Bottom}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        UseBackdropRows(c.rows);
        DDCalls.clear();
        back.blts.clear();
        EXPECT_EQ(RenderFrame(), 0);
        const std::vector<RECT>& bands = c.bands;
        ASSERT_EQ(back.blts.size(), bands.size());
        for (size_t i = 0; i < bands.size(); ++i)
            ExpectFill(back.blts[i], bands[i]);
        const Calls expected = [&] {
            Calls calls(bands.size(), "back.Blt");
            calls.insert(calls.end(), {"back.Lock", "back.Unlock", "back.GetDC", "primary.Flip null 0x0"});
            return calls;
        }();
        EXPECT_EQ(DDCalls, expected);
    }
}

TEST_F(FullScreenFrame, BandFillsAreRetriedRestoredOrGivenUpAndTheFrameGoesOn)
{
    const RECT top = {Left, Top, Right, Top + 1}, bottom = {Left, Top + 238, Right, Bottom};
    const struct {
        const char* name;
        std::vector<HRESULT> fills; // answers of the back buffer's Blt calls, whole-mode clears included
        std::vector<HRESULT> restores;
        std::vector<RECT> backFills; // every back buffer fill in order
        size_t restoreCalls;
    } cases[] = {
        {"still drawing twice", {DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING, DD_OK, DD_OK}, {},
            {top, top, top, bottom}, 0},
        {"lost, restored and cleared, filled again", {DDERR_SURFACELOST, DD_OK, DD_OK, DD_OK}, {DD_OK},
            {top, {0, 0, 640, 480}, top, bottom}, 1},
        {"lost in the bottom band", {DD_OK, DDERR_SURFACELOST, DD_OK, DD_OK}, {DD_OK},
            {top, bottom, {0, 0, 640, 480}, bottom}, 1},
        {"lost and not restored", {DDERR_SURFACELOST, DD_OK}, {DDERR_WRONGMODE}, {top, {0, 0, 640, 480}}, 1},
        {"other error", {DDERR_INVALIDRECT}, {}, {top}, 0},
        {"other error in the bottom band", {DD_OK, DDERR_GENERIC}, {}, {top, bottom}, 0},
    };
    UseBackdropRows(237);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DDCalls.clear();
        back.blts.clear();
        primary.blts.clear();
        back.blt.next.assign(c.fills.begin(), c.fills.end());
        back.blt.otherwise = DD_OK;
        primary.restore.next.assign(c.restores.begin(), c.restores.end());

        EXPECT_EQ(RenderFrame(), 0);
        ASSERT_EQ(back.blts.size(), c.backFills.size());
        for (size_t i = 0; i < c.backFills.size(); ++i)
            ExpectFill(back.blts[i], c.backFills[i]);
        EXPECT_EQ(CallsOf("primary.Restore").size(), c.restoreCalls);
        EXPECT_EQ(primary.blts.size(), c.restoreCalls); // each restore clears the primary too
        EXPECT_EQ(CallsOf("back.Lock").size(), 1u); // the frame is drawn whatever the bands did
        EXPECT_EQ(CallsOf("primary.Flip").size(), 1u);
    }
}

} // namespace
