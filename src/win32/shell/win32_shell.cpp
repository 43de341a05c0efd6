// Placing one window centred over another, kept on the desktop.
#include "win32/shell/win32_shell.h"

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
