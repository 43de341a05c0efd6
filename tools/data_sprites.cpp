// The default data set's billboards: four standing objects, the target and its explosion.
#include "data_sprites.h"

#include <algorithm>

#include "data_math.h"

namespace mkdata {

namespace {

    // One light for every billboard: from the upper left and in front, so the objects read the
    // same way as the bevels of the floor slabs.
    constexpr int32_t LightX = -38011, LightY = -26214, LightZ = 46531;

    int32_t Diffuse(int32_t nx, int32_t ny, int32_t nz, int32_t ambient)
    {
        int64_t d = (int64_t(nx) * LightX + int64_t(ny) * LightY + int64_t(nz) * LightZ) >> 16;
        d = std::max<int64_t>(d, 0);
        return ambient + Mul16(One - ambient, int32_t(d));
    }

    // Unit normal of a sphere of radius r at offset (dx, dy) from its centre, all in one unit;
    // false outside the sphere's outline.
    bool SphereNormal(int64_t dx, int64_t dy, int64_t r, int32_t* nx, int32_t* ny, int32_t* nz)
    {
        if (r <= 0)
            return false;
        const int64_t x = dx * One / r, y = dy * One / r;
        const int64_t rest = int64_t(One) * One - x * x - y * y;
        if (rest < 0)
            return false;
        *nx = int32_t(x);
        *ny = int32_t(y);
        *nz = int32_t(IntSqrt(uint64_t(rest)));
        return true;
    }

    void Put(Picture& p, int32_t x, int32_t y, Rgb c)
    {
        if (x < 0 || y < 0 || x >= p.width || y >= p.height)
            return;
        At(p, x, y) = c;
        p.opaque[size_t(y) * p.width + x] = 1;
    }

    bool IsOpaque(const Picture& p, int32_t x, int32_t y)
    {
        return x >= 0 && y >= 0 && x < p.width && y < p.height && p.opaque[size_t(y) * p.width + x];
    }

    // Pixel centres in 1/256 pixel.
    int64_t Centre(int32_t v)
    {
        return int64_t(v) * 256 + 128;
    }

    // The angle whose sine is s (Q16, -One..One), as a phase (2^32 a full turn).
    int32_t ArcSinePhase(int32_t s)
    {
        // A quarter turn either way; held in 64 bits, since the span is 2^31 to start with.
        int64_t lo = -(int64_t(1) << 30), hi = int64_t(1) << 30;
        while (hi - lo > 1 << 12) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (Sine(uint32_t(mid)) < s)
                lo = mid;
            else
                hi = mid;
        }
        return int32_t(lo);
    }

} // namespace

