// The active presenter's two entry points, chosen by WinGStyle.
#include "base/settings.h"
#include "win32/display/win32_display.h"

int PresentFrame()
{
    return WinGStyle == 0 ? PresentFullScreen() : PresentWindow();
}

void ReactivateDisplay()
{
    if (WinGStyle == 0)
        ReactivateFullScreen();
    else
        ReactivateWindow();
}
