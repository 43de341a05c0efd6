// The full-screen presenter: an exclusive 8-bit display mode, a flipping pair of surfaces and its palette.
#include "win32/display/win32_display.h"

#include "base/settings.h"
#include "base/sys.h"
#include "win32/shell/win32_shell.h"

IDirectDrawSurface* PrimarySurface = nullptr;
IDirectDrawSurface* BackSurface = nullptr;
IDirectDrawPalette* FullScreenPalette = nullptr;
int32_t FullScreenStatus = -1;
int(WINAPI* ShowCursorFunction)(BOOL) = ShowCursor;

HRESULT FillBlack(IDirectDrawSurface* surface, RECT* rect)
{
    DDBLTFX fill = {};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = 0;
    return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL, &fill);
}

namespace {

static_assert(
    sizeof(void*) != 4 || sizeof(DDBLTFX) == 100, "the colour-fill request is the 100-byte DDBLTFX");

void ShowFailure(HRESULT result, const char* caption)
{
    SysMessageBox(DDErrorText(uint32_t(result)), caption);
}

// Colour 0 over the whole display mode; callers ignore the result, the next frame redraws.
void ClearSurface(IDirectDrawSurface* surface)
{
    RECT whole = { 0, 0, LastModeXs, LastModeZs };
    FillBlack(surface, &whole);
}

// The back buffer belongs to the primary's chain and goes with it.
void ReleasePrimary()
{
    PrimarySurface->Release();
    PrimarySurface = nullptr;
    BackSurface = nullptr;
}

void ReleasePalette()
{
    FullScreenPalette->Release();
    FullScreenPalette = nullptr;
}

void BackToDesktop()
{
    DirectDrawObject->RestoreDisplayMode();
    DirectDrawObject->SetCooperativeLevel(ViewWindow, DDSCL_NORMAL);
}

} // namespace

// Each failing step undoes the steps before it, so a failure leaves the desktop as it was
// and Go can be pressed again.
int InitFullScreen()
{
    HRESULT result = DirectDrawObject->SetCooperativeLevel(ViewWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    if (result != DD_OK) {
        ShowFailure(result, "SetCooperativeLevel() failed");
        return -1;
    }

    result = DirectDrawObject->SetDisplayMode(DWORD(LastModeXs), DWORD(LastModeZs), 8);
    if (result != DD_OK) {
        DirectDrawObject->SetCooperativeLevel(ViewWindow, DDSCL_NORMAL);
        ShowFailure(result, "SetDisplayMode() failed");
        return -2;
    }

    DDSURFACEDESC chain = {};
    chain.dwSize = sizeof chain;
    chain.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    chain.dwBackBufferCount = 1;
    result = DirectDrawObject->CreateSurface(&chain, &PrimarySurface, nullptr);
    if (result != DD_OK) {
        PrimarySurface = nullptr;
        BackToDesktop();
        ShowFailure(result, "CreateSurface() failed");
        return -3;
    }

    DDSCAPS backCaps = { DDSCAPS_BACKBUFFER };
    result = PrimarySurface->GetAttachedSurface(&backCaps, &BackSurface);
    if (result != DD_OK) {
        ReleasePrimary();
        BackToDesktop();
        ShowFailure(result, "GetAttachedSurface() failed");
        return -4;
    }

    result
        = DirectDrawObject->CreatePalette(DDPCAPS_8BIT, ProgramPalette.entries, &FullScreenPalette, nullptr);
    if (result != DD_OK) {
        FullScreenPalette = nullptr;
        ReleasePrimary();
        BackToDesktop();
        ShowFailure(result, "CreatePalette() failed");
        return -6;
    }

    result = PrimarySurface->SetPalette(FullScreenPalette);
    if (result != DD_OK) {
        ReleasePalette();
        ReleasePrimary();
        BackToDesktop();
        ShowFailure(result, "SetPalette() failed");
        return -7;
    }

    ShowCursorFunction(FALSE);
    ClearSurface(PrimarySurface);
    ClearSurface(BackSurface);
    FullScreenStatus = 0;
    return 0;
}

int RestoreSurfaces(int clear)
{
    const HRESULT result = PrimarySurface->Restore();
    // Cleared whatever Restore said: a surface that did come back must not show old memory.
    if (clear == 1) {
        ClearSurface(PrimarySurface);
        ClearSurface(BackSurface);
    }
    return int(result);
}

// No retry limit: a flip still pending is asked again at once, and a lost surface is
// restored for as long as restoring succeeds, so a finished frame is never dropped.
int PresentFullScreen()
{
    if (FullScreenStatus != 0)
        return -1;
    for (;;) {
        const HRESULT result = PrimarySurface->Flip(nullptr, 0);
        if (result == DD_OK)
            return 0;
        if (result == DDERR_SURFACELOST) {
            if (RestoreSurfaces(0) != 0)
                return 1;
        } else if (result != DDERR_WASSTILLDRAWING) {
            return -1;
        }
    }
}

// Surfaces lost while the program was in the background come back cleared.
void ReactivateFullScreen()
{
    if (FullScreenStatus != 0)
        return;
    if (PrimarySurface->IsLost() == DDERR_SURFACELOST)
        RestoreSurfaces(1);
}

// The close goes on whatever the display says; its complaints are only shown. It counts as
// closed from its first step: the message boxes pump messages, and a second close that
// arrives meanwhile must find nothing left to release.
void CloseFullScreen()
{
    if (FullScreenStatus != 0)
        return;
    FullScreenStatus = -1;
    ReleasePrimary();
    ReleasePalette();
    const HRESULT restored = DirectDrawObject->RestoreDisplayMode();
    const HRESULT normal = DirectDrawObject->SetCooperativeLevel(ViewWindow, DDSCL_NORMAL);
    if (restored != DD_OK)
        ShowFailure(restored, "rdm");
    if (normal != DD_OK)
        ShowFailure(normal, "scl");
    ShowCursorFunction(TRUE);
}
