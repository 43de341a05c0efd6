// The textured floor square: corner transform, clipping and projection into row spans, span filling.
#pragma once

#include <cstdint>

#include "render/trig.h"

// One corner of the floor square: a fixed world position and its place in view space.
struct FloorCorner {
    int16_t x, y; // world position
    int16_t viewX; // lateral offset to the right of the view direction
    int16_t viewDepth; // depth along the view direction
};

// (0, 0), (1023, 0), (1023, 1023), (0, 1023): counter-clockwise, which makes the forward
// walk from the top vertex the left edge.
extern FloorCorner FloorCorners[4];

// Rows whose floor lies deeper than this are left to the backdrop.
constexpr int32_t FarDepth = 16384;

// Eye heights below this draw no floor.
constexpr int32_t MinFloorEyeHeight = 16;

// Rotates the corners into view space with ViewTrig's negated-angle pair.
void TransformFloorCorners();

// One row of floor: view-centred row z (below the horizon) and columns x0 <= x1.
struct FloorSpan {
    int16_t z, x0, x1;
};

// More than any viewport has rows.
constexpr int32_t MaxFloorSpans = 2048;

// The spans of this frame's floor polygon, top row first, from the transformed corners,
// ViewPoint.height and the Projection. spans must hold MaxFloorSpans records. Returns how
// many were written: 0 when no floor shows, which includes eye heights whose near depth
// does not fit 16 bits and heights above 32767.
int32_t BuildFloorSpans(FloorSpan* spans);

// Draws the floor from BitmapSlots[FloorTextureSlot]; nothing when that slot holds no
// full 256 x 256 texture.
void DrawFloor(const FrameTarget& target);

// Fills columns x0..x1 (view-centred, inside xmin..xmax) of the target row that starts at
// row and lies rowsBelow (>= 1) rows below the horizon, for a viewer at whole world
// position (viewerX, viewerY) with ViewPoint.height and ViewTrig's view-angle pair.
void DrawFloorSpan(uint8_t* row, const uint8_t* texture, int32_t rowsBelow, int32_t x0, int32_t x1,
    int32_t viewerX, int32_t viewerY);
