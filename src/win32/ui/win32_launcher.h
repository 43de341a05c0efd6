// The launcher dialog, its tab pages, the Display page and the video-modes dialog.
#pragma once

#include <windows.h>

#include <cstdint>

// One tab of the launcher: its page's template and procedure, and what Go asks of the page.
struct TabPage {
    const char* name; // null ends the table
    uint16_t templateId;
    DLGPROC pageProc;
    int (*apply)(HWND page);
    const DLGTEMPLATE* pageTemplate; // loaded by InitTabControl
    HGLOBAL resource; // released when the launcher is destroyed
};
constexpr int TabPageCount = 6;
extern TabPage TabPages[TabPageCount + 1];

extern HWND CurrentPage; // the page shown in the tab control, null before the first
extern POINT PageOrigin; // top-left of the tab control's display area, in its client area
extern int32_t SelectedMode; // ModeCatalogue index chosen on the Display page

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

// A page's first and last acts: move to PageOrigin and show itself, remembering its table
// entry (the creation parameter); and call that entry's apply callback. ApplyPage returns
// the callback's result, 0 when the entry is unknown.
void PlacePage(HWND page, LPARAM entry);
int ApplyPage(HWND page);

INT_PTR CALLBACK NotImplementedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DisplayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Re-ranges both trackbars to a mode of width x height, keeping the used fraction, and
// stores the result in ScrUseXs and ScrUseZs.
void UpdateScreenUsage(HWND page, int32_t width, int32_t height);

extern int32_t InfoModeIndex; // the catalogue entry the video-modes dialog shows
INT_PTR CALLBACK ModesInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the report of catalogue entry index into the dialog's text box: 0 when shown, -1 when
// the text buffer was refused or the catalogue has no such entry.
int ShowModeInfo(HWND dialog, int32_t index);
