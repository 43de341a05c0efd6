// The default data set's scenery: backdrop panorama, floor texture and the floor image.
#include "data_scenery.h"

#include <algorithm>

#include "data_math.h"

namespace mkdata {

namespace {

    // Where the eye sits in the world the panorama pretends to show: the floor renderer's eye
    // height times its projection distance, so the meadow below the horizon meets the floor at
    // about the depth where the floor square ends.
    constexpr int64_t GroundDepthScale = 56 * 320;
    constexpr int64_t CloudDepthScale = 900 * 320;

    uint32_t ColumnPhase(int32_t column)
    {
        return TurnPhase(column, BackdropWidth);
    }

    // A ridge line in rows above the horizon, repeating every 1024 columns.
    int32_t RidgeHeight(int32_t column, int32_t base, int32_t range, int32_t cell, uint32_t seed)
    {
        const int32_t broad = LatticeNoise(int64_t(column) * 256 / 512, 0, BackdropWidth / 512, 0, seed + 7);
        int32_t n = Fbm(int64_t(column) * 256, 0, cell, 6, BackdropWidth, 0, seed);
        n = Mul16(n, n) * 2; // steeper peaks over broad valleys
        const int32_t envelope = One / 3 + Mul16(broad, 2 * One / 3);
        return base + Mul16(Mul16(n, envelope), range * 2);
    }

    Rgb SkyColour(int32_t elevation)
    {
        static const Rgb keys[]
            = { { 196, 218, 236 }, { 150, 190, 232 }, { 104, 152, 216 }, { 66, 112, 192 }, { 44, 84, 168 } };
        return Gradient(keys, 5, int32_t((int64_t(elevation) << 16) / BackdropHorizonRow));
    }

    Rgb Clouds(Rgb sky, int32_t column, int32_t elevation)
    {
        const int64_t depth = CloudDepthScale / elevation;
        const uint32_t phase = ColumnPhase(column);
        const int64_t px = (depth * Sine(phase)) >> 8; // world units * 256
        const int64_t py = (depth * Cosine(phase)) >> 8;
        const int32_t n = Fbm(px, py + (int64_t(1) << 28), 1400, 6, 0, 0, 31);
        int32_t cover = SmoothRange(One * 50 / 100, One * 68 / 100, n);
        cover = Mul16(cover, SmoothRange(70 << 16, 130 << 16, elevation << 16));
        if (cover == 0)
            return sky;
        const int32_t thick = SmoothRange(One * 58 / 100, One * 90 / 100, n);
        const Rgb lit = { 244, 248, 254 };
        const Rgb shadow = { 142, 154, 184 };
        return Mix(sky, Mix(lit, shadow, thick), cover);
    }

    // Light on a range, from the left: the ridge's slope, averaged over a window that widens
    // with the depth below the crest, says whether the flank faces the light; rocky noise adds
    // ribs and gullies.
    int32_t RangeLight(const std::vector<int32_t>& ridge, int32_t column, int32_t row, uint32_t seed)
    {
        const int32_t depth
            = (BackdropHorizonRow - ridge[column]) < row ? row - (BackdropHorizonRow - ridge[column]) : 0;
        const int32_t w = 2 + depth / 2;
        const int32_t rise
            = ridge[(column + w) % BackdropWidth] - ridge[(column + BackdropWidth - w) % BackdropWidth];
        const int32_t slope = int32_t((int64_t(rise) << 16) / (2 * w)); // rows per column, Q16
        const int64_t x = int64_t(column) * 256;
        const int64_t y = int64_t(row) * 256;
        const int32_t left = Fbm(x - 256, y - 128, 24, 4, BackdropWidth, 0, seed);
        const int32_t right = Fbm(x + 256, y + 128, 24, 4, BackdropWidth, 0, seed);
        return One / 2 + Clamp(Mul16(slope, One * 45 / 100), -One * 4 / 10, One * 4 / 10)
            + (left - right) * 4;
    }

