// The hidden popup window in which the 3D view is shown, its procedure and its keys.
#include "win32/app/win32_view_window.h"

#include "base/settings.h"
#include "sound/sound.h"
#include "win32/display/win32_display.h"
#include "win32/sound/win32_music.h"
#include "world/viewpoint.h"

int32_t ViewWindowStatus = -1;

namespace {

const char ViewClassName[] = "quarvel";
HICON ViewIcon = nullptr;
HINSTANCE ViewInstance = nullptr;

void CloseView()
{
    StopView();
    if (JumpToDX != 0)
        PostQuitMessage(0);
    else if (Launcher)
        ShowWindow(Launcher, SW_SHOW);
}

} // namespace

void StopView()
{
    RunFlags |= RunFlagClosed;
    if (WinGStyle == 0)
        CloseFullScreen();
    else
        CloseWindowView();
    ShowWindow(ViewWindow, SW_HIDE);
    // Escape has already closed the tune; a view ended any other way must not leave it open,
    // or the next start's open would fail and the old device play on. Closing twice is harmless.
    MusicCommand("stop midifile");
    MusicCommand("close midifile");
}

int InitViewWindow(HINSTANCE instance)
{
    ViewIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
    if (!ViewIcon)
        return 1;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ViewWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ViewIcon;
    windowClass.lpszClassName = ViewClassName;
    if (!RegisterClassA(&windowClass)) {
        DestroyIcon(ViewIcon);
        ViewIcon = nullptr;
        return 3;
    }
    ViewWindow = CreateWindowExA(
        0, ViewClassName, "quarvel", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, instance, nullptr);
    if (!ViewWindow) {
        UnregisterClassA(ViewClassName, instance);
        DestroyIcon(ViewIcon);
        ViewIcon = nullptr;
        return 4;
    }
    ViewInstance = instance;
    ViewWindowStatus = 0;
    return 0;
}

int FreeViewWindow()
{
    if (ViewWindowStatus != 0)
        return ViewWindowStatus;
    DestroyWindow(ViewWindow);
    ViewWindow = nullptr;
    UnregisterClassA(ViewClassName, ViewInstance);
    DestroyIcon(ViewIcon);
    ViewIcon = nullptr;
    ViewWindowStatus = -1;
    return 0;
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            RunFlags |= RunFlagInactive;
        else
            ClearRunFlags(RunFlagInactive);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        CloseView();
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, UINT(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KEYUP:
        OnKeyUp(window, UINT(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void OnKeyDown(HWND window, UINT virtualKey, UINT repeatCount, UINT keyFlags)
{
    // Read at every press, auto-repeats included, so Ctrl can change a held turn.
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (virtualKey == VK_ESCAPE) {
        PlayEffect(-1);
        MusicCommand("stop midifile");
        MusicCommand("close midifile");
        PostMessageA(window, WM_CLOSE, 0, 0);
        return;
    }
    if (!PressViewKey(int32_t(virtualKey), ctrl))
        DefWindowProcA(window, WM_KEYDOWN, virtualKey, MAKELPARAM(repeatCount, keyFlags));
}

void OnKeyUp(HWND window, UINT virtualKey, UINT repeatCount, UINT keyFlags)
{
    if (!ReleaseViewKey(int32_t(virtualKey)))
        DefWindowProcA(window, WM_KEYUP, virtualKey, MAKELPARAM(repeatCount, keyFlags));
}
