// The default palette's colour ramps, and pictures painted in RGB then mapped onto it.
#include "data_palette.h"

#include <array>

#include "data_math.h"
#include "sc0_file.h"

namespace mkdata {

Rgb Mix(Rgb a, Rgb b, int32_t t)
{
    return { Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t) };
}

Rgb Scale(Rgb c, int32_t f)
{
    return { Mul16(c.r, f), Mul16(c.g, f), Mul16(c.b, f) };
}

Rgb Gradient(const Rgb* keys, int32_t count, int32_t t)
{
    t = Clamp(t, 0, One);
    const int64_t scaled = int64_t(t) * (count - 1);
    int32_t i = int32_t(scaled >> 16);
    if (i >= count - 1)
        return keys[count - 1];
    return Mix(keys[i], keys[i + 1], int32_t(scaled & 0xFFFF));
}

namespace {

    struct Ramp {
        int32_t entries;
        std::vector<Rgb> keys; // dark to light
    };

    // Each ramp runs dark to light in small steps, so lighting a surface moves along one ramp
    // instead of jumping between hues. Greys and fire get the most entries: smoke, stone shadows
    // and the explosion's glow all lean on them.
    const std::vector<Ramp>& Ramps()
    {
        static const std::vector<Ramp> ramps = {
            { 22,
                { { 6, 6, 8 }, { 60, 60, 64 }, { 128, 128, 132 }, { 196, 196, 198 },
                    { 252, 252, 250 } } }, // neutral greys
            { 22,
                { { 14, 28, 78 }, { 38, 72, 150 }, { 88, 132, 204 }, { 150, 186, 230 }, { 204, 222, 244 },
                    { 246, 250, 255 } } }, // sky
            { 18,
                { { 22, 14, 10 }, { 64, 42, 26 }, { 112, 80, 52 }, { 160, 126, 90 },
                    { 206, 180, 140 } } }, // earth
            { 26,
                { { 6, 18, 6 }, { 22, 50, 14 }, { 50, 92, 26 }, { 98, 140, 44 },
                    { 170, 196, 92 } } }, // foliage
            { 16,
                { { 26, 28, 34 }, { 66, 70, 80 }, { 112, 116, 124 }, { 160, 162, 166 },
                    { 212, 212, 210 } } }, // cool stone
            { 16,
                { { 34, 30, 26 }, { 84, 76, 66 }, { 136, 126, 110 }, { 184, 174, 154 },
                    { 228, 220, 202 } } }, // warm stone
            { 18,
                { { 36, 18, 8 }, { 84, 44, 18 }, { 138, 80, 36 }, { 186, 128, 70 },
                    { 226, 184, 124 } } }, // wood
            { 30,
                { { 24, 4, 2 }, { 92, 12, 4 }, { 168, 34, 6 }, { 222, 92, 10 }, { 248, 164, 28 },
                    { 255, 226, 110 }, { 255, 252, 226 } } }, // fire
            { 16,
                { { 40, 44, 70 }, { 74, 80, 112 }, { 112, 120, 150 }, { 156, 164, 190 },
                    { 206, 214, 234 } } }, // far hills, cloud shade
            { 16,
                { { 48, 40, 22 }, { 96, 84, 48 }, { 146, 132, 84 }, { 196, 182, 128 },
                    { 236, 226, 182 } } }, // sand
            { 12,
                { { 42, 58, 34 }, { 80, 100, 62 }, { 124, 142, 98 }, { 168, 182, 140 } } }, // grey-green haze
            { 14,
                { { 0, 26, 38 }, { 10, 86, 116 }, { 40, 170, 206 }, { 140, 236, 250 },
                    { 236, 255, 255 } } }, // glow cyan
            { 10, { { 34, 8, 46 }, { 96, 24, 120 }, { 168, 64, 196 }, { 240, 160, 250 } } }, // violet
        };
        return ramps;
    }