    Rgb FarRange(const std::vector<int32_t>& ridge, int32_t column, int32_t row)
    {
        const int32_t light = Clamp(RangeLight(ridge, column, row, 41), 0, One);
        static const Rgb rock[] = { { 62, 66, 98 }, { 96, 102, 136 }, { 150, 156, 184 } };
        Rgb c = Gradient(rock, 3, light);
        const int32_t elevation = BackdropHorizonRow - row;
        const int32_t belowCrest = ridge[column] - elevation;
        const int32_t patch = Fbm(int64_t(column) * 256, int64_t(row) * 256, 12, 3, BackdropWidth, 0, 43);
        const int32_t snowLine = 58 + Mul16(patch, 36);
        if (elevation > snowLine && belowCrest < 34 + Mul16(patch, 30)) {
            static const Rgb ice[] = { { 136, 150, 188 }, { 200, 212, 234 }, { 248, 250, 254 } };
            c = Gradient(ice, 3, light);
        }
        // Far away, so the air in between lightens it toward the horizon's colour.
        const int32_t haze
            = One * 28 / 100 + Mul16(SmoothRange(0, 60 << 16, (60 - elevation) << 16), One / 5);
        return Mix(c, SkyColour(0), haze);
    }

    Rgb NearRange(const std::vector<int32_t>& ridge, int32_t column, int32_t row)
    {
        const int32_t light = Clamp(RangeLight(ridge, column, row, 53), 0, One);
        static const Rgb hill[] = { { 30, 52, 34 }, { 62, 92, 50 }, { 118, 138, 80 } };
        Rgb c = Gradient(hill, 3, light);
        // Patches of darker forest on the slopes.
        const int32_t forest
            = Fbm(int64_t(column) * 256, int64_t(row) * 256 * 2, 32, 4, BackdropWidth, 0, 57);
        c = Mix(c, Scale(c, One * 62 / 100), SmoothRange(One * 52 / 100, One * 62 / 100, forest));
        return Mix(c, SkyColour(0), One * 18 / 100);
    }

    // A ragged line of tree crowns sitting on the horizon, in stretches.
    int32_t TreeLineHeight(int32_t column)
    {
        const int32_t stretch = Fbm(int64_t(column) * 256, 0, 128, 2, BackdropWidth, 0, 61);
        if (stretch < One * 45 / 100)
            return 0;
        const int32_t crowns = Fbm(int64_t(column) * 256, 0, 8, 2, BackdropWidth, 0, 67);
        return Mul16(SmoothRange(One * 45 / 100, One * 60 / 100, stretch), 3 + Mul16(crowns, 14));
    }

    Rgb TreeLine(int32_t column, int32_t row)
    {
        const int32_t n = Fbm(int64_t(column) * 256, int64_t(row) * 256, 4, 2, BackdropWidth, 0, 71);
        static const Rgb leaves[] = { { 20, 40, 20 }, { 40, 66, 30 }, { 70, 96, 46 } };
        return Mix(Gradient(leaves, 3, n), SkyColour(0), One / 5);
    }

