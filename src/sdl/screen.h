// The native window: the 8-bit frame through the program palette, scaled by whole factors.
#pragma once

#include <cstdint>
#include <string>

struct RgbPalette;

// Starts SDL's video. False with SDL's reason when there is no display to show a window on.
bool InitVideo(std::string* error);

// Opens a resizable window showing a width x height frame at scale times its size; scale 0
// picks the largest whole factor whose window fits the desktop. False with a reason.
bool OpenScreen(int32_t width, int32_t height, int32_t scale, const RgbPalette& palette, std::string* error);

// Shows a top-down frame of palette indices, rows pitch bytes apart, centred in the window
// at the largest whole factor that fits it, with black bars around.
void PresentScreen(const uint8_t* pixels, int32_t pitch);

// The name of SDL's renderer that draws the window, for the statistics.
const char* ScreenRendererName();

// Between a window and full screen on the window's display.
void ToggleFullScreen();

// Closes the window and SDL's video; safe to call twice.
void CloseScreen();
