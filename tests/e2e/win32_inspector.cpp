// inspector.exe: reads another program's windows from outside, for the end-to-end scripts.
//
//   inspector.exe list TITLE              the top-level window titled exactly TITLE and every
//                                         control inside it, one line each (see PrintWindow)
//   inspector.exe wait TITLE STATE SECS   waits until that window is visible, hidden (exists but
//                                         not visible), shown (exists) or gone; exit 1 on time-out
//   inspector.exe rect TITLE [ID]         the screen rectangle "left top right bottom" of the
//                                         window, or of its control ID
//   inspector.exe close TITLE             asks the window to close, as its close box would
//
// Exit codes: 0 done, 1 no such window or time-out, 2 bad arguments. Titles are compared with
// case (the launcher "Quarvel" and the view "quarvel" differ only there).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(text, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(const char* title)
{
    Search search = { title, nullptr };
    EnumWindows(MatchTitle, LPARAM(&search));
    return search.found;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

// WM_GETTEXT is carried across processes by the system, so this reads the control's own text.
std::string TextOf(HWND window)
{
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(size_t(length) + 1, '\0');
    SendMessageA(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

// List lines are read as wide text: the system carries LB_GETTEXT across processes as such.
std::string ListItems(HWND list)
{
    std::string out;
    const int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0);
        std::wstring wide(size_t(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(wide.data()));
        char item[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, item, sizeof item - 1, nullptr, nullptr);
        if (i)
            out += '|';
        out += item;
    }
    return out;
}

// Tab texts and rectangles travel through pointers, which the system does not carry across
// processes: the item, its text buffer and the rectangle are placed in the other process's
// memory. Gives the names and the screen rectangles, each joined with '|'.
void TabItems(HWND tab, std::string* names, std::string* rects)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(tab, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return;
    constexpr SIZE_T TextSize = 256;
    constexpr SIZE_T Total = sizeof(TCITEMA) + sizeof(RECT) + TextSize;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, Total, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote) {
        char* remoteRect = remote + sizeof(TCITEMA);
        char* remoteText = remoteRect + sizeof(RECT);
        const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = remoteText;
            item.cchTextMax = int(TextSize);
            char text[TextSize] = {};
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            WriteProcessMemory(process, remoteText, text, TextSize, nullptr);
            SendMessageA(tab, TCM_GETITEMA, WPARAM(i), LPARAM(remote));
            ReadProcessMemory(process, remoteText, text, TextSize - 1, nullptr);
            RECT r = {};
            SendMessageA(tab, TCM_GETITEMRECT, WPARAM(i), LPARAM(remoteRect));
            ReadProcessMemory(process, remoteRect, &r, sizeof r, nullptr);
            MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
            char rect[64];
            std::snprintf(rect, sizeof rect, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
            if (i) {
                *names += '|';
                *rects += '|';
            }
            *names += text;
            *rects += rect;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
}

// One line: kind, id, class, text, visibility and screen rectangle, then what the control's
// kind adds: check state, list lines and selection, trackbar position and range, tab names,
// selection and tab rectangles.
void PrintWindow(const char* kind, HWND window)
{
    char className[128];
    GetClassNameA(window, className, sizeof className);
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%s id=%d class=%s text=%s visible=%d enabled=%d rect=%ld,%ld,%ld,%ld", kind,
        GetDlgCtrlID(window), className, Quoted(TextOf(window)).c_str(), IsWindowVisible(window) ? 1 : 0,
        IsWindowEnabled(window) ? 1 : 0, r.left, r.top, r.right, r.bottom);
    if (!_stricmp(className, "Button")) {
        const LONG style = GetWindowLongA(window, GWL_STYLE) & 0xF;
        if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX || style == BS_RADIOBUTTON
            || style == BS_AUTORADIOBUTTON || style == BS_3STATE || style == BS_AUTO3STATE)
            std::printf(" checked=%d", int(SendMessageA(window, BM_GETCHECK, 0, 0)));
    } else if (!_stricmp(className, "ListBox")) {
        std::printf(" items=%s selected=%d", Quoted(ListItems(window)).c_str(),
            int(SendMessageA(window, LB_GETCURSEL, 0, 0)));
    } else if (!_stricmp(className, TRACKBAR_CLASSA)) {
        std::printf(" pos=%d range=%d..%d", int(SendMessageA(window, TBM_GETPOS, 0, 0)),
            int(SendMessageA(window, TBM_GETRANGEMIN, 0, 0)),
            int(SendMessageA(window, TBM_GETRANGEMAX, 0, 0)));
    } else if (!_stricmp(className, WC_TABCONTROLA)) {
        std::string names, rects;
        TabItems(window, &names, &rects);
        std::printf(" tabs=%s selected=%d tabrects=%s", Quoted(names).c_str(),
            int(SendMessageA(window, TCM_GETCURSEL, 0, 0)), rects.c_str());
    }
    std::printf("\n");
    std::fflush(stdout);
}

BOOL CALLBACK PrintChild(HWND window, LPARAM)
{
    PrintWindow("control", window);
    return TRUE;
}

int List(const char* title)
{
    HWND window = FindTopLevel(title);
    if (!window) {
        std::fprintf(stderr, "no window titled \"%s\"\n", title);
        return 1;
    }
    PrintWindow("window", window);
    EnumChildWindows(window, PrintChild, 0);
    return 0;
}

int Wait(const char* title, const char* state, double seconds)
{
    const DWORD limit = DWORD(seconds * 1000);
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindTopLevel(title);
        bool reached = false;
        if (!std::strcmp(state, "visible"))
            reached = window && IsWindowVisible(window);
        else if (!std::strcmp(state, "hidden"))
            reached = window && !IsWindowVisible(window);
        else if (!std::strcmp(state, "shown"))
            reached = window != nullptr;
        else if (!std::strcmp(state, "gone"))
            reached = window == nullptr;
        else {
            std::fprintf(stderr, "unknown state %s\n", state);
            return 2;
        }
        if (reached)
            return 0;
        if (GetTickCount() - start >= limit) {
            std::fprintf(stderr, "\"%s\" not %s after %g s\n", title, state, seconds);
            return 1;
        }
        Sleep(100);
    }
}

struct ById {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ById*>(data);
    if (GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}

int Rect(const char* title, const char* id)
{
    HWND window = FindTopLevel(title);
    if (window && id) {
        // Any descendant, since pages are children of the tab control.
        ById search = { std::atoi(id), nullptr };
        EnumChildWindows(window, MatchId, LPARAM(&search));
        window = search.found;
    }
    if (!window) {
        std::fprintf(stderr, "no such window\n");
        return 1;
    }
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

int Close(const char* title)
{
    HWND window = FindTopLevel(title);
    if (!window) {
        std::fprintf(stderr, "no window titled \"%s\"\n", title);
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && !std::strcmp(argv[1], "list"))
        return List(argv[2]);
    if (argc >= 5 && !std::strcmp(argv[1], "wait"))
        return Wait(argv[2], argv[3], std::atof(argv[4]));
    if (argc >= 3 && !std::strcmp(argv[1], "rect"))
        return Rect(argv[2], argc >= 4 ? argv[3] : nullptr);
    if (argc >= 3 && !std::strcmp(argv[1], "close"))
        return Close(argv[2]);
    std::fprintf(stderr,
        "usage: inspector.exe list TITLE | wait TITLE visible|hidden|shown|gone SECONDS"
        " | rect TITLE [ID] | close TITLE\n");
    return 2;
}
