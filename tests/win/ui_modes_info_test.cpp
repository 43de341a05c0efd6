// The video-modes dialog: the report of one catalogue entry, Previous and Next with wrap-around,
// the modal run from the launcher, and the text buffer's balance.
#include "ui_fixture.h"

#include "app/alloc.h"

namespace {

using namespace ui_test;

DDSURFACEDESC KnownRecord()
{
    DDSURFACEDESC mode = {};
    mode.dwSize = 108;
    mode.dwFlags = 0x4100E;
    mode.dwHeight = 480;
    mode.dwWidth = 640;
    mode.lPitch = 640;
    mode.dwBackBufferCount = 1;
    mode.dwRefreshRate = 60;
    mode.dwAlphaBitDepth = 0;
    mode.lpSurface = reinterpret_cast<void*>(0xABCDEF);
    mode.ddckCKDestOverlay = { 1, 2 };
    mode.ddckCKDestBlt = { 0xA, 0xB };
    mode.ddckCKSrcOverlay = { 0x10, 0x20 };
    mode.ddckCKSrcBlt = { 0xFF, 0xFFFFFFFF };
    mode.ddpfPixelFormat.dwSize = 32;
    mode.ddpfPixelFormat.dwFlags = 0x60;
    mode.ddpfPixelFormat.dwFourCC = 0x31545844;
    mode.ddpfPixelFormat.dwRGBBitCount = 8;
    mode.ddpfPixelFormat.dwRBitMask = 0xF800;
    mode.ddpfPixelFormat.dwGBitMask = 0x7E0;
    mode.ddpfPixelFormat.dwBBitMask = 0x1F;
    mode.ddpfPixelFormat.dwRGBAlphaBitMask = 0x8000;
    mode.ddsCaps.dwCaps = 0x4200;
    return mode;
}

const char KnownReport[] = "Mode Index: 0 (640x480x8)\r\n"
                           "\r\nSurface Description:\r\n"
                           "structure size: 108\r\n"
                           "flags: 4100E\r\n"
                           "height=480, width=640, pitch=640\r\n"
                           "back buffer: 1\r\n"
                           "Z-buffer depth: 60, alpha depth: 0\r\n"
                           "surface pointer: ABCDEF\r\n"
                           "\r\nColor Keys:\r\n"
                           "destination overlay: 1 to 2\r\n"
                           "destination blt: A to B\r\n"
                           "source overlay: 10 to 20\r\n"
                           "source blt: FF to FFFFFFFF\r\n"
                           "\r\nPixel Format:\r\n"
                           "structure size: 32\r\n"
                           "flags: 60\r\n"
                           "FOURCC code: 31545844\r\n"
                           "bit depth: 8\r\n"
                           "RY bit mask: F800\r\n"
                           "GU bit mask: 7E0\r\n"
                           "BV bit mask: 1F\r\n"
                           "alpha bit mask: 8000\r\n"
                           "\r\nSurface Capability Flag: 4200\r\n";

std::string FirstLine(const std::string& report)
{
    return report.substr(0, report.find("\r\n"));
}

class ModesInfo : public LauncherTest {
protected:
    // The dialog as a modeless window over the launcher, so a test can press its buttons.
    HWND OpenInfo()
    {
        if (!launcher)
            OpenLauncher();
        info = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(106), launcher, ModesInfoDialogProc, 0);
        ShowWindow(info, SW_SHOW);
        return info;
    }
    void TearDown() override
    {
        if (info)
            DestroyWindow(info);
        LauncherTest::TearDown();
    }
    std::string Report() const { return ItemText(info, 1013); }
    void Press(int id) { SendMessageA(info, WM_COMMAND, WPARAM(id), LPARAM(GetDlgItem(info, id))); }

    HWND info = nullptr;
};

TEST_F(ModesInfo, TheWholeReportOfAKnownRecord)
{
    UseCatalogue({ KnownRecord(), Mode(800, 600, 16) });
    ASSERT_NE(OpenInfo(), nullptr);
    EXPECT_EQ(Text(info), "DirectDraw Video Modes Info");
    EXPECT_EQ(InfoModeIndex, 0);
    EXPECT_EQ(Report(), KnownReport);
    EXPECT_EQ(ShowModeInfo(info, 1), 0);
    EXPECT_EQ(FirstLine(Report()), "Mode Index: 1 (800x600x16)");
}

// Signed and unsigned formats differ only for values above 2^31 - 1.
TEST_F(ModesInfo, EachFieldHasItsOwnSignedness)
{
    DDSURFACEDESC mode = KnownRecord();
    mode.dwSize = 0xFFFFFFFF;
    mode.dwHeight = 0x80000000;
    mode.lPitch = -4;
    mode.dwFlags = 0;
    mode.ddpfPixelFormat.dwSize = 0xFFFFFFFF;
    UseCatalogue({ mode });
    ASSERT_NE(OpenInfo(), nullptr);
    const std::string report = Report();
    const char* expected[] = {
        "Mode Index: 0 (640x-2147483648x8)\r\n",
        "\r\nSurface Description:\r\nstructure size: -1\r\nflags: 0\r\n",
        "height=2147483648, width=640, pitch=4294967292\r\n",
        "\r\nPixel Format:\r\nstructure size: 4294967295\r\n",
    };
    for (const char* part : expected)
        EXPECT_NE(report.find(part), std::string::npos) << part << "\nin\n" << report;
}

