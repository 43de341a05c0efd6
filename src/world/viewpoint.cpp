// The viewer's record, the two keyboard motion axes and the per-frame move.
#include "world/viewpoint.h"

#include "base/sine.h"
#include "sound/sound.h"
#include "world/objects.h"

ViewPointRecord ViewPoint = { 0, 0, 128, 0, 0, 0, 128, 0, 0, 0 };
MotionAxis ForwardAxis = { 0, 0, 0, 0, 0 };
MotionAxis TurnAxis = { 0, 0, 0, 0, 0 };

namespace {

constexpr int32_t WorldBound = 8191;
constexpr int32_t HeightStep = 16;

void DriveAxis(MotionAxis* axis, int32_t rate, int32_t key, int32_t limit)
{
    axis->rate = rate;
    axis->key = key;
    axis->limit = limit;
    axis->released &= ~1;
}

void ReleaseAxis(MotionAxis* axis, int32_t key, int32_t decay)
{
    if (axis->key != key)
        return;
    axis->rate = decay;
    axis->key = 0;
    axis->released |= 1;
}

// fc.ini stores any height; the step wraps as 32-bit values do, so near the limits it is
// still defined and still lands in 0..1023.
int32_t StepHeight(int32_t step)
{
    return int32_t((uint32_t(ViewPoint.height) + uint32_t(step)) & 1023u);
}

} // namespace

bool PressViewKey(int32_t virtualKey, bool ctrlHeld)
{
    switch (virtualKey) {
    case KeyLeft:
        DriveAxis(&TurnAxis, 4, KeyLeft, ctrlHeld ? 1 : 32);
        return true;
    case KeyRight:
        DriveAxis(&TurnAxis, -4, KeyRight, ctrlHeld ? 1 : 32);
        return true;
    case KeyUp:
        DriveAxis(&ForwardAxis, 6, KeyUp, 30);
        return true;
    case KeyDown:
        DriveAxis(&ForwardAxis, -6, KeyDown, 30);
        return true;
    case KeyA:
        ViewPoint.height = StepHeight(ctrlHeld ? 1 : HeightStep);
        return true;
    case KeyZ:
        ViewPoint.height = StepHeight(ctrlHeld ? -1 : -HeightStep);
        return true;
    default:
        return false;
    }
}

bool ReleaseViewKey(int32_t virtualKey)
{
    switch (virtualKey) {
    case KeyLeft:
    case KeyRight:
        ReleaseAxis(&TurnAxis, virtualKey, 4);
        return true;
    case KeyUp:
    case KeyDown:
        ReleaseAxis(&ForwardAxis, virtualKey, 3);
        return true;
    default:
        return false;
    }
}

int32_t StepAxis(MotionAxis* axis)
{
    if ((axis->released & 1) == 0) {
        axis->velocity += axis->rate;
        if (axis->velocity < -axis->limit)
            axis->velocity = -axis->limit;
        else if (axis->velocity > axis->limit)
            axis->velocity = axis->limit;
    } else if (axis->velocity < 0) {
        axis->velocity += axis->rate;
        if (axis->velocity > 0)
            axis->velocity = 0;
    } else if (axis->velocity > 0) {
        axis->velocity -= axis->rate;
        if (axis->velocity < 0)
            axis->velocity = 0;
    }
    return axis->velocity;
}

void AdvanceViewPoint(int32_t distance)
{
    // An angle straight from fc.ini may lie outside 0..1023; the table covers one turn.
    const int32_t a = ViewPoint.angle & 1023;
    const int32_t s = SineTable[a];
    const int32_t c = SineTable[a + 256];
    // The products wrap as 32-bit values do; unsigned arithmetic keeps that defined.
    const int32_t nx = int32_t(uint32_t(ViewPoint.fixedX) - uint32_t(distance) * uint32_t(s));
    const int32_t ny = int32_t(uint32_t(ViewPoint.fixedY) + uint32_t(distance) * uint32_t(c));
    ViewPoint.x = nx >> 12;
    ViewPoint.y = ny >> 12;
    if (ViewPoint.x >= -WorldBound && ViewPoint.x <= WorldBound && ViewPoint.y >= -WorldBound
        && ViewPoint.y <= WorldBound) {
        ViewPoint.fixedX = nx;
        ViewPoint.fixedY = ny;
        return;
    }
    ViewPoint.x = ViewPoint.savedX;
    ViewPoint.y = ViewPoint.savedY;
    ViewPoint.height = ViewPoint.savedHeight;
    ViewPoint.angle = ViewPoint.savedAngle;
    ViewPoint.fixedX = int32_t(uint32_t(ViewPoint.savedX) * 4096u) + (nx & 0xFFF);
    ViewPoint.fixedY = int32_t(uint32_t(ViewPoint.savedY) * 4096u) + (ny & 0xFFF);
}

int MoveViewer()
{
    StepAxis(&ForwardAxis);
    ViewPoint.savedX = ViewPoint.x;
    ViewPoint.savedY = ViewPoint.y;
    ViewPoint.savedHeight = ViewPoint.height;
    ViewPoint.savedAngle = ViewPoint.angle;
    AdvanceViewPoint(ForwardAxis.velocity);
    const Collision stop = CollideWithObjects(ViewPoint.savedX, ViewPoint.savedY, ViewPoint.x, ViewPoint.y);
    ViewPoint.x = stop.x;
    ViewPoint.y = stop.y;
    const int16_t hit = stop.hit;
    if (hit != -1) {
        ForwardAxis.velocity = 0;
        // The contact point gives the whole units; the fraction of the attempted move stays.
        ViewPoint.fixedX = int32_t(uint32_t(ViewPoint.x) * 4096u) + (ViewPoint.fixedX & 0xFFF);
        ViewPoint.fixedY = int32_t(uint32_t(ViewPoint.y) * 4096u) + (ViewPoint.fixedY & 0xFFF);
        if (SceneObjectTable[hit].bitmap < FirstTargetBitmap)
            PlayEffect(3);
    }
    StepAxis(&TurnAxis);
    ViewPoint.angle = int32_t((uint32_t(ViewPoint.angle) + uint32_t(TurnAxis.velocity)) & 1023u);
    return 0;
}

void PlaceViewer(int32_t x, int32_t y, int32_t height, int32_t angle)
{
    ViewPoint.x = x;
    ViewPoint.y = y;
    ViewPoint.height = height;
    ViewPoint.angle = angle;
    ViewPoint.fixedX = int32_t(uint32_t(x) * 4096u);
    ViewPoint.fixedY = int32_t(uint32_t(y) * 4096u);
}