Picture PaintTree()
{
    Picture p = NewPicture(128, 128);
    static const Rgb bark[] = { { 26, 18, 12 }, { 64, 44, 28 }, { 112, 82, 54 }, { 160, 128, 92 } };
    // Trunk, with roots flaring out where it meets the ground.
    for (int32_t y = 50; y < 128; ++y) {
        const int64_t centre = 64 * 256 + ((int64_t(Sine(TurnPhase(y, 150))) * 3) >> 8);
        int64_t half = 5 * 256 + (y - 50) * 256 / 14;
        if (y > 110)
            half += int64_t(y - 110) * (y - 110) * 256 / 26;
        for (int32_t x = 0; x < 128; ++x) {
            const int64_t dx = Centre(x) - centre;
            if (dx < -half || dx > half)
                continue;
            int32_t nx = 0, ny = 0, nz = 0;
            SphereNormal(dx, 0, half + 1, &nx, &ny, &nz);
            int32_t light = Diffuse(nx, 0, nz, One / 4);
            const int32_t furrows = Fbm(Centre(x) * 3, Centre(y) / 2, 8, 3, 0, 0, 201);
            light = Mul16(light, One * 62 / 100 + Mul16(furrows, One * 6 / 10));
            Put(p, x, y, Gradient(bark, 4, light));
        }
    }
    // The crown: overlapping leafy balls lit as one big ball and as themselves.
    struct Ball {
        int32_t x, y, r;
    };
    static const Ball balls[] = { { 64, 44, 28 }, { 40, 56, 19 }, { 88, 56, 19 }, { 44, 32, 19 },
        { 84, 32, 19 }, { 64, 26, 20 }, { 26, 46, 13 }, { 102, 46, 13 }, { 54, 70, 15 }, { 76, 70, 15 } };
    static const Rgb leaves[]
        = { { 8, 24, 10 }, { 22, 54, 18 }, { 46, 92, 28 }, { 96, 140, 44 }, { 168, 194, 86 } };
    constexpr int32_t ClumpCell = 5;
    constexpr int64_t ClumpRadius = 4 * 256 + 200;
    for (int32_t y = 0; y < 128; ++y) {
        for (int32_t x = 0; x < 128; ++x) {
            const int32_t wobble = Fbm(Centre(x), Centre(y), 6, 2, 0, 0, 211) - One / 2;
            int64_t best = INT64_MIN;
            for (const Ball& b : balls) {
                const int64_t dx = Centre(x) - b.x * 256, dy = Centre(y) - b.y * 256;
                const int64_t inside
                    = int64_t(b.r) * 256 + wobble * 10 / 256 - IntSqrt(uint64_t(dx * dx + dy * dy));
                best = std::max(best, inside);
            }
            if (best < -2 * 256)
                continue;
            // Leaves grow in clumps: small balls scattered on a jittered grid; the one that stands
            // out furthest toward the eye shows, so the crown reads as heaped foliage.
            int64_t top = INT64_MIN;
            int32_t cnx = 0, cny = 0, cnz = One;
            uint32_t clumpHash = 0;
            for (int32_t j = y / ClumpCell - 1; j <= y / ClumpCell + 1; ++j)
                for (int32_t i = x / ClumpCell - 1; i <= x / ClumpCell + 1; ++i) {
                    const uint32_t h = Hash3(uint32_t(i), uint32_t(j), 227);
                    const int64_t fx
                        = (int64_t(i) * ClumpCell) * 256 + (h & 0xFFF) * ClumpCell * 256 / 0x1000;
                    const int64_t fy
                        = (int64_t(j) * ClumpCell) * 256 + ((h >> 12) & 0xFFF) * ClumpCell * 256 / 0x1000;
                    int32_t nx = 0, ny = 0, nz = 0;
                    if (!SphereNormal(Centre(x) - fx, Centre(y) - fy, ClumpRadius, &nx, &ny, &nz))
                        continue;
                    const int64_t height = int64_t(nz) * 5 + int64_t(h >> 24) * 256;
                    if (height > top) {
                        top = height;
                        cnx = nx;
                        cny = ny;
                        cnz = nz;
                        clumpHash = h;
                    }
                }
            // The crown's outline is made of clumps, and no pixel outside every clump is leaf.
            if (top == INT64_MIN || (best < 3 * 256 && cnz < One * 45 / 100) || best < 0)
                continue;
            int32_t nx = 0, ny = 0, nz = 0, whole = One / 4;
            if (SphereNormal(Centre(x) - 64 * 256, Centre(y) - 46 * 256, 58 * 256, &nx, &ny, &nz))
                whole = Diffuse(nx, ny, nz, One / 6);
            const int32_t local = Diffuse(cnx, cny, cnz, One / 6);
            // Deep in the crown and underneath, little light gets through.
            const int32_t crevice = Mul16(One - cnz, One / 5);
            const int32_t under = Mul16(SmoothRange(44 << 16, 86 << 16, y << 16), One / 5);
            const int32_t shade
                = int32_t((clumpHash >> 8) & 0xFF) * (One / 5) / 255 - One / 10; // clump to clump
            const int32_t light = Mul16(whole, One * 80 / 100) + Mul16(local, One * 35 / 100) - crevice
                - under + shade - One / 12;
            Put(p, x, y, Gradient(leaves, 5, light));
        }
    }
    return p;
}

namespace {

