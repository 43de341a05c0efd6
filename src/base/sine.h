// The sine table: angles of 1024 steps a turn, values scaled by 4096.
#pragma once

#include <cstdint>

// 4096 * sin(2*pi*i/1024); entries 1024..1279 repeat 0..255 so that the cosine of
// angle a (0..1023) is entry a + 256 without wrapping.
extern const int16_t SineTable[1280];
