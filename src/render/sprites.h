// The sprite renderer: projection, clipping and depth sort of the scene objects, and their scaled drawing.
#pragma once

#include <cstdint>

#include "render/trig.h"
#include "world/objects.h"

// Transforms, culls and clips every record that is not hidden, then sorts the whole
// table far to near. Always returns 1.
int ProjectSprites();

// b.viewDepth - a.viewDepth: negative when a lies farther than b and must come first.
int CompareDepth(const SceneObject& a, const SceneObject& b);

// Draws every visible record in table order into the locked frame. A record without a
// usable picture (no pixels, zero width or height, slot outside the table) draws nothing.
// Always returns 0.
int DrawSprites(const FrameTarget& target);

// Scales texel columns tx0..tx1 (tx0 <= tx1) of one run-length picture row onto the
// span + 1 pixels that start at dest. row points at the row's first run record.
void DrawSpriteRow(uint8_t* dest, uint16_t span, const uint8_t* row, uint16_t tx0, uint16_t tx1);

// Copies texels src[0..nIn] onto dest[0..nOut]: pixel k shows texel k * nIn / nOut rounded
// half up, so the first and the last texel are always shown.
void ScaleRun(const uint8_t* src, uint8_t* dest, uint16_t nIn, uint16_t nOut);
