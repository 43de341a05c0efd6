// The full-screen presenter on Wine's own DirectDraw: set up 640 x 480 x 8, draw one frame, close.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/alloc.h"
#include "app/win32_frame.h"
#include "render/bitmap.h"

#include "win32_display_fakes.h"

namespace {

int RealHides = 0, RealShows = 0;
int WINAPI CountRealShowCursor(BOOL show)
{
    (show ? RealShows : RealHides) += 1;
    return ShowCursor(show);
}

class WineFullScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, previous);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quarvel-fullscreen-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        SetCurrentDirectoryA(dir.c_str());

        savedBox = SysMessageBox;
        savedCursor = ShowCursorFunction;
        savedStyle = WinGStyle;
        savedModeXs = LastModeXs;
        savedModeZs = LastModeZs;
        savedProjection = Projection;
        savedBackdrop = Backdrop;
        savedPalette = ProgramPalette;
        SysMessageBox = RecordBox;
        ShowCursorFunction = CountRealShowCursor;
        Boxes.clear();
        RealHides = RealShows = 0;

        // A grey ramp with the system's black and white at the ends, as the program's own.
        for (int i = 0; i < 256; ++i)
            ProgramPalette.entries[i]
                = {BYTE(i), BYTE(i), BYTE(i), BYTE(i >= 10 && i <= 245 ? PC_RESERVED : 0)};
        WinGStyle = 0;
        LastModeXs = 640;
        LastModeZs = 480;
        Projection.ProjDs = 160;
        Projection.ProjXs = 320;
        Projection.ProjZs = 240;
        SetProjectionBounds();
        // A backdrop as tall as the viewport: every viewport pixel shows its one colour.
        picture.assign(size_t(BackdropColumns) * 240, PictureColour);
        Backdrop = {};
        Backdrop.pixels = picture.data();
        Backdrop.width = BackdropColumns;
        Backdrop.height = 240;
        Backdrop.size = uint32_t(picture.size());

        allocs = AllocCount;
        releases = ReleaseCount;
        ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
        ASSERT_EQ(InitModeCatalogue(), 0) << (Boxes.empty() ? "" : Boxes[0]);
    }
    void TearDown() override
    {
        CloseFullScreen();
        FreeModeCatalogue();
        FreeViewWindow();
        EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
        SysMessageBox = savedBox;
        ShowCursorFunction = savedCursor;
        WinGStyle = savedStyle;
        LastModeXs = savedModeXs;
        LastModeZs = savedModeZs;
        Projection = savedProjection;
        Backdrop = savedBackdrop;
        ProgramPalette = savedPalette;
        SetCurrentDirectoryA(previous);
        RemoveDirectoryA(dir.c_str());
    }
    static constexpr uint8_t PictureColour = 77;
    char previous[MAX_PATH];
    std::string dir;
    std::vector<uint8_t> picture;
    MessageBoxFunction savedBox;
    int(WINAPI* savedCursor)(BOOL);
    int32_t savedStyle, savedModeXs, savedModeZs;
    ProjectionValues savedProjection;
    Bitmap savedBackdrop;
    ProgramPaletteRecord savedPalette;
    uint32_t allocs, releases;
};

TEST_F(WineFullScreen, SetsTheModeDrawsOneFrameThroughTheLockAndRestoresTheDesktop)
{
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    ShowWindow(ViewWindow, SW_SHOW); // as Go shows the view before it sets the presenter up

    ASSERT_EQ(InitFullScreen(), 0) << (Boxes.empty() ? "" : Boxes[0]);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    EXPECT_EQ(RealHides, 1);
    ASSERT_NE(BackSurface, nullptr);

    EXPECT_EQ(RenderFrame(), 0);

    // After the flip the frame is on the primary: read it back.
    DDSURFACEDESC shown = {};
    shown.dwSize = sizeof shown;
    ASSERT_EQ(PrimarySurface->Lock(nullptr, &shown, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    const auto* screen = static_cast<const uint8_t*>(shown.lpSurface);
    auto at = [&](int x, int y) { return screen[y * shown.lPitch + x]; };
    EXPECT_EQ(shown.ddpfPixelFormat.dwRGBBitCount, 8u);
    EXPECT_EQ(at(160, 120), PictureColour); // the viewport's corners
    EXPECT_EQ(at(479, 120), PictureColour);
    EXPECT_EQ(at(160, 359), PictureColour);
    EXPECT_EQ(at(479, 359), PictureColour);
    EXPECT_EQ(at(159, 240), 0); // just outside: cleared when the mode was set
    EXPECT_EQ(at(480, 240), 0);
    EXPECT_EQ(at(320, 360), 0);
    EXPECT_EQ(at(639, 479), 0);
    int lit = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 640; ++x)
            lit += at(x, y) != 0;
    EXPECT_GT(lit, 53); // the notice, above the viewport at the screen's corner
    PrimarySurface->Unlock(shown.lpSurface);

    CloseFullScreen();
    EXPECT_TRUE(Boxes.empty()) << Boxes[0];
    EXPECT_EQ(PrimarySurface, nullptr);
    EXPECT_EQ(RealShows, 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), desktopHeight);
    ShowWindow(ViewWindow, SW_HIDE);
}

TEST_F(WineFullScreen, AModeTheDriverDoesNotOfferIsRefusedAndUndone)
{
    LastModeXs = 1234;
    LastModeZs = 567;
    ShowWindow(ViewWindow, SW_SHOW);
    EXPECT_EQ(InitFullScreen(), -2);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].rfind("SetDisplayMode() failed: ", 0), 0u) << Boxes[0];
    EXPECT_EQ(RealHides, 0);
    // Normal cooperation is back: the same object can set up a listed mode at once.
    LastModeXs = 640;
    LastModeZs = 480;
    Boxes.clear();
    EXPECT_EQ(InitFullScreen(), 0) << (Boxes.empty() ? "" : Boxes[0]);
    CloseFullScreen();
    EXPECT_EQ(RealHides, RealShows);
    ShowWindow(ViewWindow, SW_HIDE);
}

} // namespace
