// The default data set's scenery: backdrop panorama, floor texture and the floor image.
#pragma once

#include <cstdint>
#include <vector>

#include "data_palette.h"

namespace mkdata {

constexpr int32_t BackdropWidth = 1024; // one column per angle step
constexpr int32_t BackdropHeight = 512;
constexpr int32_t BackdropHorizonRow = 256; // first row below the horizon
constexpr int32_t FloorSize = 256;

// Sky, clouds, mountain ranges and a tree line above the middle row; a meadow in perspective
// fading into haze below it. Every feature repeats every 1024 columns.
Picture PaintBackdrop();

// Stone flagstones with mortar joints and moss; tiles every 256 texels both ways.
Picture PaintFloor();

// A 64x64 thumbnail of the floor texture, for the FloorImage slot.
Picture PaintFloorImage(const Picture& floor);

} // namespace mkdata
