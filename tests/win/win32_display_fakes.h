// Recording fakes of the DirectDraw object, its surfaces and palette, for the display tests.
#pragma once

#include <windows.h>

#include <ddraw.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/sys.h"
#include "app/win32_view_window.h"
#include "display/win32_display.h"

// Every call the fakes see, in order, as "object.Method arguments".
inline std::vector<std::string> DDCalls;

inline std::string Hex(DWORD value)
{
    char text[16];
    wsprintfA(text, "0x%lX", value);
    return text;
}

// The answers one method gives: the queued ones in order, then `otherwise` for good.
struct Answers {
    std::deque<HRESULT> next;
    HRESULT otherwise = DD_OK;

    HRESULT Take()
    {
        if (next.empty())
            return otherwise;
        const HRESULT result = next.front();
        next.pop_front();
        return result;
    }
    void Queue(std::initializer_list<HRESULT> results, HRESULT then = DD_OK)
    {
        next.assign(results);
        otherwise = then;
    }
};

// One Blt as the surface saw it.
struct BltCall {
    RECT rect;
    bool hasRect, hasSource, hasSourceRect;
    DWORD flags;
    DDBLTFX fx;
};

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class FakePalette : public IDirectDrawPalette {
public:
    int releases = 0;

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override
    {
        DDCalls.push_back("palette.Release");
        ++releases;
        return 0;
    }
    STDMETHOD(GetCaps)(LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetEntries)(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetEntries)(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
};

class FakeSurface : public IDirectDrawSurface {
public:
    explicit FakeSurface(const char* surfaceName)
        : name(surfaceName)
    {
    }

    std::string name;
    Answers flip, blt, lock, restore, isLost, getDC, getAttached, setPalette;
    std::vector<BltCall> blts;
    int releases = 0;
    FakeSurface* attached = nullptr; // what GetAttachedSurface hands out
    IDirectDrawPalette* palette = nullptr;

    // What a successful Lock reports, and what it was asked.
    DWORD lockFields = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
    void* lockMemory = nullptr;
    LONG lockPitch = 0;
    RECT lockRect = {};
    DWORD lockFlags = 0, lockDescriptionSize = 0;
    HANDLE lockEvent = nullptr;
    int locksHeld = 0;
    void* unlockedWith = nullptr;

    HDC dc = nullptr; // what GetDC hands out
    HDC releasedDC = nullptr;

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override
    {
        DDCalls.push_back(name + ".Release");
        ++releases;
        return 0;
    }
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(AddOverlayDirtyRect)(LPRECT) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Blt)
    (LPRECT rect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) override
    {
        DDCalls.push_back(name + ".Blt");
        BltCall call = {};
        call.hasRect = rect != nullptr;
        if (rect)
            call.rect = *rect;
        call.hasSource = source != nullptr;
        call.hasSourceRect = sourceRect != nullptr;
        call.flags = flags;
        if (fx)
            call.fx = *fx;
        blts.push_back(call);
        return blt.Take();
    }
    STDMETHOD(BltBatch)(LPDDBLTBATCH, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(BltFast)(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(DeleteAttachedSurface)(DWORD, LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(EnumAttachedSurfaces)(LPVOID, LPDDENUMSURFACESCALLBACK) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(EnumOverlayZOrders)(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE target, DWORD flags) override
    {
        DDCalls.push_back(name + ".Flip " + (target ? "surface" : "null") + " " + Hex(flags));
        return flip.Take();
    }
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* surface) override
    {
        DDCalls.push_back(name + ".GetAttachedSurface " + Hex(caps->dwCaps));
        const HRESULT result = getAttached.Take();
        if (result == DD_OK)
            *surface = attached;
        return result;
    }
    STDMETHOD(GetBltStatus)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetCaps)(LPDDSCAPS) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetColorKey)(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetDC)(HDC* result) override
    {
        DDCalls.push_back(name + ".GetDC");
        const HRESULT answer = getDC.Take();
        if (answer == DD_OK)
            *result = dc;
        return answer;
    }
    STDMETHOD(GetFlipStatus)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetOverlayPosition)(LPLONG, LPLONG) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(LPDIRECTDRAW, LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(IsLost)() override
    {
        DDCalls.push_back(name + ".IsLost");
        return isLost.Take();
    }
    STDMETHOD(Lock)(LPRECT rect, LPDDSURFACEDESC description, DWORD flags, HANDLE event) override
    {
        DDCalls.push_back(name + ".Lock");
        lockRect = rect ? *rect : RECT{-1, -1, -1, -1};
        lockFlags = flags;
        lockEvent = event;
        lockDescriptionSize = description->dwSize;
        const HRESULT result = lock.Take();
        if (result == DD_OK) {
            description->dwFlags = lockFields;
            description->lpSurface = lockMemory;
            description->lPitch = lockPitch;
            ++locksHeld;
        }
        return result;
    }
    STDMETHOD(ReleaseDC)(HDC released) override
    {
        DDCalls.push_back(name + ".ReleaseDC");
        releasedDC = released;
        return DD_OK;
    }
    STDMETHOD(Restore)() override
    {
        DDCalls.push_back(name + ".Restore");
        return restore.Take();
    }
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetColorKey)(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetOverlayPosition)(LONG, LONG) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE newPalette) override
    {
        DDCalls.push_back(name + ".SetPalette");
        palette = newPalette;
        return setPalette.Take();
    }
    STDMETHOD(Unlock)(LPVOID data) override
    {
        DDCalls.push_back(name + ".Unlock");
        unlockedWith = data;
        --locksHeld;
        return DD_OK;
    }
    STDMETHOD(UpdateOverlay)(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(UpdateOverlayDisplay)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(UpdateOverlayZOrder)(DWORD, LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }
};

