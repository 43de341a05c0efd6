// The hidden popup window in which the 3D view is shown.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win32/shell/win32_shell.h"

extern int32_t ViewWindowStatus;

// 0; 1 no icon, 3 class not registered, 4 window not created.
int InitViewWindow(HINSTANCE instance);

// 0, or the status word when nothing was set up.
int FreeViewWindow();

// Stops frames, releases the presenter's per-view resources, hides the view window and
// closes the tune: the view's end, whatever ends it.
void StopView();

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Keyboard handling of the view window: the arrows, A, Z and Escape.
void OnKeyDown(HWND window, UINT virtualKey, UINT repeatCount, UINT keyFlags);
void OnKeyUp(HWND window, UINT virtualKey, UINT repeatCount, UINT keyFlags);