    struct Band {
        int32_t top, bottom; // rows, inclusive
        int32_t half0, half1; // half width in pixels at the top and the bottom row
        int32_t kind; // 0 block, 1 column, 2 rounded moulding
    };

    Rgb StoneColour(int32_t light, int32_t x, int32_t y)
    {
        static const Rgb stone[]
            = { { 36, 32, 30 }, { 86, 78, 68 }, { 140, 130, 112 }, { 186, 176, 154 }, { 224, 216, 196 } };
        const int32_t mottle = Fbm(Centre(x), Centre(y), 16, 4, 0, 0, 301);
        const int32_t pits = Fbm(Centre(x), Centre(y), 2, 1, 0, 0, 303);
        light = Mul16(light, One * 80 / 100 + Mul16(mottle, One * 36 / 100) + Mul16(pits, One / 10));
        return Gradient(stone, 5, light);
    }

} // namespace

Picture PaintPillar()
{
    Picture p = NewPicture(128, 128);
    static const Band bands[] = {
        { 0, 9, 40, 40, 0 }, // abacus
        { 10, 19, 37, 27, 2 }, // echinus
        { 20, 23, 28, 28, 2 }, // necking ring
        { 24, 103, 24, 26, 1 }, // shaft, a little wider at the foot
        { 104, 110, 31, 31, 2 }, // torus
        { 111, 118, 36, 36, 0 }, // upper plinth
        { 119, 127, 42, 42, 0 }, // lower plinth
    };
    for (const Band& b : bands) {
        for (int32_t y = b.top; y <= b.bottom; ++y) {
            const int32_t rows = b.bottom - b.top;
            const int32_t along = rows ? int32_t((int64_t(y - b.top) << 16) / rows) : 0;
            int32_t half = b.half0 * 256 + Mul16((b.half1 - b.half0) * 256, along);
            int32_t ny = 0;
            if (b.kind == 2) {
                // A rounded moulding bulges toward the eye: its normal turns up at the top, down below.
                ny = (along - One / 2) * 3 / 2;
                half += Mul16(IntSqrt(uint64_t(int64_t(One) * One - int64_t(ny) * ny)) - One / 2, 4 * 256);
            }
            for (int32_t x = 0; x < 128; ++x) {
                const int64_t dx = Centre(x) - 64 * 256;
                if (dx < -half || dx > half)
                    continue;
                int32_t nx = 0, nz = 0, unused = 0;
                int32_t light;
                if (b.kind == 0) {
                    // A squared block: flat front, chamfered sides, its top face catching the light.
                    const int64_t fromSide = half - (dx < 0 ? -dx : dx);
                    nx = fromSide < 512 ? (dx < 0 ? -One / 2 : One / 2) : 0;
                    light = Diffuse(nx, y - b.top < 2 ? -One * 8 / 10 : 0, One * 7 / 10, One / 4);
                } else {
                    SphereNormal(dx, 0, half + 1, &nx, &unused, &nz);
                    if (b.kind == 1) {
                        // Flutes: sixteen around the shaft, found from the angle around its axis.
                        const uint32_t phase = uint32_t(ArcSinePhase(nx)) * 16;
                        const int32_t tilt = Sine(phase) * 3 / 5;
                        const int32_t tx = nx + Mul16(tilt, nz), tz = nz - Mul16(tilt, nx);
                        nx = tx;
                        nz = tz;
                        // Grime runs down from the capital.
                        const int32_t streak = Fbm(Centre(x) * 4, Centre(y) / 3, 16, 2, 0, 0, 307);
                        light = Diffuse(nx, 0, nz, One / 4);
                        light = Mul16(light, light) + One / 8 - (One - Sine(phase + (1u << 30))) / 12
                            - Mul16(
                                SmoothRange(One / 2, One * 7 / 10, streak), One / 8 + (103 - y) * One / 900);
                    } else {
                        const int32_t flat
                            = IntSqrt(uint64_t(std::max<int64_t>(int64_t(One) * One - int64_t(ny) * ny, 0)));
                        light = Diffuse(Mul16(nx, flat), ny, Mul16(nz, flat), One / 4);
                        light = Mul16(light, light) + One / 8;
                    }
                }
                Rgb c = StoneColour(light, x, y);
                // Moss climbing from the ground, thickest at the foot.
                const int32_t moss = Fbm(Centre(x), Centre(y), 4, 3, 0, 0, 311);
                const int32_t height = SmoothRange(96 << 16, 127 << 16, y << 16);
                if (height > 0 && moss + Mul16(height, One * 30 / 100) > One * 82 / 100)
                    c = Mix(c, Scale({ 78, 108, 42 }, light + One / 5), One * 80 / 100);
                Put(p, x, y, c);
            }
        }
    }
    // Weathering cracks: short wandering dark lines.
    Rng rng { 0xC0FFEE11u };
    static const int32_t starts[][2] = { { 54, 30 }, { 72, 60 }, { 60, 86 }, { 84, 114 } };
    for (const auto& s : starts) {
        int32_t x = s[0], y = s[1];
        for (int32_t step = 0; step < 14; ++step) {
            if (IsOpaque(p, x, y)) {
                At(p, x, y) = Scale(At(p, x, y), One * 45 / 100);
                if (IsOpaque(p, x + 1, y))
                    At(p, x + 1, y) = Scale(At(p, x + 1, y), One * 115 / 100);
            }
            y += 1;
            x += RandomBelow(&rng, 3) - 1;
        }
    }
    return p;
}

