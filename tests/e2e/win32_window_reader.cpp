// inspector.exe: the program's windows seen from outside, for the end-to-end scripts (usage in main).
// Exit: 0 done, 1 no such window or time-out, 2 bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The launcher is a dialog titled "Quarvel", the view a window of class and title "quarvel".
HWND Find(const char* title)
{
    return FindWindowA(std::strcmp(title, "quarvel") ? "#32770" : "quarvel", title);
}

// 0 once the window exists and is visible (state "visible") or hidden (any other), 1 when time is up.
int Wait(const char* title, const char* state, double seconds)
{
    for (const DWORD start = GetTickCount();; Sleep(100)) {
        HWND window = Find(title);
        if (window && (IsWindowVisible(window) != 0) == !std::strcmp(state, "visible"))
            return 0;
        if (GetTickCount() - start >= DWORD(seconds * 1000))
            return 1;
    }
}

// From the launcher shown: Go as its button sends it, then Escape to the view as the keyboard sends it,
// each waited for, until the launcher is back.
int Cycles(int count)
{
    for (int i = 0; i < count; ++i) {
        HWND launcher = Find("Quarvel");
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
    const char* command = argc > 1 ? argv[1] : "";
    HWND window = argc > 2 ? Find(argv[2]) : nullptr;
    RECT r;
    if (argc == 5 && !std::strcmp(command, "wait"))
        return Wait(argv[2], argv[3], std::atof(argv[4]));
    if ((argc == 3 || argc == 4) && !std::strcmp(command, "rect")) { // of the window, or of its control
        window = argc == 4 ? GetDlgItem(window, std::atoi(argv[3])) : window;
        if (!window || !GetWindowRect(window, &r))
            return 1;
        return std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom) < 0;
    }
    if (argc == 3 && !std::strcmp(command, "close")) // a null window would post to this thread
        return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (argc == 3 && !std::strcmp(command, "cycles"))
        return Cycles(std::atoi(argv[2]));
    std::fprintf(stderr,
        "usage: inspector.exe wait TITLE visible|hidden SECONDS | rect TITLE [CONTROL ID] | close TITLE | "
        "cycles N\n");
    return 2;
}
