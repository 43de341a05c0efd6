// The launcher dialog.
#pragma once

#include <windows.h>

INT_PTR CALLBACK LauncherDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
