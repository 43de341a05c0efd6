// The video-modes dialog: one catalogue entry's report, Previous and Next with wrap-around.
#include "base/alloc.h"

#include "win32_ui_fixture.h"

namespace {

using namespace ui_test;

DDSURFACEDESC KnownRecord()
{
    DDSURFACEDESC mode = Mode(640, 480, 8);
    mode.dwSize = 108;
    mode.dwFlags = 0x4100E;
    mode.lPitch = 640;
    mode.dwBackBufferCount = 1;
    mode.dwRefreshRate = 60; // shares its place with the Z-buffer depth
    mode.dwAlphaBitDepth = 0;
    mode.lpSurface = reinterpret_cast<void*>(0xABCDEF);
    mode.ddckCKDestOverlay = { 1, 2 };
    mode.ddckCKDestBlt = { 0xA, 0xB };
    mode.ddckCKSrcOverlay = { 0x10, 0x20 };
    mode.ddckCKSrcBlt = { 0xFF, 0xFFFFFFFF };
    mode.ddpfPixelFormat = { 32, 0x60, 0x31545844, { 8 }, { 0xF800 }, { 0x7E0 }, { 0x1F }, { 0x8000 } };
    mode.ddsCaps.dwCaps = 0x4200;
    return mode;
}

const char KnownReport[]
    = "Mode Index: 0 (640x480x8)\r\n\r\nSurface Description:\r\nstructure size: 108\r\n"
      "flags: 4100E\r\nheight=480, width=640, pitch=640\r\nback buffer: 1\r\n"
      "Z-buffer depth: 60, alpha depth: 0\r\nsurface pointer: ABCDEF\r\n\r\nColor Keys:\r\n"
      "destination overlay: 1 to 2\r\ndestination blt: A to B\r\nsource overlay: 10 to 20\r\n"
      "source blt: FF to FFFFFFFF\r\n\r\nPixel Format:\r\nstructure size: 32\r\nflags: 60\r\n"
      "FOURCC code: 31545844\r\nbit depth: 8\r\nRY bit mask: F800\r\nGU bit mask: 7E0\r\n"
      "BV bit mask: 1F\r\nalpha bit mask: 8000\r\n\r\nSurface Capability Flag: 4200\r\n";

class ModesInfo : public LauncherTest {
protected:
    // Modeless over the launcher, so a test can press its buttons.
    void OpenInfo()
    {
        if (info)
            DestroyWindow(info);
        info = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(106), launcher, ModesInfoDialogProc, 0);
        ShowWindow(info, SW_SHOW);
    }
    void TearDown() override
    {
        if (info)
            DestroyWindow(info);
        LauncherTest::TearDown();
    }
    std::string FirstLine() const
    {
        const std::string report = Text(GetDlgItem(info, 1013));
        return report.substr(0, report.find('\r'));
    }
    void Press(int id) { SendMessageA(info, WM_COMMAND, WPARAM(id), LPARAM(GetDlgItem(info, id))); }
    HWND info = nullptr;
};

TEST_F(ModesInfo, TheWholeReportOfAKnownRecord)
{
    UseCatalogue({ KnownRecord(), Mode(800, 600, 16) });
    ASSERT_NE(OpenLauncher(), nullptr);
    OpenInfo();
    EXPECT_EQ(Text(info), "DirectDraw Video Modes Info");
    EXPECT_EQ(Text(GetDlgItem(info, 1013)), KnownReport);
}

// Each opening starts at entry 0 whichever entry the last one showed.
TEST_F(ModesInfo, PreviousAndNextWrapAroundAndEachOpeningStartsAtZero)
{
    const int Previous = 1015, Next = 1016;
    const struct {
        int count;
        std::vector<int> presses, shown;
    } cases[] = {
        { 3, { Previous, Next, Next, Next }, { 2, 0, 1, 2 } },
        { 3, { Next, Next, Next, Previous }, { 1, 2, 0, 2 } },
        { 1, { Previous, Next }, { 0, 0 } },
    };
    ASSERT_NE(OpenLauncher(), nullptr);
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<DDSURFACEDESC> modes;
        for (int i = 0; i < c.count; ++i)
            modes.push_back(Mode(320 + 160 * i, 240, 8));
        UseCatalogue(modes);
        OpenInfo();
        EXPECT_EQ(FirstLine(), "Mode Index: 0 (320x240x8)");
        for (size_t i = 0; i < c.presses.size(); ++i) {
            Press(c.presses[i]);
            EXPECT_EQ(FirstLine(),
                "Mode Index: " + std::to_string(c.shown[i]) + " (" + std::to_string(320 + 160 * c.shown[i])
                    + "x240x8)")
                << i;
        }
    }
    EXPECT_EQ(AllocCount - allocs, 13u); // a text buffer for each report, each given back
    EXPECT_EQ(ReleaseCount - releases, 13u);
}

TEST_F(ModesInfo, EscapeLeavesItOpenAndCloseEndsIt)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    OpenInfo();
    SendMessageA(info, WM_COMMAND, IDCANCEL, 0);
    DrainMessages();
    EXPECT_TRUE(IsWindowVisible(info));
    Press(1014);
    DrainMessages();
    EXPECT_FALSE(IsWindowVisible(info)); // a modeless dialog is only hidden by EndDialog
}

} // namespace
