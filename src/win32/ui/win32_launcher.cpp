// The launcher dialog: the tab table, Go, Video Modes and Exit, and the straight-to-the-view
// start.
#include "win32/ui/win32_launcher.h"

#include <commctrl.h>

#include "app/config.h"
#include "base/settings.h"
#include "base/sys.h"
#include "render/trig.h"
#include "win32/display/win32_display.h"
#include "win32/shell/win32_shell.h"
#include "win32/sound/win32_music.h"

namespace {

constexpr int TabControlId = 1011;
constexpr int GoId = 1009;
constexpr int ExitId = 1008;
constexpr int VideoModesId = 1012;
constexpr int ModesInfoTemplate = 106;

const char LimitsText[] = "only 8-bit modes from 128x128 to 2048x2048 are supported now";

int ApplyNothing(HWND)
{
    return 0;
}

HINSTANCE InstanceOf(HWND window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

// Destroys the shown page and creates the one of table entry `entry` (none for -1).
void ShowPage(HWND launcher, int entry)
{
    if (CurrentPage) {
        DestroyWindow(CurrentPage);
        CurrentPage = nullptr;
    }
    if (entry < 0 || !TabPages[entry].pageTemplate)
        return;
    // The page learns its table entry from the creation parameter, to find its apply callback.
    CurrentPage = CreateDialogIndirectParamA(InstanceOf(launcher), TabPages[entry].pageTemplate,
        GetDlgItem(launcher, TabControlId), TabPages[entry].pageProc, LPARAM(&TabPages[entry]));
}

// The last steps of every start of the view, once the presenter is set up.
void StartFrames()
{
    SetProjectionBounds();
    MusicCommand("open sequencer!mus\\3d.mid alias midifile");
    MusicCommand("play midifile from 0");
    ClearRunFlags(RunFlags);
}

// The limits of the view: an 8-bit mode and a viewport of 128 to 2048 pixels each way. A view
// outside them would be drawn out of bounds; it is refused with a message.
bool WithinViewLimits(uint32_t depth)
{
    if (depth == 8 && ViewSizeAllowed(ScrUseXs, ScrUseZs))
        return true;
    SysMessageBox(LimitsText, "program limitation");
    return false;
}

// The view at once, always full screen; the launcher stays hidden for the whole run. The
// screen usage comes straight from fc.ini here, so it is held to Go's limits too.
void JumpToView(HWND launcher)
{
    WinGStyle = 0;
    ShowWindow(launcher, SW_HIDE);
    if (!WithinViewLimits(8)) {
        PostQuitMessage(0);
        return;
    }
    ShowWindow(ViewWindow, SW_SHOW);
    Projection.ProjXs = ScrUseXs;
    Projection.ProjZs = ScrUseZs;
    if (InitFullScreenFunction() != 0) {
        // No surfaces to draw into, and no launcher on this start: end as closing the view
        // would. The presenter has shown its own message.
        ShowWindow(ViewWindow, SW_HIDE);
        PostQuitMessage(0);
        return;
    }
    StartFrames();
}

// The bits per pixel of the chosen catalogue entry; 0 when there is no such entry.
uint32_t SelectedDepth()
{
    const DDSURFACEDESC* mode = CatalogueEntry(SelectedMode);
    return mode ? mode->ddpfPixelFormat.dwRGBBitCount : 0;
}

int Go(HWND launcher)
{
    HWND tab = GetDlgItem(launcher, TabControlId);
    const int entry = TabPageAt(tab, int(SendMessageA(tab, TCM_GETCURSEL, 0, 0)));
    if (entry >= 0)
        TabPages[entry].apply(CurrentPage);

    if (!WithinViewLimits(WinGStyle != 0 ? 8 : SelectedDepth()))
        return 1;
    ShowWindow(launcher, SW_HIDE);
    ShowWindow(ViewWindow, SW_SHOW);
    Projection.ProjXs = ScrUseXs;
    Projection.ProjZs = ScrUseZs;
    const int result = WinGStyle != 0 ? InitWindowViewFunction() : InitFullScreenFunction();
    if (result != 0) {
        ShowWindow(ViewWindow, SW_HIDE);
        ShowWindow(launcher, SW_SHOW);
        return 1;
    }
    StartFrames();
    return 1;
}

} // namespace

TabPage TabPages[TabPageCount + 1] = {
    { "Display", 103, DisplayPageProc, ApplyNothing, nullptr, nullptr },
    { "Sound", 105, NotImplementedPageProc, ApplyNothing, nullptr, nullptr },
    { "Keyboard", 105, NotImplementedPageProc, ApplyNothing, nullptr, nullptr },
    { "Mouse", 105, NotImplementedPageProc, ApplyNothing, nullptr, nullptr },
    { "Network", 105, NotImplementedPageProc, ApplyNothing, nullptr, nullptr },
    { "Misc", 105, NotImplementedPageProc, ApplyNothing, nullptr, nullptr },
    { nullptr, 0, nullptr, nullptr, nullptr, nullptr },
};

int (*InitFullScreenFunction)() = InitFullScreen;
int (*InitWindowViewFunction)() = InitWindowView;

int TabPageAt(HWND tabControl, int position)
{
    if (position < 0)
        return -1;
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageA(tabControl, TCM_GETITEMA, WPARAM(position), LPARAM(&item)))
        return -1;
    return int(item.lParam);
}