namespace {

    Rgb Wood(int32_t light, int32_t grain, bool frame)
    {
        static const Rgb planks[] = { { 44, 26, 12 }, { 104, 64, 30 }, { 158, 108, 58 }, { 204, 160, 104 } };
        static const Rgb beams[] = { { 32, 18, 8 }, { 80, 46, 20 }, { 128, 82, 40 }, { 176, 126, 74 } };
        light = Mul16(light, One * 68 / 100 + Mul16(grain, One * 52 / 100));
        return Gradient(frame ? beams : planks, 4, light);
    }

    // A crate's front: a raised frame, planks behind it and a diagonal brace, nailed at the joints.
    void PaintCrateFace(
        Picture& p, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t border, uint32_t seed)
    {
        const int32_t ix0 = x0 + border, iy0 = y0 + border, ix1 = x1 - border, iy1 = y1 - border;
        const int32_t innerH = iy1 - iy0;
        // The brace runs from the inner bottom-left to the inner top-right corner.
        const int64_t bx = ix1 - ix0, by = -(innerH);
        const int64_t blen = IntSqrt(uint64_t(bx * bx + by * by));
        const int64_t braceHalf = int64_t(border) * 256 * 9 / 20;
        for (int32_t y = y0; y < y1; ++y) {
            for (int32_t x = x0; x < x1; ++x) {
                const int32_t across = One + One / 10 - int32_t((int64_t(x - x0) << 16) / (x1 - x0)) / 5;
                const bool inFrame = x < ix0 || x >= ix1 || y < iy0 || y >= iy1;
                const int64_t dist
                    = ((Centre(x) - ix0 * 256) * by - (Centre(y) - iy1 * 256) * bx) / blen; // signed
                Rgb c;
                if (inFrame) {
                    const bool upright = (x < ix0 || x >= ix1) && y >= iy0 && y < iy1;
                    const int32_t grain = upright ? Fbm(Centre(x), Centre(y) / 5, 3, 3, 0, 0, seed)
                                                  : Fbm(Centre(x) / 5, Centre(y), 3, 3, 0, 0, seed + 1);
                    int32_t light = across;
                    // Bevel each beam: light on its upper and left edges, dark on its lower and right.
                    const int32_t bx0 = x < ix0 ? x0 : (x >= ix1 ? ix1 : x0);
                    const int32_t bx1 = x < ix0 ? ix0 : (x >= ix1 ? x1 : x1);
                    const int32_t by0 = upright ? iy0 : (y < iy0 ? y0 : iy1);
                    const int32_t by1 = upright ? iy1 : (y < iy0 ? iy0 : y1);
                    if (x == bx0 || y == by0)
                        light += One / 5;
                    if (x == bx1 - 1 || y == by1 - 1)
                        light -= One / 4;
                    c = Wood(light, grain, true);
                } else if (dist > -braceHalf && dist < braceHalf) {
                    const int64_t along
                        = ((Centre(x) - ix0 * 256) * bx + (Centre(y) - iy1 * 256) * by) / blen;
                    const int32_t grain = Fbm(along / 5, dist, 3, 3, 0, 0, seed + 2);
                    int32_t light = across;
                    if (dist < -braceHalf + 256)
                        light += One / 5;
                    if (dist > braceHalf - 256)
                        light -= One / 4;
                    c = Wood(light, grain, true);
                } else {
                    const int32_t plank = (y - iy0) * 3 / innerH;
                    const int32_t plankTop = iy0 + (plank * innerH + 2) / 3;
                    const int32_t grain
                        = Fbm(Centre(x) / 6, Centre(y), 3, 3, 0, 0, seed + 3 + uint32_t(plank));
                    int32_t light = across - plank * One / 30;
                    if (y == plankTop && plank > 0)
                        light = One / 6; // the gap between planks
                    // The frame and the brace stand proud and shade the planks below and right of them.
                    if (x - ix0 < 3 || y - iy0 < 3 || (dist >= braceHalf && dist < braceHalf + 3 * 256))
                        light = light * 6 / 10;
                    c = Wood(light, grain, false);
                }
                Put(p, x, y, c);
            }
        }
        // Nails at the corners of the frame.
        const int32_t inset = border / 2;
        const int32_t nails[][2] = { { x0 + inset, y0 + inset }, { x1 - 1 - inset, y0 + inset },
            { x0 + inset, y1 - 1 - inset }, { x1 - 1 - inset, y1 - 1 - inset } };
        for (const auto& n : nails) {
            Put(p, n[0], n[1], { 34, 32, 34 });
            Put(p, n[0] + 1, n[1], { 52, 48, 50 });
            Put(p, n[0], n[1] + 1, { 40, 38, 40 });
            Put(p, n[0] + 1, n[1] + 1, { 22, 20, 22 });
            Put(p, n[0], n[1], { 150, 150, 156 });
        }
    }

} // namespace

