// The default data set's billboards: four standing objects, the target and its explosion.
#pragma once

#include <cstdint>
#include <vector>

#include "data_palette.h"

namespace mkdata {

// Standing objects for slots 1..4; each stands on its picture's bottom row.
Picture PaintTree();
Picture PaintPillar();
Picture PaintCrates();
Picture PaintLampPost();

// The target at rest (slot 31): a glowing orb in a tilted ring.
Picture PaintTargetOrb();

constexpr int32_t ExplosionFrames = 7;
// Explosion picture `frame` (0..6, slots 24..30): a fireball that grows, then dark smoke that
// thins and breaks up. 160x139, the 726:630 shape of the exploding object.
Picture PaintExplosion(int32_t frame);

} // namespace mkdata
