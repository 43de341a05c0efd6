// What every tab page of the launcher shares: where pages go, the page shown, the chosen
// mode, a page's first and last acts, and the page of the tabs not implemented.
#include "win32/ui/win32_pages.h"

HWND CurrentPage = nullptr;
POINT PageOrigin = { 0, 0 };
int32_t SelectedMode = 0;

void PlacePage(HWND page, LPARAM entry)
{
    SetWindowLongPtrA(page, DWLP_USER, LONG_PTR(entry));
    SetWindowPos(page, nullptr, PageOrigin.x, PageOrigin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(page, SW_SHOW);
}

int ApplyPage(HWND page)
{
    const TabPage* entry = reinterpret_cast<const TabPage*>(GetWindowLongPtrA(page, DWLP_USER));
    return entry ? entry->apply(page) : 0;
}

INT_PTR CALLBACK NotImplementedPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        PlacePage(page, lParam);
        return 0;
    case WM_DESTROY:
        ApplyPage(page);
        return 1;
    default:
        return 0;
    }
}
