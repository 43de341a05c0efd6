// The five scene objects, their per-frame step and the viewer's collision with their footprints.
#pragma once

#include <cstdint>

struct SceneObject {
    int16_t x, y, z; // world centre; z is the vertical centre
    int16_t dx, dy, dz; // velocity per frame
    int16_t viewX, viewDepth, viewZ; // view space, written by ProjectSprites
    int16_t width, height; // world size; width is also the footprint's side
    int16_t bitmap; // picture slot; 24 or more marks the target object
    int16_t flags; // ObjectVisible, ObjectHidden
    int16_t screenLeft, screenRight, screenBottom, screenTop; // clipped, view-centred
    int16_t texLeft, texRight, texBottom, texTop; // texel ranges shown
};

constexpr int16_t ObjectVisible = 0x0001;
constexpr int16_t ObjectHidden = int16_t(0x8000);
constexpr int SceneObjectCount = 5;
constexpr int16_t FirstTargetBitmap = 24;

extern SceneObject SceneObjectTable[SceneObjectCount];

// The world's per-object arithmetic is 16-bit: results wrap instead of widening. Operands
// are taken as 64-bit so that a viewer placed anywhere by fc.ini cannot overflow them first.
inline int16_t Wrap16(int64_t value)
{
    return int16_t(uint16_t(uint64_t(value)));
}

// Puts the table back to its start values (the program itself never does; tests and tools do).
void ResetSceneObjects();

// Clears every visible bit and moves the records that are not hidden.
void StepObjects();

// Where a move from (fromX, fromY) to (toX, toY) stops: at the nearest footprint it meets,
// with the index of the record hit (table order of this moment), or at its end with -1.
struct Collision {
    int16_t hit;
    int32_t x, y;
};
Collision CollideWithObjects(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
