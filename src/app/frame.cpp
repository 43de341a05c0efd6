// The order of one frame's world step and drawing, shared by the program and the tools.
#include "app/frame.h"

#include "render/backdrop.h"
#include "render/bitmap.h"
#include "render/floor.h"
#include "render/sprites.h"
#include "world/objects.h"
#include "world/target.h"
#include "world/viewpoint.h"

void StepWorld()
{
    StepObjects();
    MoveViewer();
    ComputeViewTrig();
    TransformFloorCorners();
    ProjectSprites();
}

int StepAndDrawFrame(const FramePresenter& presenter)
{
    // The bands are cleared before the surface is taken: the full-screen presenter fills
    // them with blits, which a locked surface would refuse.
    if (presenter.clearBands)
        presenter.clearBands();
    StepWorld();

    // The world has moved even when no surface can be had this frame.
    FrameTarget target;
    const int acquired = presenter.acquire(&target);
    if (acquired != 0)
        return acquired;
    DrawBackdrop(Backdrop, target);
    DrawFloor(target);
    DrawSprites(target);
    if (presenter.release)
        presenter.release(target);

    UpdateTarget();
    return 0;
}
