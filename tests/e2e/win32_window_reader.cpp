// inspector.exe: finds another program's windows from outside, for the end-to-end scripts.
//
//   inspector.exe wait TITLE visible|hidden|gone SECONDS   exit 1 when the state is not reached in time
//   inspector.exe rect TITLE [ID]   "left top right bottom" on screen, of the window or of its control ID
//   inspector.exe close TITLE       asks the window to close, as its close box would
//   inspector.exe cycles N          N times: Go on the launcher, then Escape in the view, each
//                                   waited for (exit 1 when a step is not reached in 30 s)
//
// Exit: 0 done, 1 no such window or time-out, 2 bad arguments. "Quarvel" and "quarvel" are different titles.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Search {
    const char* title;
    int id;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    if (search->title ? std::strcmp(text, search->title) != 0 : GetDlgCtrlID(window) != search->id)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND Find(const char* title)
{
    Search search = { title, 0, nullptr };
    EnumWindows(Match, LPARAM(&search));
    return search.found;
}

int Wait(const char* title, const char* state, double seconds)
{
    if (std::strcmp(state, "visible") && std::strcmp(state, "hidden") && std::strcmp(state, "gone"))
        return 2;
    for (const DWORD start = GetTickCount();; Sleep(100)) {
        HWND window = Find(title);
        const bool visible = window && IsWindowVisible(window);
        if (*state == 'v' ? visible : *state == 'h' ? window && !visible : !window)
            return 0;
        if (GetTickCount() - start >= DWORD(seconds * 1000))
            return 1;
    }
}

int Rect(const char* title, const char* id)
{
    HWND window = Find(title);
    if (window && id) { // any descendant: the launcher's pages are children of its tab control
        Search search = { nullptr, std::atoi(id), nullptr };
        EnumChildWindows(window, Match, LPARAM(&search));
        window = search.found;
    }
    RECT r;
    if (!window || !GetWindowRect(window, &r))
        return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

// Go as its button sends it, and Escape as the keyboard sends it, posted from outside.
int Cycles(int count)
{
    for (int i = 0; i < count; ++i) {
        HWND launcher = Find("Quarvel");
        if (!launcher || Wait("Quarvel", "visible", 30))
            return 1;
        PostMessageA(launcher, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), LPARAM(GetDlgItem(launcher, 1009)));
        if (Wait("quarvel", "visible", 30))
            return 1;
        Sleep(50); // a few frames
        PostMessageA(Find("quarvel"), WM_KEYDOWN, VK_ESCAPE, 1);
        if (Wait("quarvel", "hidden", 30) || Wait("Quarvel", "visible", 30))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && !std::strcmp(argv[1], "wait"))
        return Wait(argv[2], argv[3], std::atof(argv[4]));
    if ((argc == 3 || argc == 4) && !std::strcmp(argv[1], "rect"))
        return Rect(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 3 && !std::strcmp(argv[1], "close")) {
        HWND window = Find(argv[2]);
        return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc == 3 && !std::strcmp(argv[1], "cycles"))
        return Cycles(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: inspector.exe wait TITLE visible|hidden|gone SECONDS | rect TITLE [ID] | "
                         "close TITLE | cycles N\n");
    return 2;
}
