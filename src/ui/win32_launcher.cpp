// The launcher dialog's procedure.
#include "ui/win32_launcher.h"

// The launcher's pages and commands are not part of the program yet (its template is not
// among the resources, so it is never created); closing it ends the program.
INT_PTR CALLBACK LauncherDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 1;
    }
    return 0;
}
