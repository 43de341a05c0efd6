// Sine table, per-frame view trigonometry, projection bounds, viewport rectangle and frame target.
#pragma once

#include <cstdint>

#include "base/sine.h"

struct ViewTrigValues {
    int16_t sinA, cosA; // the view angle: texture mapping of the floor
    int16_t sinNeg, cosNeg; // the negated angle: world-to-view rotation
};
extern ViewTrigValues ViewTrig;

// Fills ViewTrig from ViewPoint.angle; only its low 10 bits count.
void ComputeViewTrig();

struct ProjectionValues {
    int32_t ProjDs; // eye-to-screen distance in pixels, 64..2048
    int32_t ProjXs, ProjZs; // viewport size in pixels, 128..2048
    int32_t xmin, xmax; // view-centred clip bounds, inclusive
    int32_t zmin, zmax;
};
extern ProjectionValues Projection;

// xmin..xmax and zmin..zmax from ProjXs and ProjZs; an odd size puts the extra
// pixel on the positive side.
void SetProjectionBounds();

// A Win32-style rectangle: right and bottom are exclusive.
struct ScreenRect {
    int32_t left, top, right, bottom;
};

// The viewport centred on a display mode of modeXs x modeZs pixels.
ScreenRect ViewportRect(int32_t modeXs, int32_t modeZs);

// One frame's 8-bit pixels: pixels is screen point (xmin, zmax), rows pitch bytes apart.
struct FrameTarget {
    uint8_t* pixels;
    int32_t pitch;
};

// Byte of screen point (x, z) in a frame target.
inline uint8_t* FramePixel(const FrameTarget& target, int32_t x, int32_t z)
{
    return target.pixels + (Projection.zmax - z) * target.pitch + (x - Projection.xmin);
}
