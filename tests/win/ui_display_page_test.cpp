// The Display page: the mode list and its preselection, the window-style box, the usage trackbars.
#include "win32_ui_fixture.h"

namespace {

using namespace ui_test;

using DisplayPage = LauncherTest;

// Preselection: 8 bits only, the later of two matches; a new mode keeps the fraction (half up, width to 4s).
TEST_F(DisplayPage, OpensOnTheStoredModeAndKeepsTheFractionAcrossModes)
{
    const std::vector<DDSURFACEDESC> twice
        = { Mode(800, 600, 8), Mode(640, 480, 8), Mode(1024, 768, 8), Mode(640, 480, 8), Mode(320, 200, 8) };
    const struct {
        std::vector<DDSURFACEDESC> modes; // none: the fixture's five
        int32_t style, modeXs, modeZs, xs, zs, line; // line: the one chosen after opening, if any
        int selected;
        int32_t newXs, newZs, newModeXs, newModeZs;
    } cases[] = {
        { {}, 0, 640, 480, 320, 240, -1, 1, 320, 240, 640, 480 },
        { {}, 0, 640, 480, 800, 700, -1, 1, 640, 480, 640, 480 }, // more than the mode: the whole mode
        { {}, 1, 1024, 768, 256, 192, -1, 4, 256, 192, 1024, 768 },
        { {}, 0, 0, 0, 320, 240, -1, 0, 320, 200, 320, 200 }, // a range ending at 0: the whole mode
        { {}, 1, 0, 0, 320, 240, -1, 0, 1024, 768, 1024, 768 },
        { {}, 0, 640, 480, 320, 240, 0, 0, 160, 100, 320, 200 },
        { {}, 0, 640, 480, 332, 242, 3, 3, 412, 303, 800, 600 },
        { twice, 0, 640, 480, 320, 240, -1, 3, 320, 240, 640, 480 },
        { { Mode(800, 600, 8), Mode(640, 480, 16) }, 0, 640, 480, 320, 240, -1, 0, 400, 300, 800, 600 },
    };
    const std::vector<DDSURFACEDESC> five = catalogue;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        UseCatalogue(c.modes.empty() ? five : c.modes);
        WinGStyle = c.style, LastModeXs = c.modeXs, LastModeZs = c.modeZs, ScrUseXs = c.xs, ScrUseZs = c.zs;
        ASSERT_NE(OpenLauncher(), nullptr);
        if (c.line >= 0)
            ChooseLine(c.line);
        EXPECT_EQ(SelectedMode, c.selected);
        EXPECT_EQ(SendMessageA(Control(1004), LB_GETCURSEL, 0, 0), c.selected);
        EXPECT_EQ(IsDlgButtonChecked(CurrentPage, 1005), UINT(c.style));
        EXPECT_EQ(LastModeXs, c.newModeXs);
        EXPECT_EQ(LastModeZs, c.newModeZs);
        ExpectUsage(c.newXs, c.newZs, c.newModeXs, c.newModeZs);
    }
    EXPECT_EQ(SendMessageA(Control(1004), LB_GETCOUNT, 0, 0), 2);
    char line[32];
    SendMessageA(Control(1004), LB_GETTEXT, 1, LPARAM(line));
    EXPECT_STREQ(line, "640x480x16");
}

TEST_F(DisplayPage, TheBoxTakesTheDesktopSizeUntilClearedKeepingTheFraction)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    SendMessageA(Control(1005), BM_CLICK, 0, 0);
    EXPECT_EQ(WinGStyle, 1);
    ExpectUsage(512, 384, 1024, 768);
    ChooseLine(0); // counts only once the box is cleared
    EXPECT_EQ(LastModeXs, 1024);
    ExpectUsage(512, 384, 1024, 768);
    SendMessageA(Control(1005), BM_CLICK, 0, 0);
    EXPECT_EQ(WinGStyle, 0);
    EXPECT_EQ(LastModeXs, 320);
    EXPECT_EQ(LastModeZs, 200);
    ExpectUsage(160, 100, 320, 200);
}

TEST_F(DisplayPage, ADraggedPositionIsKeptAsItIs)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    Drag(1017, 322);
    Drag(1019, 333);
    ExpectUsage(322, 333, 640, 480);
    EXPECT_EQ(SendMessageA(CurrentPage, WM_HSCROLL, TB_THUMBTRACK, LPARAM(Control(1004))), 0);
    EXPECT_EQ(ScrUseXs, 322);
}

} // namespace
