// What every tab page of the launcher shares: its table entry, where pages go, the page
// shown, the chosen mode, a page's first and last acts, and the not-implemented page.
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

extern HWND CurrentPage; // the page shown in the tab control, null before the first
extern POINT PageOrigin; // top-left of the tab control's display area, in its client area
extern int32_t SelectedMode; // ModeCatalogue index chosen on the Display page

// A page's first and last acts: move to PageOrigin and show itself, remembering its table
// entry (the creation parameter, a TabPage pointer); and call that entry's apply callback.
// ApplyPage returns the callback's result, 0 when the page has no entry.
void PlacePage(HWND page, LPARAM entry);
int ApplyPage(HWND page);

INT_PTR CALLBACK NotImplementedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