void InitTabControl(HWND dialog)
{
    HWND tab = GetDlgItem(dialog, TabControlId);
    const int buttonIds[3] = { GoId, ExitId, VideoModesId };
    HWND buttons[3];
    for (int i = 0; i < 3; ++i)
        buttons[i] = GetDlgItem(dialog, buttonIds[i]);

    RECT outer, tabRect;
    GetWindowRect(dialog, &outer);
    GetWindowRect(tab, &tabRect);
    const LONG extraW = (outer.right - outer.left) - (tabRect.right - tabRect.left);
    const LONG extraH = (outer.bottom - outer.top) - (tabRect.bottom - tabRect.top);
    POINT offsets[3];
    for (int i = 0; i < 3; ++i) {
        RECT r;
        GetWindowRect(buttons[i], &r);
        offsets[i] = { r.left - tabRect.right, r.top - tabRect.bottom };
    }
    POINT tabAt = { tabRect.left, tabRect.top };
    ScreenToClient(dialog, &tabAt);

    const HINSTANCE instance = InstanceOf(dialog);
    int widest = 0, tallest = 0, count = 0;
    for (int i = 0; TabPages[i].name; ++i) {
        TabPage& page = TabPages[i];
        HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(page.templateId), RT_DIALOG);
        if (!found) {
            SysMessageBox("FindResource() in InitTabControl()", "function failed");
            continue;
        }
        page.resource = LoadResource(instance, found);
        if (!page.resource) {
            SysMessageBox("LoadResource() in InitTabControl()", "function failed");
            continue;
        }
        page.pageTemplate = static_cast<const DLGTEMPLATE*>(LockResource(page.resource));
        if (!page.pageTemplate) {
            SysMessageBox("LockResource() in InitTabControl()", "function failed");
            FreeResource(page.resource);
            page.resource = nullptr;
            continue;
        }
        // Read from the plain header; the pages are not extended templates.
        const int width = page.pageTemplate->cx;
        const int height = page.pageTemplate->cy;
        if (width > widest)
            widest = width;
        if (height > tallest)
            tallest = height;
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<char*>(page.name);
        item.lParam = i; // the table entry this tab shows, whatever its position
        SendMessageA(tab, TCM_INSERTITEMA, WPARAM(count), LPARAM(&item));
        ++count;
    }

    RECT area = { 0, 0, widest, tallest };
    MapDialogRect(dialog, &area);
    SendMessageA(tab, TCM_ADJUSTRECT, TRUE, LPARAM(&area));
    const LONG tabW = area.right - area.left;
    const LONG tabH = area.bottom - area.top;
    SetWindowPos(dialog, nullptr, 0, 0, tabW + extraW, tabH + extraH,
        SWP_NOMOVE | SWP_NOZORDER | SWP_HIDEWINDOW | SWP_NOREDRAW);
    SetWindowPos(tab, nullptr, tabAt.x, tabAt.y, tabW, tabH, SWP_NOZORDER);
    for (int i = 0; i < 3; ++i)
        SetWindowPos(buttons[i], nullptr, tabAt.x + tabW + offsets[i].x, tabAt.y + tabH + offsets[i].y, 0, 0,
            SWP_NOSIZE | SWP_NOZORDER);

    RECT display = { 0, 0, tabW, tabH };
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, LPARAM(&display));
    PageOrigin = { display.left, display.top };
    SetFocus(tab);
}

INT_PTR CALLBACK LauncherDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (JumpToDX != 0) {
            JumpToView(dialog);
            return 0;
        }
        CentreWindow(dialog, GetDesktopWindow());
        InitTabControl(dialog);
        ShowWindow(dialog, SW_SHOW);
        // The first tab shows the Display page unless its template failed to load.
        ShowPage(dialog, TabPageAt(GetDlgItem(dialog, TabControlId), 0));
        return 0;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != TabControlId || header->code != TCN_SELCHANGE)
            return 0;
        HWND tab = GetDlgItem(dialog, TabControlId);
        SetFocus(tab);
        ShowPage(dialog, TabPageAt(tab, int(SendMessageA(tab, TCM_GETCURSEL, 0, 0))));
        return 1;
    }
    case WM_COMMAND:
        LauncherCommand(dialog, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 1;
    case WM_DESTROY:
        for (int i = 0; TabPages[i].name; ++i) {
            if (TabPages[i].resource)
                FreeResource(TabPages[i].resource);
            TabPages[i].resource = nullptr;
            TabPages[i].pageTemplate = nullptr;
        }
        // The page goes with the launcher; a later launcher must not destroy it again.
        CurrentPage = nullptr;
        return 1;
    default:
        return 0;
    }
}

int LauncherCommand(HWND dialog, int id, HWND, int)
{
    switch (id) {
    case ExitId:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return 1;
    case VideoModesId:
        DialogBoxParamA(
            InstanceOf(dialog), MAKEINTRESOURCEA(ModesInfoTemplate), dialog, ModesInfoDialogProc, 0);
        return 1;
    case GoId:
        return Go(dialog);
    default:
        return 0;
    }
}