Picture PaintCrates()
{
    Picture p = NewPicture(128, 128);
    PaintCrateFace(p, 6, 48, 122, 128, 11, 401);
    PaintCrateFace(p, 24, 6, 86, 48, 7, 411);
    return p;
}

Picture PaintLampPost()
{
    Picture p = NewPicture(128, 128);
    static const Rgb iron[]
        = { { 12, 12, 16 }, { 34, 36, 44 }, { 70, 74, 86 }, { 140, 146, 160 }, { 214, 220, 230 } };
    const auto metal = [&](int32_t x, int32_t y, int64_t half, int32_t ny) {
        int32_t nx = 0, unused = 0, nz = 0;
        const int64_t dx = Centre(x) - 64 * 256;
        if (!SphereNormal(dx, 0, half + 1, &nx, &unused, &nz))
            return;
        const int32_t flat = IntSqrt(uint64_t(int64_t(One) * One - int64_t(ny) * ny));
        int32_t light = Diffuse(Mul16(nx, flat), ny, Mul16(nz, flat), One / 6);
        light = Mul16(light, light) + (light > One * 85 / 100 ? One / 5 : 0); // a hard metal sheen
        Put(p, x, y, Gradient(iron, 5, light));
    };
    // Post and base: a list of round sections from the ground up.
    struct Section {
        int32_t top, bottom, half0, half1; // 1/16 px half widths at top and bottom
        bool rounded;
    };
    static const Section sections[] = {
        { 120, 127, 16 * 16, 16 * 16, false },
        { 114, 119, 12 * 16, 12 * 16, true },
        { 100, 113, 5 * 16, 10 * 16, false },
        { 96, 99, 7 * 16, 7 * 16, true },
        { 52, 95, 3 * 16 + 8, 4 * 16, false },
        { 70, 72, 6 * 16, 6 * 16, true },
        { 42, 51, 3 * 16 + 8, 3 * 16 + 8, false },
        { 38, 41, 8 * 16, 5 * 16, false },
    };
    for (const Section& s : sections)
        for (int32_t y = s.top; y <= s.bottom; ++y) {
            const int32_t rows = s.bottom - s.top;
            const int32_t along = rows ? ((y - s.top) << 16) / rows : One / 2;
            const int64_t half = int64_t(s.half0 + Mul16(s.half1 - s.half0, along)) * 16;
            const int32_t ny = s.rounded ? (along - One / 2) * 3 / 2 : 0;
            for (int32_t x = 40; x < 88; ++x)
                metal(x, y, half, ny);
        }
    // The cross arm below the lantern, with a ball at each end.
    for (int32_t y = 46; y <= 48; ++y)
        for (int32_t x = 50; x < 78; ++x) {
            const int32_t ny = (y - 47) * One * 6 / 10;
            const int32_t light
                = Diffuse(0, ny, IntSqrt(uint64_t(int64_t(One) * One - int64_t(ny) * ny)), One / 6);
            Put(p, x, y, Gradient(iron, 5, Mul16(light, light)));
        }
    for (int32_t end : { 48, 79 }) {
        for (int32_t y = 44; y <= 50; ++y)
            for (int32_t x = end - 3; x <= end + 3; ++x) {
                int32_t nx = 0, ny = 0, nz = 0;
                if (SphereNormal(Centre(x) - end * 256, Centre(y) - 47 * 256, 3 * 256 + 128, &nx, &ny, &nz)) {
                    const int32_t light = Diffuse(nx, ny, nz, One / 6);
                    Put(p, x, y, Gradient(iron, 5, Mul16(light, light)));
                }
            }
    }
    // The lantern: glowing panes in a dark frame, wider at the top, under a pyramid roof.
    static const Rgb glow[] = { { 190, 90, 20 }, { 246, 170, 40 }, { 255, 226, 120 }, { 255, 250, 220 } };
    for (int32_t y = 14; y <= 37; ++y) {
        const int32_t half = 10 + (37 - y) * 5 / 23;
        for (int32_t x = 64 - half; x <= 64 + half; ++x) {
            const int32_t u = x - 64;
            const bool bar = u == -half || u == half || u == -half / 3 - 1 || u == half / 3 + 1 || y == 14
                || y == 37 || y == 15 || y == 36;
            if (bar) {
                const int32_t light = u <= 0 ? One * 6 / 10 : One * 3 / 10;
                Put(p, x, y, Gradient(iron, 5, light));
                continue;
            }
            // Brightest around the flame in the middle, fading toward the frame.
            const int64_t dx = u * 256, dy = (y - 27) * 256 * 2 / 3;
            const int32_t r = int32_t(IntSqrt(uint64_t(dx * dx + dy * dy)) * One / (14 * 256));
            const int32_t side = u < -half / 3 ? -One / 8 : (u > half / 3 ? -One / 4 : 0);
            Put(p, x, y, Gradient(glow, 4, One - r * 8 / 10 + side));
        }
    }
    for (int32_t y = 5; y <= 13; ++y) {
        const int32_t half = 2 + (y - 5) * 15 / 8;
        for (int32_t x = 64 - half; x <= 64 + half; ++x) {
            int32_t light = x < 64 ? One * 7 / 10 : One * 3 / 10;
            if (y == 13)
                light = One * 55 / 100 + (x < 64 ? One / 10 : -One / 10); // the roof's lit rim
            Put(p, x, y, Gradient(iron, 5, Mul16(light, light) + One / 10));
        }
    }
    for (int32_t y = 0; y <= 5; ++y)
        for (int32_t x = 60; x <= 68; ++x) {
            int32_t nx = 0, ny = 0, nz = 0;
            if (SphereNormal(Centre(x) - 64 * 256, Centre(y) - 2 * 256 - 128, 2 * 256 + 200, &nx, &ny, &nz)) {
                const int32_t light = Diffuse(nx, ny, nz, One / 6);
                Put(p, x, y, Gradient(iron, 5, Mul16(light, light)));
            }
        }
    return p;
}

