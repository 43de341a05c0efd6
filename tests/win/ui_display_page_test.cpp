// The Display page inside the real launcher: the mode list and its preselection, the window-style
// box, and the screen-usage trackbars that keep their fraction across mode changes.
#include "ui_fixture.h"

namespace {

using namespace ui_test;

class DisplayPage : public LauncherTest {
protected:
    HWND Page() const { return CurrentPage; }
    HWND List() const { return GetDlgItem(CurrentPage, 1004); }
    HWND WidthBar() const { return GetDlgItem(CurrentPage, 1017); }
    HWND HeightBar() const { return GetDlgItem(CurrentPage, 1019); }
    std::string WidthLabel() const { return ItemText(CurrentPage, 1020); }
    std::string HeightLabel() const { return ItemText(CurrentPage, 1021); }
    bool Ticked() const { return IsDlgButtonChecked(CurrentPage, 1005) == BST_CHECKED; }

    void ChooseLine(int line)
    {
        SendMessageA(List(), LB_SETCURSEL, WPARAM(line), 0);
        SendMessageA(Page(), WM_COMMAND, MAKEWPARAM(1004, LBN_SELCHANGE), LPARAM(List()));
    }
    void ClickBox() { SendMessageA(GetDlgItem(Page(), 1005), BM_CLICK, 0, 0); }
    void Drag(HWND bar, int32_t position)
    {
        SendMessageA(bar, TBM_SETPOS, TRUE, position);
        SendMessageA(Page(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), LPARAM(bar));
    }
    void ExpectUsage(int32_t xs, int32_t zs, int32_t modeXs, int32_t modeZs)
    {
        EXPECT_EQ(ScrUseXs, xs);
        EXPECT_EQ(ScrUseZs, zs);
        EXPECT_EQ(SendMessageA(WidthBar(), TBM_GETPOS, 0, 0), xs);
        EXPECT_EQ(SendMessageA(HeightBar(), TBM_GETPOS, 0, 0), zs);
        EXPECT_EQ(SendMessageA(WidthBar(), TBM_GETRANGEMAX, 0, 0), modeXs);
        EXPECT_EQ(SendMessageA(HeightBar(), TBM_GETRANGEMAX, 0, 0), modeZs);
        EXPECT_EQ(WidthLabel(), "width: " + std::to_string(xs) + "/" + std::to_string(modeXs));
        EXPECT_EQ(HeightLabel(), "height: " + std::to_string(zs) + "/" + std::to_string(modeZs));
    }
};

TEST_F(DisplayPage, ItsControlsAreTheTemplatesOwn)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    const struct {
        int id;
        const char* className;
        LONG styleBits;
    } controls[] = {
        { 1004, "ListBox", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP },
        { 1017, "msctls_trackbar32", TBS_NOTICKS | WS_TABSTOP },
        { 1019, "msctls_trackbar32", TBS_NOTICKS | WS_TABSTOP },
        { 1005, "Button", BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP | WS_TABSTOP },
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = GetDlgItem(Page(), c.id);
        ASSERT_NE(control, nullptr);
        char name[64];
        GetClassNameA(control, name, sizeof name);
        EXPECT_STREQ(name, c.className);
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & c.styleBits, c.styleBits);
    }
    EXPECT_EQ(GetWindowLongA(List(), GWL_STYLE) & LBS_SORT, 0); // catalogue order is the index
    EXPECT_EQ(ItemText(Page(), 1005), "Use a normal window, don't set a new display mode (WinG-style).");
}

TEST_F(DisplayPage, TheDefaultsPreselect640x480x8AndShowHalfOfIt)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_EQ(ListLines(List()),
        (std::vector<std::string> { "320x200x8", "640x480x8", "640x480x16", "800x600x8", "1024x768x8" }));
    EXPECT_EQ(SendMessageA(List(), LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SelectedMode, 1);
    EXPECT_FALSE(Ticked());
    ExpectUsage(320, 240, 640, 480);
    EXPECT_EQ(LastModeXs, 640);
    EXPECT_EQ(LastModeZs, 480);
}

