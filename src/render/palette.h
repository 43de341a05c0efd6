// The program palette: .pal files, the static colours and nearest-colour search.
#pragma once

#include <cstdint>

struct RgbColour {
    uint8_t r, g, b;
};

// 256 entries: 0..9 and 246..255 the system's static colours, 10..245 the picture colours.
struct RgbPalette {
    RgbColour entries[256];
};

constexpr int FirstPictureColour = 10;
constexpr int LastPictureColour = 245;
constexpr uint32_t PalFileBytes = 768;

// The twenty colours the system keeps for itself: 0..9 and 246..255 in that order.
extern const RgbColour StaticColours[20];

// Reads a .pal file of 256 RGB triples (paths may use '\\' or '/'). A short file leaves the
// missing entries black and bytes after the first 768 are ignored. False when the file
// cannot be opened.
bool LoadPalFile(const char* path, RgbColour file[256]);

// The program palette: static colours around entries 10..245 of the file.
RgbPalette MakeProgramPalette(const RgbColour file[256]);

// The program palette with a grey ramp (black at 10, white at 245) for the picture colours,
// for when there is no .pal file at hand.
RgbPalette GreyRampPalette();

// The entry among 10..245 closest to the colour by squared RGB distance; the lowest index
// wins a tie. Static colours are never chosen, since the system may change what they show.
uint8_t NearestColour(const RgbPalette& palette, RgbColour colour);
