// The Windows shell's shared state: the instance, the view window and launcher handles, the
// desktop size, RunFlags, and centring one window over another.
#pragma once

#include <windows.h>

#include <cstdint>

extern HINSTANCE ProgramInstance;
extern HWND ViewWindow; // the view's popup window, null until made
extern HWND Launcher; // the modeless launcher dialog, null until created
extern int32_t DesktopWidth, DesktopHeight;

// Reads the desktop window's size into DesktopWidth and DesktopHeight. Returns 0.
int QueryDesktop();

// Frames are produced only while this is 0. Bit 0: the view is inactive; bit 15: closed.
extern uint32_t RunFlags;
constexpr uint32_t RunFlagInactive = 0x0001;
constexpr uint32_t RunFlagClosed = 0x8000;

// Clears the bits of mask; when that leaves RunFlags at 0 the display is reactivated
// first. Returns the previous value.
uint32_t ClearRunFlags(uint32_t mask);

// The display's half of resuming frames: set by the program's main (the display sits above
// this file), replaced by tests to see the calls; null does nothing.
extern void (*ReactivateDisplayFunction)();

// Moves window, keeping its size and Z order, so that it is centred over other and
// stays on the desktop (a window larger than the desktop goes to its left or top edge).
void CentreWindow(HWND window, HWND other);