Picture PaintTargetOrb()
{
    Picture p = NewPicture(128, 128);
    static const int32_t Bayer[4][4]
        = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };
    static const Rgb core[] = { { 248, 255, 255 }, { 150, 238, 250 }, { 46, 176, 212 }, { 14, 96, 132 } };
    static const Rgb band[] = { { 40, 10, 54 }, { 110, 30, 136 }, { 184, 84, 214 }, { 244, 176, 252 } };
    constexpr int32_t Radius = 34;
    // The ring's own frame: tilted a little, wide and flat as seen nearly edge on.
    const uint32_t tilt = TurnPhase(-20, 360);
    const int32_t cosT = Cosine(tilt), sinT = Sine(tilt);
    const auto ring = [&](int32_t x, int32_t y, bool front) -> bool {
        const int64_t dx = Centre(x) - 64 * 256, dy = Centre(y) - 64 * 256;
        const int64_t u = (dx * cosT + dy * sinT) >> 16, v = (-dx * sinT + dy * cosT) >> 16;
        const int64_t eu = u * One / (60 * 256), ev = v * One / (17 * 256);
        const int64_t r = IntSqrt(uint64_t(eu * eu + ev * ev)); // 1.0 on the ring's outer edge
        if (r > One || r < One * 80 / 100 || (v >= 0) != front)
            return false;
        const int32_t across = int32_t((r - One * 90 / 100) * 10); // -One..One over the band
        const int32_t light = One * 6 / 10 - Mul16(across, across) / 2 + int32_t(-u * One / (60 * 256)) / 4
            + (front ? One / 8 : -One / 6);
        Put(p, x, y, Gradient(band, 4, light));
        return true;
    };
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 128; ++x)
            ring(x, y, false);
    for (int32_t y = 0; y < 128; ++y) {
        for (int32_t x = 0; x < 128; ++x) {
            const int64_t dx = Centre(x) - 64 * 256, dy = Centre(y) - 64 * 256;
            const int32_t r = int32_t(IntSqrt(uint64_t(dx * dx + dy * dy)) * One / (Radius * 256));
            if (r <= One) {
                // Glowing from within, with swirls of energy and a glint where the light strikes.
                const int32_t swirl = Fbm(Centre(x) + dy / 2, Centre(y) - dx / 2, 10, 3, 0, 0, 501);
                int32_t t = Mul16(r, r) + Mul16(swirl - One / 2, One * 35 / 100);
                int32_t nx = 0, ny = 0, nz = 0;
                SphereNormal(dx, dy, Radius * 256 + 1, &nx, &ny, &nz);
                const int32_t glint = SmoothRange(One * 88 / 100, One * 97 / 100, Diffuse(nx, ny, nz, 0));
                Rgb c = Gradient(core, 4, t);
                c = Mix(c, { 255, 255, 255 }, glint);
                Put(p, x, y, c);
            } else if (r < One * 150 / 100) {
                // A halo made of scattered pixels, thinning outward: the renderer draws no blends.
                const int32_t density = SmoothRange(One * 150 / 100, One * 102 / 100, r);
                if (Bayer[y & 3][x & 3] * One / 16 < density * 3 / 4)
                    Put(p, x, y, Gradient(core, 4, One * 45 / 100 + (r - One) / 2));
            }
        }
    }
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 128; ++x)
            ring(x, y, true);
    return p;
}

