// Scripted DirectDraw fakes logging every call, the display fixture, and the launcher fixture over them.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <ddraw.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/sys.h"
#include "render/bitmap.h"
#include "win32/app/win32_frame.h"
#include "win32/app/win32_program.h"
#include "win32/app/win32_view_window.h"
#include "win32/display/win32_display.h"
#include "win32/sound/win32_music.h"
#include "win32/ui/win32_launcher.h"

using Calls = std::vector<std::string>;
using Script = std::map<std::string, std::deque<HRESULT>>;

inline Calls Log; // every faked call in order, "object.Method details"
inline Calls Boxes; // message boxes as "caption: text"
inline Script Answers; // queued results per "object.Method"; DD_OK once a queue is empty
inline int CursorShown = 0; // shows minus hides

// clang-format off
inline HRESULT Answer(const std::string& call, const std::string& details = "")
{
    Log.push_back(details.empty() ? call : call + " " + details);
    std::deque<HRESULT>& queue = Answers[call];
    const HRESULT result = queue.empty() ? DD_OK : queue.front();
    return queue.empty() ? result : (queue.pop_front(), result);
}
inline Calls operator+(Calls a, const Calls& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
inline int RecordBox(const char* text, const char* caption) { return Boxes.push_back(std::string(caption) + ": " + text), IDOK; }
inline int WINAPI LogShowCursor(BOOL show) { return Log.push_back(show ? "ShowCursor 1" : "ShowCursor 0"), CursorShown += show ? 1 : -1; }
// A mode record whose every field differs, so a record copied short or shifted shows.
inline DDSURFACEDESC Mode(DWORD width, DWORD height, DWORD depth, DWORD tag = 0)
{
    DDSURFACEDESC mode;
    for (DWORD i = 0; i < sizeof mode / 4; ++i)
        reinterpret_cast<DWORD*>(&mode)[i] = tag * 1000 + i;
    mode.dwWidth = width, mode.dwHeight = height, mode.ddpfPixelFormat.dwRGBBitCount = depth;
    return mode;
}
inline std::string Hex(DWORD value) { char text[16]; return std::string(text, wsprintfA(text, "0x%lX", value)); }
inline std::string Place(const RECT* r)
{
    char text[64] = "whole surface";
    return r ? std::string(text, wsprintfA(text, "%ld,%ld,%ld,%ld", r->left, r->top, r->right, r->bottom)) : text;
}
inline std::string Text(HWND window) { char text[4096]; return std::string(text, GetWindowTextA(window, text, sizeof text)); }
// Handles every waiting message; the code of a quit among them, or -1.
inline WPARAM DrainMessages()
{
    WPARAM quit = WPARAM(-1);
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&message))
        quit = message.message == WM_QUIT ? message.wParam : quit;
    return quit;
}
// Puts each process-wide record it was handed back as it found it, when the test ends.
struct Kept : std::vector<std::function<void()>> {
    template <typename... T> void operator()(T&... records) { (push_back([&records, saved = records] { records = saved; }), ...); }
    ~Kept() { for (; !empty(); pop_back()) back()(); }
};

// The presenters, the music and the reactivation log what they were asked; presenters fail on request.
inline int PresenterResult = 0;
inline int LogPresenter(const char* which)
{
    Log.push_back(std::string(which) + " " + std::to_string(Projection.ProjXs) + "x" + std::to_string(Projection.ProjZs)
        + (IsWindowVisible(ViewWindow) ? "" : " unseen"));
    return PresenterResult;
}
inline Calls Started(const std::string& presenter)
{
    return { presenter, "music open sequencer!mus\\3d.mid alias midifile", "music play midifile from 0", "reactivate" };
}
// What closing an open full-screen view calls.
inline const Calls Closed = { "primary.Release", "palette.Release", "dd.RestoreDisplayMode", "dd.SetCooperativeLevel 0x8", "ShowCursor 1" };
// The answer, and the object handed out when it is DD_OK.
template <typename T> HRESULT HandOut(HRESULT answer, T** made, T* object) { return *made = answer == DD_OK ? object : nullptr, answer; }
#define NO(method, ...) STDMETHOD(method)(__VA_ARGS__) override { return DDERR_UNSUPPORTED; }
#define UNKNOWN(name) \
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; } \
    STDMETHOD_(ULONG, AddRef)() override { return 1; } \
    STDMETHOD_(ULONG, Release)() override { return ULONG(Answer(std::string(name) + ".Release")); }

class FakePalette : public IDirectDrawPalette {
public:
    UNKNOWN("palette")
    NO(GetEntries, DWORD, DWORD, DWORD, LPPALETTEENTRY) NO(Initialize, LPDIRECTDRAW, DWORD, LPPALETTEENTRY)
    NO(GetCaps, LPDWORD) NO(SetEntries, DWORD, DWORD, DWORD, LPPALETTEENTRY)
};

// One fake for the primary and the back buffer; the name prefixes its log lines.
class FakeSurface : public IDirectDrawSurface {
public:
    explicit FakeSurface(const char* surfaceName) : name(surfaceName) { }
    std::string name;
    IDirectDrawSurface* attached = nullptr; // what GetAttachedSurface hands out
    DDSURFACEDESC granted = {}; // what a granted Lock describes
    int locksHeld = 0;