TEST_F(DisplayPage, TheStoredModeIsPreselectedOnlyAtEightBits)
{
    const struct {
        const char* what;
        std::vector<DDSURFACEDESC> modes;
        int32_t storedXs, storedZs;
        int32_t selected;
    } cases[] = {
        { "two matches: the later", { Mode(640, 480, 8), Mode(800, 600, 8), Mode(640, 480, 8) }, 640, 480,
            2 },
        { "two matches after others: the later",
            { Mode(800, 600, 8), Mode(640, 480, 8), Mode(1024, 768, 8), Mode(640, 480, 8),
                Mode(320, 200, 8) },
            640, 480, 3 },
        { "only a 16-bit match", { Mode(800, 600, 8), Mode(640, 480, 16) }, 640, 480, 0 },
        { "no match: entry 0 whatever its depth", { Mode(640, 480, 16), Mode(800, 600, 8) }, 1024, 768, 0 },
        { "match at the end", { Mode(320, 200, 8), Mode(320, 240, 8), Mode(1024, 768, 8) }, 1024, 768, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseCatalogue(c.modes);
        LastModeXs = c.storedXs;
        LastModeZs = c.storedZs;
        ASSERT_NE(OpenLauncher(), nullptr);
        EXPECT_EQ(SelectedMode, c.selected);
        EXPECT_EQ(SendMessageA(List(), LB_GETCURSEL, 0, 0), c.selected);
        EXPECT_EQ(LastModeXs, int32_t(c.modes[c.selected].dwWidth));
        EXPECT_EQ(LastModeZs, int32_t(c.modes[c.selected].dwHeight));
    }
}

// The used fraction moves to the new mode, rounded half up; the width down to a multiple of 4.
TEST_F(DisplayPage, ChoosingAModeKeepsTheUsedFraction)
{
    const struct {
        int32_t xs, zs; // usage on 640x480
        int line;
        int32_t modeXs, modeZs, newXs, newZs;
    } cases[] = {
        { 320, 240, 0, 320, 200, 160, 100 },
        { 320, 240, 3, 800, 600, 400, 300 },
        { 320, 240, 4, 1024, 768, 512, 384 },
        { 332, 241, 3, 800, 600, 412, 301 },
        { 640, 480, 0, 320, 200, 320, 200 },
        { 0, 0, 3, 800, 600, 0, 0 },
        { 322, 333, 1, 640, 480, 320, 333 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.xs << "x" << c.zs << " to line " << c.line);
        ScrUseXs = c.xs;
        ScrUseZs = c.zs;
        LastModeXs = 640;
        LastModeZs = 480;
        ASSERT_NE(OpenLauncher(), nullptr);
        ChooseLine(c.line);
        EXPECT_EQ(SelectedMode, c.line);
        EXPECT_EQ(LastModeXs, c.modeXs);
        EXPECT_EQ(LastModeZs, c.modeZs);
        ExpectUsage(c.newXs, c.newZs, c.modeXs, c.modeZs);
    }
}

TEST_F(DisplayPage, Choosing320x200GivesAUsageThatGoRefusesUntilRaised)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    ChooseLine(0);
    ExpectUsage(160, 100, 320, 200);
    PressGo();
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(PresenterCalls().empty());
    Drag(HeightBar(), 128);
    PressGo();
    ASSERT_EQ(PresenterCalls().size(), 1u);
    EXPECT_EQ(PresenterCalls()[0].projXs, 160);
    EXPECT_EQ(PresenterCalls()[0].projZs, 128);
}

TEST_F(DisplayPage, TheBoxTakesTheDesktopSizeAndTheListWaitsUntilItIsCleared)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    ClickBox();
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(WinGStyle, 1);
    EXPECT_EQ(LastModeXs, 1024);
    EXPECT_EQ(LastModeZs, 768);
    ExpectUsage(512, 384, 1024, 768);

    ChooseLine(0); // 320x200 only counts once the box is cleared
    EXPECT_EQ(SelectedMode, 0);
    EXPECT_EQ(LastModeXs, 1024);
    ExpectUsage(512, 384, 1024, 768);

    ClickBox();
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(WinGStyle, 0);
    EXPECT_EQ(LastModeXs, 320);
    EXPECT_EQ(LastModeZs, 200);
    ExpectUsage(160, 100, 320, 200);
}

