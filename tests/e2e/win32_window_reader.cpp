// inspector.exe: finds the program's windows from outside, for the end-to-end scripts (usage in main).
// rect prints a window's or its control's place on screen; cycles posts Go to the launcher, then Escape
// to the view, each waited for. Exit: 0 done, 1 no such window or time-out, 2 bad arguments.
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

int Wait(const char* title, const char* state, double seconds)
{
    for (const DWORD start = GetTickCount();; Sleep(100)) {
        HWND window = Find(title);
        const bool visible = window && IsWindowVisible(window);
        if (*state == 'v' ? visible : *state == 'h' ? window && !visible : !window)
            return 0;
        if (GetTickCount() - start >= DWORD(seconds * 1000))
            return 1;
    }
}

// Go as its button sends it, and Escape as the keyboard sends it, posted from outside.
int Cycles(int count)
{
    for (int i = 0; i < count; ++i) {
        if (Wait("Quarvel", "visible", 30))
            return 1;
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
    if (argc == 5 && !std::strcmp(command, "wait") && argv[3][0] && std::strchr("vhg", argv[3][0]))
        return Wait(argv[2], argv[3], std::atof(argv[4]));
    if ((argc == 3 || argc == 4) && !std::strcmp(command, "rect")) {
        window = argc == 4 ? GetDlgItem(window, std::atoi(argv[3])) : window;
        if (!window || !GetWindowRect(window, &r))
            return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (argc == 3 && !std::strcmp(command, "close")) // a null window would post to this thread
        return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (argc == 3 && !std::strcmp(command, "cycles"))
        return Cycles(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: inspector.exe wait TITLE visible|hidden|gone SECONDS | rect TITLE [CONTROL ID] | "
                         "close TITLE | cycles N\n");
    return 2;
}