    // The meadow the floor square lies in, seen in perspective down to the viewer's feet.
    Rgb Ground(int32_t column, int32_t rowsBelow)
    {
        const int64_t depth = GroundDepthScale * 2 / (2 * rowsBelow - 1); // row centre
        const uint32_t phase = ColumnPhase(column);
        const int64_t px = (depth * Sine(phase)) >> 8;
        const int64_t py = (depth * Cosine(phase)) >> 8;
        const int32_t patches = Fbm(px, py, 600, 4, 0, 0, 81);
        const int32_t detail = Fbm(px, py, 48, 3, 0, 0, 83);
        static const Rgb grass[] = { { 58, 84, 40 }, { 82, 108, 50 }, { 112, 128, 66 }, { 146, 142, 92 } };
        Rgb c = Gradient(grass, 4, patches);
        // Fine texture only where it is near enough not to flicker into noise.
        const int32_t near = ExpNeg(int32_t((depth << 16) / 900));
        c = Scale(c, One - Mul16(near, One / 5) + Mul16(Mul16(near, detail), One * 2 / 5));
        // Close to the viewer the grass shows blades: streaks that run down the screen.
        const int32_t blades
            = Fbm(int64_t(column) * 256, int64_t(rowsBelow) * 256 / 6, 2, 2, BackdropWidth, 0, 87);
        const int32_t closeness = SmoothRange(40 << 16, 200 << 16, rowsBelow << 16);
        c = Scale(c, One * 95 / 100 + Mul16(closeness, Mul16(blades - One / 2, One * 4 / 10)));
        const int32_t haze = One - ExpNeg(int32_t((depth << 16) / 5200));
        static const Rgb horizonHaze = { 128, 148, 124 };
        return Mix(c, horizonHaze, haze);
    }

} // namespace

Picture PaintBackdrop()
{
    Picture p = NewPicture(BackdropWidth, BackdropHeight);
    std::vector<int32_t> far(BackdropWidth), near(BackdropWidth);
    for (int32_t column = 0; column < BackdropWidth; ++column) {
        far[column] = RidgeHeight(column, 24, 96, 128, 11);
        near[column] = RidgeHeight(column, 8, 34, 64, 13);
    }
    for (int32_t column = 0; column < BackdropWidth; ++column) {
        const int32_t trees = TreeLineHeight(column);
        for (int32_t row = 0; row < BackdropHeight; ++row) {
            Rgb c;
            if (row >= BackdropHorizonRow) {
                c = Ground(column, row - BackdropHorizonRow + 1);
            } else {
                const int32_t elevation = BackdropHorizonRow - row; // 1 just above the horizon
                if (elevation <= trees)
                    c = TreeLine(column, row);
                else if (elevation <= near[column])
                    c = NearRange(near, column, row);
                else if (elevation <= far[column])
                    c = FarRange(far, column, row);
                else
                    c = Clouds(SkyColour(elevation), column, elevation);
            }
            At(p, column, row) = c;
        }
    }
    return p;
}

namespace {

    struct Slab {
        int32_t x0, y0, x1, y1; // texels, x1 and y1 exclusive
        Rgb tint;
    };

    constexpr int32_t SlabCell = 16;
    constexpr int32_t SlabGrid = FloorSize / SlabCell;

    // Flagstones of one to three cells by one or two, laid greedily in scan order; every slab lies
    // inside the tile, so the tile's edges are joints and the texture repeats cleanly.
    std::vector<Slab> LaySlabs()
    {
        static const Rgb stones[] = {
            { 170, 156, 130 },
            { 150, 146, 138 },
            { 134, 134, 140 },
            { 180, 174, 160 },
            { 162, 142, 122 },
            { 144, 138, 124 },
        };
        Rng rng { 0x51AB5EEDu };
        int32_t owner[SlabGrid][SlabGrid];
        for (auto& line : owner)
            for (int32_t& cell : line)
                cell = -1;
        std::vector<Slab> slabs;
        for (int32_t cy = 0; cy < SlabGrid; ++cy) {
            for (int32_t cx = 0; cx < SlabGrid; ++cx) {
                if (owner[cy][cx] >= 0)
                    continue;
                int32_t w = 1 + RandomBelow(&rng, 3);
                int32_t h = 1 + RandomBelow(&rng, 2);
                while (cx + w > SlabGrid)
                    --w;
                for (int32_t i = 1; i < w; ++i)
                    if (owner[cy][cx + i] >= 0) {
                        w = i;
                        break;
                    }
                if (cy + h > SlabGrid)
                    h = 1;
                for (int32_t i = 0; i < w && h > 1; ++i)
                    if (owner[cy + 1][cx + i] >= 0)
                        h = 1;
                const int32_t id = int32_t(slabs.size());
                for (int32_t j = 0; j < h; ++j)
                    for (int32_t i = 0; i < w; ++i)
                        owner[cy + j][cx + i] = id;
                Rgb tint = stones[RandomBelow(&rng, 6)];
                tint = Scale(tint, One * 90 / 100 + RandomBelow(&rng, One / 5));
                slabs.push_back(
                    { cx * SlabCell, cy * SlabCell, (cx + w) * SlabCell, (cy + h) * SlabCell, tint });
            }
        }
        return slabs;
    }