Picture PaintExplosion(int32_t frame)
{
    constexpr int32_t Width = 160, Height = 139;
    Picture p = NewPicture(Width, Height);
    // Per frame: radius (percent of the largest), heat, smoke share, how much has broken up,
    // and how far the ball has risen.
    struct Stage {
        int32_t radius, heat, smoke, holes, rise;
    };
    static const Stage stages[ExplosionFrames] = {
        { 30, 100, 0, 0, 0 },
        { 52, 96, 4, 0, 2 },
        { 70, 84, 14, 0, 4 },
        { 84, 64, 34, 2, 7 },
        { 90, 38, 64, 14, 10 },
        { 94, 16, 88, 28, 13 },
        { 96, 0, 100, 40, 16 },
    };
    const Stage& s = stages[frame];
    static const Rgb fire[] = { { 60, 8, 4 }, { 150, 24, 6 }, { 220, 80, 10 }, { 248, 160, 30 },
        { 255, 224, 110 }, { 255, 252, 224 } };
    static const Rgb smoke[] = { { 14, 12, 12 }, { 42, 38, 38 }, { 76, 72, 70 }, { 118, 114, 110 } };
    const int32_t maxRadius = 66 * 256;
    const int32_t radius = maxRadius * s.radius / 100;
    const int64_t cx = 80 * 256, cy = (76 - s.rise) * 256;
    const uint32_t seed = 601 + uint32_t(frame) * 17;
    for (int32_t y = 0; y < Height; ++y) {
        for (int32_t x = 0; x < Width; ++x) {
            const int64_t dx = Centre(x) - cx, dy = Centre(y) - cy;
            const int32_t billow = Fbm(Centre(x), Centre(y), 18, 3, 0, 0, 611) - One / 2;
            const int32_t dist = int32_t(IntSqrt(uint64_t(dx * dx + dy * dy)));
            const int32_t r = int32_t(int64_t(dist) * One / radius) + billow * 7 / 10; // 1.0 at the edge
            if (r > One)
                continue;
            const int32_t churn = Fbm(Centre(x), Centre(y), 9, 3, 0, 0, seed);
            // Breaking up: holes open from the rim inward as the smoke thins.
            const int32_t hole = Fbm(Centre(x), Centre(y), 12, 2, 0, 0, 631);
            if (hole < s.holes * One / 100 + Mul16(r, s.holes * One / 100))
                continue;
            const int32_t heat = Mul16(s.heat * One / 100, One - Mul16(r, r) * 7 / 10)
                + Mul16(churn - One / 2, One * 4 / 10);
            const Rgb flame = Gradient(fire, 6, heat);
            int32_t nx = 0, ny = 0, nz = 0, light = One / 2;
            if (SphereNormal(dx, dy, radius + 1024, &nx, &ny, &nz))
                light = Diffuse(nx, ny, nz, One / 4);
            const Rgb soot = Gradient(smoke, 4,
                Mul16(light, One * 55 / 100 + Mul16(churn, One * 7 / 10)) * (100 - frame * 6) / 100);
            // Smoke gathers at the rim first, then swallows the fire; the edge between them stays
            // fairly sharp, since half-way blends of flame and soot only look muddy.
            int32_t share = One;
            if (s.smoke < 100) {
                const int32_t mix = s.smoke * One / 100 + Mul16(r - One / 2, One * 6 / 10)
                    + Mul16(churn - One / 2, One * 7 / 10);
                share = s.smoke == 0 ? 0 : SmoothRange(One * 40 / 100, One * 62 / 100, mix);
            }
            Put(p, x, y, Mix(flame, soot, share));
        }
    }
    // Sparks flung out in the first frames.
    if (frame >= 1 && frame <= 3) {
        Rng rng { 0x5EA4C0DEu };
        for (int32_t i = 0; i < 28; ++i) {
            const uint32_t angle = NextRandom(&rng);
            const int32_t speed = 60 + RandomBelow(&rng, 50);
            const int32_t reach = radius / 256 * speed / 100 + frame * 6;
            const int32_t x = 80 + Mul16(reach, Cosine(angle));
            const int32_t y = 76 + Mul16(reach, Sine(angle)) - frame * 2;
            const Rgb c = Gradient(fire, 6, One - frame * One / 6);
            Put(p, x, y, c);
            Put(p, x + 1, y, c);
            Put(p, x, y + 1, Scale(c, One * 8 / 10));
        }
    }
    return p;
}

} // namespace mkdata
