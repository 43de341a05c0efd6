// The launcher's Display page.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK DisplayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Re-ranges both trackbars to a mode of width x height, keeping the used fraction, and
// stores the result in ScrUseXs and ScrUseZs.
void UpdateScreenUsage(HWND page, int32_t width, int32_t height);
