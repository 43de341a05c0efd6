// The default palette's colour ramps, and pictures painted in RGB then mapped onto it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mkdata {

struct Rgb {
    int32_t r, g, b;
};

inline Rgb operator+(Rgb a, Rgb b)
{
    return { a.r + b.r, a.g + b.g, a.b + b.b };
}

// a at t = 0, b at t = One.
Rgb Mix(Rgb a, Rgb b, int32_t t);
// Every channel times f (Q16).
Rgb Scale(Rgb c, int32_t f);
// Evenly spaced keys, t = 0 at the first and One at the last.
Rgb Gradient(const Rgb* keys, int32_t count, int32_t t);

// The 768-byte palette file: entries 10..245 designed, the rest zero (the program shows
// the system's own colours there).
std::vector<uint8_t> MakePaletteFile();

constexpr int32_t FirstArtColour = 10;
constexpr int32_t LastArtColour = 245;

// Colour of a palette entry (10..245).
Rgb PaletteColour(int32_t index);
// Index 10..245 nearest to the colour.
uint8_t NearestIndex(Rgb c);

// A picture painted in RGB. Sprites use `opaque`; plain pictures ignore it.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgb> colour;
    std::vector<uint8_t> opaque;
};

Picture NewPicture(int32_t width, int32_t height);
inline Rgb& At(Picture& p, int32_t x, int32_t y)
{
    return p.colour[size_t(y) * p.width + x];
}

// Maps every pixel to the palette. A 4x4 ordered dither of +-`dither` levels before the look-up
// smooths gradients that fall between entries; the pattern repeats every 4 pixels, so a
// picture whose sides are multiples of 4 still tiles.
std::vector<uint8_t> QuantizePicture(const Picture& p, int32_t dither);

// .sc0 files: a plain row-major image, or a run-length sprite with transparency from `opaque`.
std::vector<uint8_t> PlainPictureFile(const Picture& p, int32_t dither);
std::vector<uint8_t> SpritePictureFile(const Picture& p, int32_t dither);

} // namespace mkdata
