// One frame of the 3D view on Windows: the world step and drawing, the notice, presentation.
#include "win32/app/win32_frame.h"

#include <windows.h>

#include "app/frame.h"
#include "base/settings.h"
#include "render/backdrop.h"
#include "win32/display/win32_display.h"

const char NoticeText[] = "Quarvel 8-bit software engine test. Esc ends the view";
static_assert(sizeof NoticeText - 1 == 53, "the notice is one line of 53 characters");

int (*RenderFrameFunction)() = RenderFrame;

namespace {

void ClearWindowBands()
{
    const FrameTarget target = WindowFrameTarget();
    if (target.pixels)
        ClearBandsInBuffer(target.pixels, target.pitch, Backdrop);
}

int AcquireWindowTarget(FrameTarget* target)
{
    *target = WindowFrameTarget();
    return target->pixels ? 0 : -1;
}

void ReleaseWindowTarget(const FrameTarget&) { }

const FramePresenter WindowPresenter = { ClearWindowBands, AcquireWindowTarget, ReleaseWindowTarget };

// Colour 0 over one band of the back buffer. A fill still pending is asked again at once;
// a lost surface is restored (both buffers cleared) and the fill repeated. false: the
// bands stay as they are for this frame.
bool FillBand(const ScreenRect& band)
{
    RECT rect = { band.left, band.top, band.right, band.bottom };
    for (;;) {
        const HRESULT result = FillBlack(BackSurface, &rect);
        if (result == DD_OK)
            return true;
        if (result == DDERR_WASSTILLDRAWING)
            continue;
        if (result == DDERR_SURFACELOST && RestoreSurfaces(1) == 0)
            continue;
        return false;
    }
}

void ClearFullScreenBands()
{
    if (!BackSurface)
        return;
    const ScreenRect viewport = ViewportRect(LastModeXs, LastModeZs);
    const BackdropPlacement place = PlaceBackdrop(Backdrop);
    if (place.top != 0) {
        const ScreenRect band = { viewport.left, viewport.top, viewport.right, viewport.top + place.top };
        if (!FillBand(band))
            return;
    }
    if (place.bottom < Projection.ProjZs)
        FillBand({ viewport.left, viewport.top + place.bottom, viewport.right, viewport.bottom });
}

// Any of these valid-field bits says the lock really described the surface.
constexpr DWORD LockDescriptionFields = 0x1F9EE;

// Only the viewport is locked, so the description's surface pointer is the viewport's
// top-left pixel. 0; -1 lock refused; -2 surface lost and not restored; -3 the lock
// described nothing.
int LockBackBuffer(FrameTarget* target)
{
    if (!BackSurface)
        return -1;
    const ScreenRect viewport = ViewportRect(LastModeXs, LastModeZs);
    RECT rect = { viewport.left, viewport.top, viewport.right, viewport.bottom };
    DDSURFACEDESC description;
    for (;;) {
        description = {};
        description.dwSize = sizeof description;
        const HRESULT result = BackSurface->Lock(&rect, &description, DDLOCK_WAIT, nullptr);
        if (result == DD_OK)
            break;
        if (result != DDERR_SURFACELOST)
            return -1;
        if (RestoreSurfaces(0) != 0)
            return -2;
    }
    if ((description.dwFlags & LockDescriptionFields) == 0) {
        // The lock itself succeeded: left held, it would refuse every later frame's fills,
        // locks and flips.
        BackSurface->Unlock(description.lpSurface);
        return -3;
    }
    target->pixels = static_cast<uint8_t*>(description.lpSurface);
    target->pitch = int32_t(description.lPitch);
    return 0;
}

void UnlockBackBuffer(const FrameTarget& target)
{
    BackSurface->Unlock(target.pixels);
}

const FramePresenter FullScreenPresenter = { ClearFullScreenBands, LockBackBuffer, UnlockBackBuffer };

void WriteNotice(HDC dc)
{
    SetBkColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0xFFFFFF);
    TextOutA(dc, 0, 0, NoticeText, sizeof NoticeText - 1);
}

} // namespace

int RenderFrame()
{
    const int result = StepAndDrawFrame(WinGStyle != 0 ? WindowPresenter : FullScreenPresenter);
    if (result != 0)
        return result;
    if (WinGStyle != 0) {
        WriteNotice(MemoryDC);
    } else {
        // The text goes through the back buffer's device context, which exists only while
        // the buffer is not locked; a buffer that gives none this frame just goes without.
        HDC dc = nullptr;
        if (BackSurface->GetDC(&dc) == DD_OK) {
            WriteNotice(dc);
            BackSurface->ReleaseDC(dc);
        }
    }
    PresentFrame();
    return 0;
}