TEST_F(ModesInfo, PreviousAndNextWrapAround)
{
    const struct {
        int count;
        std::vector<int> presses; // 1015 Previous, 1016 Next
        std::vector<int> shown;
    } cases[] = {
        { 3, { 1015, 1015, 1015, 1015 }, { 2, 1, 0, 2 } },
        { 3, { 1016, 1016, 1016, 1016 }, { 1, 2, 0, 1 } },
        { 3, { 1016, 1015, 1015, 1016 }, { 1, 0, 2, 0 } },
        { 1, { 1015, 1016, 1016, 1015 }, { 0, 0, 0, 0 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<DDSURFACEDESC> modes;
        for (int i = 0; i < c.count; ++i)
            modes.push_back(Mode(320 + 160 * i, 240, 8));
        UseCatalogue(modes);
        ASSERT_NE(OpenInfo(), nullptr);
        for (size_t i = 0; i < c.presses.size(); ++i) {
            Press(c.presses[i]);
            EXPECT_EQ(InfoModeIndex, c.shown[i]) << "press " << i;
            const int shown = c.shown[i];
            EXPECT_EQ(FirstLine(Report()),
                "Mode Index: " + std::to_string(shown) + " (" + std::to_string(320 + 160 * shown)
                    + "x240x8)");
        }
        DestroyWindow(info);
        info = nullptr;
    }
}

TEST_F(ModesInfo, EveryReportGivesItsTextBufferBack)
{
    UseCatalogue({ Mode(320, 200, 8), Mode(640, 480, 8) });
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    ASSERT_NE(OpenInfo(), nullptr);
    Press(1016);
    Press(1015);
    Press(1015);
    EXPECT_EQ(AllocCount - allocs, 4u);
    EXPECT_EQ(ReleaseCount - releases, 4u);
}

TEST_F(ModesInfo, EscapeLeavesItOpenAndCloseEndsIt)
{
    ASSERT_NE(OpenInfo(), nullptr);
    SendMessageA(info, WM_COMMAND, IDCANCEL, 0);
    DrainMessages();
    EXPECT_TRUE(IsWindowVisible(info));
    Press(1014);
    DrainMessages();
    EXPECT_FALSE(IsWindowVisible(info)); // a modeless dialog is only hidden by its end
}

TEST_F(ModesInfo, AnEmptyCatalogueShowsNothingAndStepsNowhere)
{
    UseCatalogue({});
    ASSERT_NE(OpenInfo(), nullptr);
    EXPECT_EQ(Report(), "");
    Press(1015);
    Press(1016);
    EXPECT_EQ(InfoModeIndex, 0);
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(ShowModeInfo(info, 0), -1);
}

// The modal run from the launcher's Video Modes button, driven from inside its own message loop
// by a timer: what the dialog shows when it opens, Escape, and Close.
struct ModalScript {
    int step;
    int ticks;
    std::vector<std::string> firstLines;
    HWND owner;
    bool ownerEnabled;
    bool openAfterEscape;
    bool forced;
} Script;

void CALLBACK DriveModal(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "DirectDraw Video Modes Info");
    if (!dialog || !IsWindowVisible(dialog))
        return;
    if (++Script.ticks > 200) { // the dialog would not close: end it so the test can report
        Script.forced = true;
        EndDialog(dialog, 0);
        return;
    }
    switch (Script.step++) {
    case 0:
        Script.firstLines.push_back(FirstLine(ItemText(dialog, 1013)));
        Script.owner = GetWindow(dialog, GW_OWNER);
        Script.ownerEnabled = IsWindowEnabled(Script.owner) != 0;
        SendMessageA(GetDlgItem(dialog, 1016), BM_CLICK, 0, 0);
        Script.firstLines.push_back(FirstLine(ItemText(dialog, 1013)));
        PostMessageA(GetDlgItem(dialog, 1014), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        break;
    case 1:
        Script.openAfterEscape = IsWindowVisible(dialog) != 0;
        SendMessageA(GetDlgItem(dialog, 1014), BM_CLICK, 0, 0);
        break;
    default:
        break;
    }
}

TEST_F(ModesInfo, VideoModesRunsItModallyAndEachOpeningStartsAtEntryZero)
{
    UseCatalogue({ Mode(320, 200, 8), Mode(640, 480, 8), Mode(800, 600, 8) });
    ASSERT_NE(OpenLauncher(), nullptr);
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        Script = {};
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, DriveModal);
        ASSERT_NE(timer, 0u);
        EXPECT_EQ(LauncherCommand(launcher, 1012, GetDlgItem(launcher, 1012), BN_CLICKED), 1);
        KillTimer(nullptr, timer);
        DrainMessages();
        EXPECT_FALSE(Script.forced);
        EXPECT_EQ(Script.firstLines,
            (std::vector<std::string> { "Mode Index: 0 (320x200x8)", "Mode Index: 1 (640x480x8)" }));
        EXPECT_EQ(Script.owner, launcher);
        EXPECT_FALSE(Script.ownerEnabled);
        EXPECT_TRUE(Script.openAfterEscape);
        EXPECT_TRUE(IsWindowEnabled(launcher));
        EXPECT_EQ(FindWindowA(nullptr, "DirectDraw Video Modes Info"), nullptr);
    }
}

} // namespace