    UNKNOWN(name)
    // The presenter's only Blt is a fill with colour 0; anything else is logged as such.
    STDMETHOD(Blt)(LPRECT r, LPDIRECTDRAWSURFACE source, LPRECT, DWORD flags, LPDDBLTFX fx) override
    {
        const bool fill = !source && flags == DDBLT_COLORFILL && fx && fx->dwSize == sizeof(DDBLTFX) && !fx->dwFillColor;
        return Answer(name + ".Blt", fill ? Place(r) : "not a colour-0 fill");
    }
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE target, DWORD flags) override { return Answer(name + ".Flip", target || flags ? "with arguments" : ""); }
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* made) override
    {
        return HandOut(Answer(name + ".GetAttachedSurface", Hex(caps->dwCaps)), made, attached);
    }
    STDMETHOD(GetDC)(HDC* result) override { return *result = nullptr, Answer(name + ".GetDC"); }
    STDMETHOD(IsLost)() override { return Answer(name + ".IsLost"); }
    STDMETHOD(Lock)(LPRECT r, LPDDSURFACEDESC description, DWORD flags, HANDLE event) override
    {
        const bool plain = flags == DDLOCK_WAIT && description->dwSize == sizeof(DDSURFACEDESC) && !event;
        const HRESULT result = Answer(name + ".Lock", Place(r) + (plain ? "" : " odd arguments"));
        if (result == DD_OK)
            *description = granted, ++locksHeld;
        return result;
    }
    STDMETHOD(ReleaseDC)(HDC dc) override { return Answer(name + ".ReleaseDC", dc ? "another context" : ""); }
    STDMETHOD(Restore)() override { return Answer(name + ".Restore"); }
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE palette) override { return Answer(name + ".SetPalette", palette ? "" : "null"); }
    STDMETHOD(Unlock)(LPVOID data) override { return --locksHeld, Answer(name + ".Unlock", data == granted.lpSurface ? "" : "another pointer"); }
    NO(GetOverlayPosition, LPLONG, LPLONG) NO(UpdateOverlay, LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX)
    NO(EnumOverlayZOrders, DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) NO(UpdateOverlayZOrder, DWORD, LPDIRECTDRAWSURFACE)
    NO(BltFast, DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) NO(DeleteAttachedSurface, DWORD, LPDIRECTDRAWSURFACE)
    NO(EnumAttachedSurfaces, LPVOID, LPDDENUMSURFACESCALLBACK) NO(Initialize, LPDIRECTDRAW, LPDDSURFACEDESC)
    NO(AddAttachedSurface, LPDIRECTDRAWSURFACE) NO(AddOverlayDirtyRect, LPRECT) NO(BltBatch, LPDDBLTBATCH, DWORD, DWORD)
    NO(GetClipper, LPDIRECTDRAWCLIPPER*) NO(GetColorKey, DWORD, LPDDCOLORKEY) NO(GetPalette, LPDIRECTDRAWPALETTE*)
    NO(GetPixelFormat, LPDDPIXELFORMAT) NO(GetSurfaceDesc, LPDDSURFACEDESC) NO(SetColorKey, DWORD, LPDDCOLORKEY)
    NO(SetClipper, LPDIRECTDRAWCLIPPER) NO(SetOverlayPosition, LONG, LONG) NO(UpdateOverlayDisplay, DWORD)
    NO(GetBltStatus, DWORD) NO(GetCaps, LPDDSCAPS) NO(GetFlipStatus, DWORD)
};

class FakeDirectDraw : public IDirectDraw {
public:
    FakeSurface* primary = nullptr; // what CreateSurface hands out
    FakePalette* palette = nullptr; // what CreatePalette hands out
    std::vector<DDSURFACEDESC> modes; // what EnumDisplayModes reports

    UNKNOWN("dd")
    STDMETHOD(CreatePalette)(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* made, IUnknown*) override
    {
        return HandOut(Answer("dd.CreatePalette", Hex(flags) + (entries == ProgramPalette.entries ? "" : " other colours")),
            made, static_cast<IDirectDrawPalette*>(palette));
    }
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC request, LPDIRECTDRAWSURFACE* made, IUnknown*) override
    {
        return HandOut(Answer("dd.CreateSurface", Hex(request->dwFlags) + " " + Hex(request->ddsCaps.dwCaps) + " "
                + std::to_string(request->dwBackBufferCount)), made, static_cast<IDirectDrawSurface*>(primary));
    }
    STDMETHOD(EnumDisplayModes)(DWORD flags, LPDDSURFACEDESC filter, LPVOID context, LPDDENUMMODESCALLBACK callback) override
    {
        for (DDSURFACEDESC& mode : modes)
            if (callback(&mode, context) != DDENUMRET_OK)
                break;
        return Answer("dd.EnumDisplayModes", flags || filter ? "filtered" : "");
    }
    STDMETHOD(RestoreDisplayMode)() override { return Answer("dd.RestoreDisplayMode"); }
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override
    {
        return Answer("dd.SetCooperativeLevel", Hex(flags) + (window == ViewWindow ? "" : " another window"));
    }
    STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD depth) override
    {
        return Answer("dd.SetDisplayMode", std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth));
    }
    NO(EnumSurfaces, DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) NO(GetGDISurface, LPDIRECTDRAWSURFACE*)
    NO(Compact) NO(DuplicateSurface, LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) NO(WaitForVerticalBlank, DWORD, HANDLE)
    NO(CreateClipper, DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) NO(GetFourCCCodes, LPDWORD, LPDWORD) NO(Initialize, GUID*)
    NO(GetDisplayMode, LPDDSURFACEDESC) NO(GetMonitorFrequency, LPDWORD) NO(GetVerticalBlankStatus, WINBOOL*)
    NO(FlipToGDISurface) NO(GetCaps, LPDDCAPS, LPDDCAPS) NO(GetScanLine, LPDWORD)
};
#undef NO
#undef UNKNOWN
// clang-format on