TEST_F(DisplayPage, WithTheWindowStyleStoredTheRangesAreTheDesktops)
{
    WinGStyle = 1;
    LastModeXs = 1024;
    LastModeZs = 768;
    ScrUseXs = 256;
    ScrUseZs = 192;
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(SelectedMode, 4);
    ExpectUsage(256, 192, 1024, 768);
}

TEST_F(DisplayPage, AStoredUsageBeyondTheModeCountsAsTheWholeMode)
{
    ScrUseXs = 800;
    ScrUseZs = 700;
    ASSERT_NE(OpenLauncher(), nullptr);
    ExpectUsage(640, 480, 640, 480);
}

// A stored mode size of 0 leaves the trackbars a range that ends at 0: every position is at
// its end, so the whole chosen size is used (and nothing is divided by 0).
TEST_F(DisplayPage, AStoredModeSizeOfZeroUsesTheWholeChosenSize)
{
    const struct {
        int32_t style, storedXs, storedZs, xs, zs, modeXs, modeZs;
    } cases[] = {
        { 0, 0, 0, 320, 200, 320, 200 },
        { 0, 0, 480, 320, 100, 320, 200 },
        { 1, 0, 0, 1024, 768, 1024, 768 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " " << c.storedXs << "x" << c.storedZs);
        WinGStyle = c.style;
        LastModeXs = c.storedXs;
        LastModeZs = c.storedZs;
        ScrUseXs = 320;
        ScrUseZs = 240;
        ASSERT_NE(OpenLauncher(), nullptr);
        ExpectUsage(c.xs, c.zs, c.modeXs, c.modeZs);
    }
}

TEST_F(DisplayPage, DraggingStoresThePositionAsItIs)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    Drag(WidthBar(), 322);
    EXPECT_EQ(ScrUseXs, 322);
    EXPECT_EQ(WidthLabel(), "width: 322/640");
    Drag(HeightBar(), 333);
    EXPECT_EQ(ScrUseZs, 333);
    EXPECT_EQ(HeightLabel(), "height: 333/480");

    // A scroll message from anything else changes nothing.
    EXPECT_EQ(SendMessageA(Page(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 5), LPARAM(List())), 0);
    EXPECT_EQ(ScrUseXs, 322);

    ChooseLine(3); // a mode change rounds the width
    ExpectUsage(400, 416, 800, 600);
}

// The page is rebuilt from the settings; making it rescales once more, which rounds a dragged
// width down to a multiple of 4.
TEST_F(DisplayPage, ItsStateComesBackAfterAnotherTab)
{
    ASSERT_NE(OpenLauncher(), nullptr);
    ChooseLine(3);
    Drag(WidthBar(), 522);
    ChooseTab(2);
    ChooseTab(0);
    EXPECT_EQ(SendMessageA(List(), LB_GETCURSEL, 0, 0), 3);
    EXPECT_FALSE(Ticked());
    ExpectUsage(520, 300, 800, 600);

    ClickBox();
    const int32_t xs = ScrUseXs, zs = ScrUseZs;
    ChooseTab(5);
    ChooseTab(0);
    EXPECT_TRUE(Ticked());
    ExpectUsage(xs, zs, 1024, 768);
}

TEST_F(DisplayPage, AnEmptyCatalogueKeepsTheStoredSizes)
{
    UseCatalogue({});
    ASSERT_NE(OpenLauncher(), nullptr);
    EXPECT_TRUE(ListLines(List()).empty());
    ExpectUsage(320, 240, 640, 480);
    ClickBox(); // ticked and cleared again: no entry to take a size from
    ClickBox();
    EXPECT_EQ(WinGStyle, 0);
    PressGo(); // no entry, no depth: refused, nothing read past the catalogue
    EXPECT_EQ(Boxes().size(), 1u);
}

} // namespace
