// The Windows shell's shared state and centring one window over another.
#include "win32/shell/win32_shell.h"

HINSTANCE ProgramInstance = nullptr;
HWND ViewWindow = nullptr;
HWND Launcher = nullptr;
int32_t DesktopWidth = 0;
int32_t DesktopHeight = 0;
uint32_t RunFlags = 0xFFFFFFFF;
void (*ReactivateDisplayFunction)() = nullptr;

int QueryDesktop()
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    DesktopWidth = desktop.right - desktop.left;
    DesktopHeight = desktop.bottom - desktop.top;
    return 0;
}

uint32_t ClearRunFlags(uint32_t mask)
{
    const uint32_t old = RunFlags;
    const uint32_t cleared = old & ~mask;
    if (cleared == 0 && ReactivateDisplayFunction)
        ReactivateDisplayFunction();
    RunFlags = cleared;
    return old;
}

void CentreWindow(HWND window, HWND other)
{
    RECT own, over, desktop;
    GetWindowRect(window, &own);
    GetWindowRect(other, &over);
    const LONG w = own.right - own.left;
    const LONG h = own.bottom - own.top;
    LONG left = (over.left + over.right - w) >> 1;
    LONG top = (over.top + over.bottom - h) >> 1;
    GetWindowRect(GetDesktopWindow(), &desktop);
    if (left + w > desktop.right)
        left = desktop.right - w;
    if (left < desktop.left)
        left = desktop.left;
    if (top + h > desktop.bottom)
        top = desktop.bottom - h;
    if (top < desktop.top)
        top = desktop.top;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