    std::array<Rgb, 256> BuildPalette()
    {
        std::array<Rgb, 256> colours {};
        int32_t next = FirstArtColour;
        for (const Ramp& ramp : Ramps()) {
            for (int32_t i = 0; i < ramp.entries; ++i) {
                const int32_t t = ramp.entries > 1 ? int32_t((int64_t(i) << 16) / (ramp.entries - 1)) : 0;
                const Rgb c = Gradient(ramp.keys.data(), int32_t(ramp.keys.size()), t);
                colours[next++] = { Clamp(c.r, 0, 255), Clamp(c.g, 0, 255), Clamp(c.b, 0, 255) };
            }
        }
        return colours;
    }

    const std::array<Rgb, 256>& Palette()
    {
        static const std::array<Rgb, 256> palette = BuildPalette();
        return palette;
    }

    int32_t RampTotal()
    {
        int32_t total = 0;
        for (const Ramp& ramp : Ramps())
            total += ramp.entries;
        return total;
    }

    uint8_t SearchNearest(int32_t r, int32_t g, int32_t b)
    {
        const std::array<Rgb, 256>& palette = Palette();
        int32_t best = FirstArtColour;
        int64_t bestDistance = INT64_MAX;
        // Weighted by how strongly the eye tells the channels apart, red more so in warm colours.
        for (int32_t i = FirstArtColour; i <= LastArtColour; ++i) {
            const Rgb& p = palette[i];
            const int32_t dr = r - p.r, dg = g - p.g, db = b - p.b;
            const int32_t meanRed = (r + p.r) >> 1;
            const int64_t d = int64_t(512 + meanRed) * dr * dr + 1024 * int64_t(dg) * dg
                + int64_t(767 - meanRed) * db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return uint8_t(best);
    }

} // namespace

std::vector<uint8_t> MakePaletteFile()
{
    static_assert(LastArtColour - FirstArtColour + 1 == 236);
    std::vector<uint8_t> file(768, 0);
    if (RampTotal() != LastArtColour - FirstArtColour + 1)
        return file;
    const std::array<Rgb, 256>& palette = Palette();
    for (int32_t i = FirstArtColour; i <= LastArtColour; ++i) {
        file[3 * i] = uint8_t(palette[i].r);
        file[3 * i + 1] = uint8_t(palette[i].g);
        file[3 * i + 2] = uint8_t(palette[i].b);
    }
    return file;
}

Rgb PaletteColour(int32_t index)
{
    return Palette()[Clamp(index, FirstArtColour, LastArtColour)];
}

uint8_t NearestIndex(Rgb c)
{
    // Pictures map hundreds of thousands of pixels over few distinct colours: remember answers.
    static std::vector<uint8_t> cache(size_t(1) << 24, 0);
    const int32_t r = Clamp(c.r, 0, 255), g = Clamp(c.g, 0, 255), b = Clamp(c.b, 0, 255);
    uint8_t& slot = cache[(size_t(r) << 16) | (size_t(g) << 8) | size_t(b)];
    if (slot == 0)
        slot = SearchNearest(r, g, b);
    return slot;
}

Picture NewPicture(int32_t width, int32_t height)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.colour.assign(size_t(width) * height, Rgb { 0, 0, 0 });
    p.opaque.assign(size_t(width) * height, 0);
    return p;
}

std::vector<uint8_t> QuantizePicture(const Picture& p, int32_t dither)
{
    static const int32_t Bayer[4][4]
        = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };
    std::vector<uint8_t> indices(p.colour.size());
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            const int32_t offset = (Bayer[y & 3][x & 3] * 2 - 15) * dither / 16;
            const Rgb c = p.colour[size_t(y) * p.width + x];
            indices[size_t(y) * p.width + x] = NearestIndex({ c.r + offset, c.g + offset, c.b + offset });
        }
    }
    return indices;
}

std::vector<uint8_t> PlainPictureFile(const Picture& p, int32_t dither)
{
    return MakeSc0(uint16_t(p.width), uint16_t(p.height), QuantizePicture(p, dither));
}

std::vector<uint8_t> SpritePictureFile(const Picture& p, int32_t dither)
{
    const std::vector<uint8_t> indices = QuantizePicture(p, dither);
    return MakeSc0(uint16_t(p.width), uint16_t(p.height),
        EncodeSpriteRuns(uint16_t(p.width), uint16_t(p.height), indices, p.opaque));
}

} // namespace mkdata
