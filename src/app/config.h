// Reading fc.ini at start-up into the viewpoint, the settings, the projection and the pictures.
#pragma once

#include <cstdint>

// 0, or -1 when the path buffer cannot be allocated (nothing is read then).
int LoadConfig();

// Releases the pictures and the path; returns the status word when nothing is loaded.
int FreeConfig();

// The viewport sizes the view accepts, each way.
constexpr int32_t SmallestViewSize = 128;
constexpr int32_t LargestViewSize = 2048;
bool ViewSizeAllowed(int32_t width, int32_t height);

// The projection size and distance normalisation: ProjXs rounded down to a multiple of
// 4, then ProjXs, ProjZs clamped to 128..2048 and ProjDs to 64..2048.
void NormaliseProjection();
