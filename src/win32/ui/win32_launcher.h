// The launcher dialog: its tab table, its buttons and the straight-to-the-view start.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win32/ui/win32_display_page.h"
#include "win32/ui/win32_modes_info.h"
#include "win32/ui/win32_pages.h"

constexpr int TabPageCount = 6;
extern TabPage TabPages[TabPageCount + 1];

// The presenters Go and the straight-to-the-view start set up: 0 or their failure code.
// Replaceable so tests can see and fail the set-up.
extern int (*InitFullScreenFunction)();
extern int (*InitWindowViewFunction)();

INT_PTR CALLBACK LauncherDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when the command was one of the launcher's buttons, else 0.
int LauncherCommand(HWND dialog, int id, HWND control, int notification);

// Loads the page templates, adds a tab for each that loaded, sizes the launcher around the
// largest page and sets PageOrigin.
void InitTabControl(HWND dialog);

// The TabPages index of the page that tab position shows; -1 when there is no such tab.
// Positions and table indexes part ways when a page's template failed to load.
int TabPageAt(HWND tabControl, int position);
