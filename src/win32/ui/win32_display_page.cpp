// The launcher's Display page: the display-mode list, the window-style box and the two
// screen-usage trackbars, all kept in the process-wide settings.
#include "win32/ui/win32_display_page.h"

#include <commctrl.h>

#include "base/settings.h"
#include "win32/display/win32_display.h"
#include "win32/shell/win32_shell.h"
#include "win32/ui/win32_pages.h"

namespace {

constexpr int ModeListId = 1004;
constexpr int WindowBoxId = 1005;
constexpr int WidthBarId = 1017;
constexpr int HeightBarId = 1019;
constexpr int WidthLabelId = 1020;
constexpr int HeightLabelId = 1021;

bool HasEntry(int32_t index)
{
    return CatalogueEntry(index) != nullptr;
}

int32_t EntryWidth(int32_t index)
{
    return int32_t(ModeCatalogue[index].dwWidth);
}

int32_t EntryHeight(int32_t index)
{
    return int32_t(ModeCatalogue[index].dwHeight);
}

void WriteLabel(HWND page, int labelId, const char* format, int32_t used, int32_t available)
{
    char text[64];
    wsprintfA(text, format, used, available);
    SetDlgItemTextA(page, labelId, text);
}

void SetUpTrackbar(HWND page, int barId, int32_t modeSize, int32_t used)
{
    HWND bar = GetDlgItem(page, barId);
    SendMessageA(bar, TBM_SETLINESIZE, 0, 4);
    SendMessageA(bar, TBM_SETPAGESIZE, 0, 64);
    SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELONG(0, modeSize));
    SendMessageA(bar, TBM_SETPOS, TRUE, used);
}

// One trackbar of UpdateScreenUsage; returns the new used size.
int32_t Rescale(HWND page, int barId, int labelId, const char* format, int32_t newSize, bool roundToFour)
{
    HWND bar = GetDlgItem(page, barId);
    const int32_t oldMax = int32_t(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
    const int32_t position = int32_t(SendMessageA(bar, TBM_GETPOS, 0, 0));
    SendMessageA(bar, TBM_SETPOS, TRUE, 0);
    SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELONG(0, newSize));
    // A range that ends at 0 (a stored mode size of 0) has every position at its end: the
    // whole of the new size is used, and nothing is divided by 0.
    int32_t used = oldMax > 0 ? (oldMax + 2 * position * newSize) / (2 * oldMax) : newSize;
    if (roundToFour)
        used &= ~3;
    SendMessageA(bar, TBM_SETPOS, TRUE, used);
    UpdateWindow(bar);
    WriteLabel(page, labelId, format, used, newSize);
    return used;
}

void InitPage(HWND page, LPARAM entry)
{
    PlacePage(page, entry);
    SetUpTrackbar(page, WidthBarId, LastModeXs, ScrUseXs);
    SetUpTrackbar(page, HeightBarId, LastModeZs, ScrUseZs);
    CheckDlgButton(page, WindowBoxId, WinGStyle != 0 ? BST_CHECKED : BST_UNCHECKED);

    HWND list = GetDlgItem(page, ModeListId);
    SelectedMode = 0;
    for (int32_t i = 0; i < ModeCount && ModeCatalogue; ++i) {
        const DDSURFACEDESC& mode = ModeCatalogue[i];
        char line[48];
        wsprintfA(line, "%ldx%ldx%ld", LONG(mode.dwWidth), LONG(mode.dwHeight),
            LONG(mode.ddpfPixelFormat.dwRGBBitCount));
        SendMessageA(list, LB_ADDSTRING, 0, LPARAM(line));
        if (int32_t(mode.dwWidth) == LastModeXs && int32_t(mode.dwHeight) == LastModeZs
            && mode.ddpfPixelFormat.dwRGBBitCount == 8)
            SelectedMode = i;
    }
    SendMessageA(list, LB_SETCURSEL, WPARAM(SelectedMode), 0);

    // An empty catalogue keeps the stored mode size.
    if (HasEntry(SelectedMode)) {
        LastModeXs = EntryWidth(SelectedMode);
        LastModeZs = EntryHeight(SelectedMode);
    }
    if (WinGStyle != 0) {
        LastModeXs = DesktopWidth;
        LastModeZs = DesktopHeight;
    }
    UpdateScreenUsage(page, LastModeXs, LastModeZs);
}

void WindowBoxClicked(HWND page)
{
    LastModeXs = DesktopWidth;
    LastModeZs = DesktopHeight;
    WinGStyle = 1;
    if (IsDlgButtonChecked(page, WindowBoxId) != BST_CHECKED) {
        WinGStyle = 0;
        if (HasEntry(SelectedMode)) {
            LastModeXs = EntryWidth(SelectedMode);
            LastModeZs = EntryHeight(SelectedMode);
        }
    }
    UpdateScreenUsage(page, LastModeXs, LastModeZs);
}

void ModeChosen(HWND page)
{
    const int32_t chosen = int32_t(SendDlgItemMessageA(page, ModeListId, LB_GETCURSEL, 0, 0));
    if (!HasEntry(chosen))
        return;
    SelectedMode = chosen;
    if (WinGStyle != 0)
        return; // the desktop's size holds until the box is cleared
    LastModeXs = EntryWidth(chosen);
    LastModeZs = EntryHeight(chosen);
    UpdateScreenUsage(page, LastModeXs, LastModeZs);
}

// Dragged positions are kept as they are: only a change of mode rounds the width.
INT_PTR TrackbarMoved(HWND page, HWND bar)
{
    const int id = GetDlgCtrlID(bar);
    if (id != WidthBarId && id != HeightBarId)
        return 0;
    const int32_t position = int32_t(SendMessageA(bar, TBM_GETPOS, 0, 0));
    const int32_t rangeMax = int32_t(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
    if (id == WidthBarId) {
        ScrUseXs = position;
        WriteLabel(page, WidthLabelId, "width: %d/%d", position, rangeMax);
    } else {
        ScrUseZs = position;
        WriteLabel(page, HeightLabelId, "height: %d/%d", position, rangeMax);
    }
    return 1;
}

} // namespace

void UpdateScreenUsage(HWND page, int32_t width, int32_t height)
{
    ScrUseXs = Rescale(page, WidthBarId, WidthLabelId, "width: %d/%d", width, true);
    ScrUseZs = Rescale(page, HeightBarId, HeightLabelId, "height: %d/%d", height, false);
}

INT_PTR CALLBACK DisplayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPage(page, lParam);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == WindowBoxId && HIWORD(wParam) == BN_CLICKED) {
            WindowBoxClicked(page);
            return 1;
        }
        if (LOWORD(wParam) == ModeListId && HIWORD(wParam) == LBN_SELCHANGE) {
            ModeChosen(page);
            return 1;
        }
        return 0;
    case WM_HSCROLL:
        return TrackbarMoved(page, reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        ApplyPage(page);
        return 1;
    default:
        return 0;
    }
}
