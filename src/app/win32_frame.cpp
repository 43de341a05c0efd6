// One frame of the 3D view on Windows: the world step and drawing, the notice, presentation.
#include "app/win32_frame.h"

#include <windows.h>

#include "app/frame.h"
#include "app/settings.h"
#include "display/win32_display.h"
#include "render/backdrop.h"

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

void ReleaseWindowTarget(const FrameTarget&)
{
}

const FramePresenter WindowPresenter = {ClearWindowBands, AcquireWindowTarget, ReleaseWindowTarget};

void NoBands()
{
}

// The full-screen presenter is not part of the program yet: it has no surface to lock.
int NoFullScreenTarget(FrameTarget*)
{
    return -1;
}

const FramePresenter FullScreenPresenter = {NoBands, NoFullScreenTarget, ReleaseWindowTarget};

} // namespace

int RenderFrame()
{
    const int result = StepAndDrawFrame(WinGStyle != 0 ? WindowPresenter : FullScreenPresenter);
    if (result != 0)
        return result;
    HDC dc = MemoryDC;
    SetBkColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0xFFFFFF);
    TextOutA(dc, 0, 0, NoticeText, sizeof NoticeText - 1);
    PresentFrame();
    return 0;
}
