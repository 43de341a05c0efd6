// Placing one window centred over another, kept on the desktop.
#pragma once

#include <windows.h>

// Moves window, keeping its size and Z order, so that it is centred over other and
// stays on the desktop (a window larger than the desktop goes to its left or top edge).
void CentreWindow(HWND window, HWND other);
