// The per-frame view values from the sine table, the projection bounds and the viewport rectangle.
#include "render/trig.h"

#include "world/viewpoint.h"

ViewTrigValues ViewTrig;
ProjectionValues Projection = { 64, 128, 128, -64, 63, -64, 63 };

void ComputeViewTrig()
{
    const int32_t a = ViewPoint.angle & 1023;
    const int32_t n = -ViewPoint.angle & 1023;
    ViewTrig.sinA = SineTable[a];
    ViewTrig.cosA = SineTable[a + 256];
    ViewTrig.sinNeg = SineTable[n];
    ViewTrig.cosNeg = SineTable[n + 256];
}

void SetProjectionBounds()
{
    Projection.xmin = -(Projection.ProjXs >> 1);
    Projection.xmax = Projection.ProjXs - (Projection.ProjXs >> 1) - 1;
    Projection.zmin = -(Projection.ProjZs >> 1);
    Projection.zmax = Projection.ProjZs - (Projection.ProjZs >> 1) - 1;
}

ScreenRect ViewportRect(int32_t modeXs, int32_t modeZs)
{
    ScreenRect r;
    r.left = (modeXs >> 1) + Projection.xmin;
    r.top = (modeZs >> 1) + Projection.zmin;
    r.right = r.left + Projection.ProjXs;
    r.bottom = r.top + Projection.ProjZs;
    return r;
}