// The display records wired to fakes: a 640 x 480 mode, a 320 x 240 viewport, an empty backdrop.
class DisplayTest : public ::testing::Test {
protected:
    // clang-format off
    void SetUp() override
    {
        keep(DirectDrawObject, DirectDrawCreateFunction, SysMessageBox, ShowCursorFunction, ViewWindow, WinGStyle, LastModeXs);
        keep(LastModeZs, Projection, Backdrop, ProgramPalette, PrimarySurface, BackSurface, FullScreenPalette, FullScreenStatus);
        dd.primary = &primary, dd.palette = &palette, primary.attached = &back;
        DirectDrawObject = &dd, SysMessageBox = RecordBox, ShowCursorFunction = LogShowCursor;
        ViewWindow = reinterpret_cast<HWND>(0x5150);
        WinGStyle = 0, LastModeXs = 640, LastModeZs = 480;
        Projection.ProjDs = 160, Projection.ProjXs = 320, Projection.ProjZs = 240;
        SetProjectionBounds();
        Backdrop = {}, CursorShown = 0;
        Log.clear(), Boxes.clear(), Answers.clear();
        GetCurrentDirectoryA(MAX_PATH, previous);
    }
    void TearDown() override { SetCurrentDirectoryA(previous), RemoveDirectoryA(directory.c_str()); }
    // The state a successful InitFullScreen leaves, without its calls.
    void Activate() { PrimarySurface = &primary, BackSurface = &back, FullScreenPalette = &palette, FullScreenStatus = 0; }
    // A fresh, empty current directory of the test's own, removed when the test ends.
    void InFreshDirectory()
    {
        directory = "quarvel-" + std::to_string(GetCurrentProcessId()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(directory.c_str(), nullptr);
        SetCurrentDirectoryA(directory.c_str());
    }
    // clang-format on

    Kept keep;
    FakeDirectDraw dd;
    FakeSurface primary { "primary" }, back { "back" };
    FakePalette palette;
    std::string directory;
    char previous[MAX_PATH]; // the current directory, put back when the test ends
};

class LauncherTest : public DisplayTest {
protected:
    // clang-format off
    void SetUp() override
    {
        DisplayTest::SetUp();
        keep(Launcher, CurrentPage, JumpToDX, ScrUseXs, ScrUseZs, SelectedMode, RunFlags, DesktopWidth, DesktopHeight);
        keep(ModeCatalogue, ModeCount, MusicCommand, ReactivateDisplayFunction, InitFullScreenFunction, InitWindowViewFunction, RenderFrameFunction);
        for (TabPage& page : TabPages) keep(page);
        MusicCommand = [](const char* command) { Log.push_back(std::string("music ") + command); };
        ReactivateDisplayFunction = [] { Log.push_back("reactivate"); };
        InitFullScreenFunction = [] { return LogPresenter("full screen"); };
        InitWindowViewFunction = [] { return LogPresenter("window"); };
        PresenterResult = 0, JumpToDX = 0, ScrUseXs = 320, ScrUseZs = 240, DesktopWidth = 1024, DesktopHeight = 768;
        RunFlags = RunFlagClosed;
        UseCatalogue({ Mode(320, 200, 8), Mode(640, 480, 8), Mode(640, 480, 16), Mode(800, 600, 8), Mode(1024, 768, 8) });
        ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
    }
    void TearDown() override { DestroyWindow(launcher), FreeViewWindow(), DrainMessages(), DisplayTest::TearDown(); }
    void UseCatalogue(std::vector<DDSURFACEDESC> modes)
    {
        catalogue = std::move(modes);
        ModeCatalogue = catalogue.empty() ? nullptr : catalogue.data(), ModeCount = int32_t(catalogue.size());
    }
    HWND OpenLauncher()
    {
        DestroyWindow(launcher);
        return Launcher = launcher = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, LauncherDialogProc, 0);
    }
    HWND Tab() const { return GetDlgItem(launcher, 1011); }
    HWND Control(int id) const { return GetDlgItem(CurrentPage, id); }
    void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id))); }
    // clang-format on

    HWND launcher = nullptr;
    std::vector<DDSURFACEDESC> catalogue;
};