class FakeDirectDraw : public IDirectDraw {
public:
    Answers cooperate, setMode, createSurface, createPalette, restoreMode, enumerate;
    FakeSurface* primary = nullptr; // what CreateSurface hands out
    FakePalette* palette = nullptr; // what CreatePalette hands out
    int releases = 0;

    HWND cooperationWindow = nullptr;
    DDSURFACEDESC surfaceRequest = {};
    LPPALETTEENTRY paletteEntries = nullptr;

    // What EnumDisplayModes reports before it answers, and what it runs between modes.
    std::vector<DDSURFACEDESC> modes;
    std::function<void()> whileEnumerating;
    DWORD enumFlags = 0xFFFFFFFF;
    bool enumFilter = true;

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override
    {
        DDCalls.push_back("dd.Release");
        ++releases;
        return 0;
    }
    STDMETHOD(Compact)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(CreatePalette)
    (DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* result, IUnknown*) override
    {
        DDCalls.push_back("dd.CreatePalette " + Hex(flags));
        paletteEntries = entries;
        const HRESULT answer = createPalette.Take();
        if (answer == DD_OK)
            *result = palette;
        return answer;
    }
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* result, IUnknown*) override
    {
        DDCalls.push_back("dd.CreateSurface");
        surfaceRequest = *description;
        const HRESULT answer = createSurface.Take();
        if (answer == DD_OK)
            *result = primary;
        return answer;
    }
    STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(EnumDisplayModes)
    (DWORD flags, LPDDSURFACEDESC filter, LPVOID context, LPDDENUMMODESCALLBACK callback) override
    {
        DDCalls.push_back("dd.EnumDisplayModes");
        enumFlags = flags;
        enumFilter = filter != nullptr;
        for (DDSURFACEDESC& mode : modes) {
            if (callback(&mode, context) != DDENUMRET_OK)
                break;
            if (whileEnumerating)
                whileEnumerating();
        }
        return enumerate.Take();
    }
    STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(FlipToGDISurface)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetCaps)(LPDDCAPS, LPDDCAPS) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetFourCCCodes)(LPDWORD, LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetMonitorFrequency)(LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetScanLine)(LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetVerticalBlankStatus)(WINBOOL*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(GUID*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(RestoreDisplayMode)() override
    {
        DDCalls.push_back("dd.RestoreDisplayMode");
        return restoreMode.Take();
    }
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override
    {
        DDCalls.push_back("dd.SetCooperativeLevel " + Hex(flags));
        cooperationWindow = window;
        return cooperate.Take();
    }
    STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD depth) override
    {
        DDCalls.push_back("dd.SetDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x"
            + std::to_string(depth));
        return setMode.Take();
    }
    STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
};