    // Distance in 1/256 texel from the texel's centre to the slab's rounded outline.
    int32_t EdgeDistance(const Slab& s, int32_t x, int32_t y)
    {
        constexpr int32_t Round = 3 * 256;
        const int32_t ex = std::min(x - s.x0, s.x1 - 1 - x) * 256 + 128;
        const int32_t ey = std::min(y - s.y0, s.y1 - 1 - y) * 256 + 128;
        if (ex < Round && ey < Round) {
            const int64_t dx = Round - ex, dy = Round - ey;
            return Round - int32_t(IntSqrt(uint64_t(dx * dx + dy * dy)));
        }
        return std::min(ex, ey);
    }

} // namespace

Picture PaintFloor()
{
    Picture p = NewPicture(FloorSize, FloorSize);
    const std::vector<Slab> slabs = LaySlabs();
    for (const Slab& s : slabs) {
        const uint32_t slabSeed = uint32_t(s.x0 * 7 + s.y0 * 131);
        for (int32_t y = s.y0; y < s.y1; ++y) {
            for (int32_t x = s.x0; x < s.x1; ++x) {
                const int64_t x256 = int64_t(x) * 256, y256 = int64_t(y) * 256;
                const int32_t edge = EdgeDistance(s, x, y);
                const int32_t moss = Fbm(x256, y256, 16, 3, FloorSize, FloorSize, 101);
                Rgb c;
                if (edge < 256) {
                    // The joint: packed earth, with moss where the noise says it grows.
                    const Rgb earth = { 58, 52, 44 };
                    const Rgb green = { 56, 76, 36 };
                    c = Mix(earth, green, SmoothRange(One * 50 / 100, One * 66 / 100, moss));
                    c = Scale(c,
                        One * 85 / 100
                            + Mul16(Fbm(x256, y256, 4, 2, FloorSize, FloorSize, 103), One * 3 / 10));
                } else {
                    const int32_t mottle = Fbm(x256, y256, 64, 5, FloorSize, FloorSize, 107);
                    const int32_t grain = Fbm(x256, y256, 4, 2, FloorSize, FloorSize, 109 + slabSeed);
                    const int32_t wear = Fbm(x256, y256, 128, 2, FloorSize, FloorSize, 113);
                    int32_t light = One * 78 / 100 + Mul16(mottle, One * 30 / 100) + Mul16(grain, One / 10);
                    light -= Mul16(SmoothRange(One * 55 / 100, One * 75 / 100, wear), One / 8);
                    // Bevelled rims: lit where the slab faces the light (toward -x, -y), dark opposite.
                    if (edge < 3 * 256) {
                        const int32_t rim = One - ((edge - 256) << 16) / (2 * 256);
                        const int32_t toLight
                            = (x - s.x0) + (y - s.y0) < (s.x1 - 1 - x) + (s.y1 - 1 - y) ? 1 : -1;
                        light += toLight * Mul16(rim, One * 30 / 100);
                    }
                    c = Scale(s.tint, light);
                    // Moss creeping in from the joints.
                    const int32_t creep = Mul16(SmoothRange(One * 55 / 100, One * 70 / 100, moss),
                        One - SmoothRange(256, 5 * 256, edge));
                    c = Mix(c, { 74, 102, 42 }, Mul16(creep, One * 80 / 100));
                }
                At(p, x, y) = c;
            }
        }
    }
    return p;
}

Picture PaintFloorImage(const Picture& floor)
{
    Picture p = NewPicture(64, 64);
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            Rgb sum { 0, 0, 0 };
            for (int32_t j = 0; j < 4; ++j)
                for (int32_t i = 0; i < 4; ++i)
                    sum = sum + floor.colour[size_t(y * 4 + j) * floor.width + x * 4 + i];
            At(p, x, y) = { sum.r / 16, sum.g / 16, sum.b / 16 };
        }
    return p;
}

} // namespace mkdata
