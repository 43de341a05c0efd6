// Process-wide settings read from fc.ini and changed in memory by the launcher.
#pragma once

#include <cstdint>

extern int32_t JumpToDX; // not 0: start straight in the full-screen view
extern int32_t WinGStyle; // 0: full-screen presenter; otherwise the window presenter
extern int32_t LastModeXs; // display mode size
extern int32_t LastModeZs;
extern int32_t ScrUseXs; // screen-usage (viewport) size chosen for the view
extern int32_t ScrUseZs;

extern char* ConfigPath; // full path of fc.ini, an AllocBlock buffer
extern int32_t ConfigStatus; // -1 not loaded, 0 loaded (shared with the picture set)