// The message boxes a test saw, as "caption: text".
inline std::vector<std::string> Boxes;
inline int RecordBox(const char* text, const char* caption)
{
    Boxes.push_back(std::string(caption) + ": " + text);
    return IDOK;
}

// ShowCursor as the presenter calls it: counted and logged, the real cursor left alone.
inline int CursorHides = 0, CursorShows = 0;
inline int WINAPI CountShowCursor(BOOL show)
{
    DDCalls.push_back(show ? "ShowCursor 1" : "ShowCursor 0");
    (show ? CursorShows : CursorHides) += 1;
    return CursorShows - CursorHides;
}

// A full-screen presenter wired to fakes: a 640 x 480 mode with a 320 x 240 viewport. The
// presenter's records are put back as they were after each test.
class FullScreenFakes : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedObject = DirectDrawObject;
        savedBox = SysMessageBox;
        savedCursor = ShowCursorFunction;
        savedWindow = ViewWindow;
        savedStyle = WinGStyle;
        savedModeXs = LastModeXs;
        savedModeZs = LastModeZs;
        savedProjection = Projection;
        dd.primary = &primary;
        dd.palette = &palette;
        primary.attached = &back;
        DirectDrawObject = &dd;
        SysMessageBox = RecordBox;
        ShowCursorFunction = CountShowCursor;
        ViewWindow = reinterpret_cast<HWND>(0x5150);
        WinGStyle = 0;
        LastModeXs = 640;
        LastModeZs = 480;
        Projection.ProjDs = 160;
        Projection.ProjXs = 320;
        Projection.ProjZs = 240;
        SetProjectionBounds();
        DDCalls.clear();
        Boxes.clear();
        CursorHides = CursorShows = 0;
    }
    void TearDown() override
    {
        PrimarySurface = nullptr;
        BackSurface = nullptr;
        FullScreenPalette = nullptr;
        FullScreenStatus = -1;
        DirectDrawObject = savedObject;
        SysMessageBox = savedBox;
        ShowCursorFunction = savedCursor;
        ViewWindow = savedWindow;
        WinGStyle = savedStyle;
        LastModeXs = savedModeXs;
        LastModeZs = savedModeZs;
        Projection = savedProjection;
    }
    // The state a successful InitFullScreen leaves, without its calls in the log.
    void Activate()
    {
        PrimarySurface = &primary;
        BackSurface = &back;
        FullScreenPalette = &palette;
        FullScreenStatus = 0;
    }
    // The calls of one name in the log, in order.
    static std::vector<std::string> CallsOf(const std::string& prefix)
    {
        std::vector<std::string> found;
        for (const std::string& call : DDCalls)
            if (call.compare(0, prefix.size(), prefix) == 0)
                found.push_back(call);
        return found;
    }
    // A colour fill of colour 0 over rect, as every fill of the presenter must be made.
    static void ExpectFill(const BltCall& call, RECT rect)
    {
        EXPECT_TRUE(call.hasRect);
        EXPECT_TRUE(call.rect == rect)
            << call.rect.left << "," << call.rect.top << "," << call.rect.right << "," << call.rect.bottom;
        EXPECT_FALSE(call.hasSource);
        EXPECT_FALSE(call.hasSourceRect);
        EXPECT_EQ(call.flags, DWORD(DDBLT_COLORFILL));
        EXPECT_EQ(call.fx.dwSize, 100u);
        EXPECT_EQ(call.fx.dwFillColor, 0u);
    }

    FakeDirectDraw dd;
    FakeSurface primary{"primary"}, back{"back"};
    FakePalette palette;
    IDirectDraw* savedObject;
    MessageBoxFunction savedBox;
    int(WINAPI* savedCursor)(BOOL);
    HWND savedWindow;
    int32_t savedStyle, savedModeXs, savedModeZs;
    ProjectionValues savedProjection;
};
