// The video-modes information dialog.
#pragma once

#include <windows.h>

#include <cstdint>

extern int32_t InfoModeIndex; // the catalogue entry the video-modes dialog shows
INT_PTR CALLBACK ModesInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the report of catalogue entry index into the dialog's text box: 0 when shown, -1 when
// the text buffer was refused or the catalogue has no such entry.
int ShowModeInfo(HWND dialog, int32_t index);
