// The floor against a slow floating-point inverse projection of every screen pixel, over many views;
// then its eye-height and far-depth limits, the short texture and the span ends of either winding.
#include <array>
#include <cmath>
#include <vector>

#include "world_state.h"

namespace {

struct View {
    int32_t x, y, height, angle, width, rows, ds;
};

// The floor point seen at screen point (x, z) below the horizon: depth h * ProjDs / -z, lateral
// offset x * depth / ProjDs, rotated back by the view angle's table sine and cosine.
void WorldPoint(double x, double z, double* wx, double* wy)
{
    const double depth = ViewPoint.height * double(Projection.ProjDs) / -z;
    const double lateral = x * depth / Projection.ProjDs;
    const double s = ViewTrig.sinA / 4096.0, c = ViewTrig.cosA / 4096.0;
    *wx = ViewPoint.x + lateral * c - depth * s;
    *wy = ViewPoint.y + lateral * s + depth * c;
}

// How the box 3 pixels around (x, z) lies to the square of corners 0 and 1023, with two units'
// slack (corners and the near-line cut are whole units); a box reaching the horizon is Mixed.
enum class Box { Off, On, Mixed };
Box AroundPoint(int32_t x, int32_t z)
{
    constexpr int32_t R = 3; // vertex rows, clip cuts and edge columns each truncate by up to a pixel
    if (z + R >= 0)
        return Box::Mixed;
    double lox = 1e30, hix = -1e30, loy = 1e30, hiy = -1e30, wx, wy;
    for (int32_t dz : { -R, R })
        for (int32_t dx : { -R, R }) {
            WorldPoint(x + dx, z + dz, &wx, &wy);
            lox = std::min(lox, wx), hix = std::max(hix, wx), loy = std::min(loy, wy),
            hiy = std::max(hiy, wy);
        }
    if (hix < -2 || lox > 1025 || hiy < -2 || loy > 1025)
        return Box::Off;
    return lox >= 2 && hix <= 1021 && loy >= 2 && hiy <= 1021 ? Box::On : Box::Mixed;
}

const auto WithinOneTexel
    = [](int32_t got, double world) { return ((got - int32_t(std::floor(world)) + 1) & 255) <= 2; };

constexpr int32_t Pad = 64;
constexpr uint8_t Guard = 0xC3;

// Textures of ones, of the column and of the row.
class Floor : public WorldState {
protected:
    Floor()
    {
        for (uint32_t i = 0; i < FloorTextureBytes; ++i)
            uTexture[i] = uint8_t(i), vTexture[i] = uint8_t(i >> 8);
    }
    // The frame drawn with the texture, once the guard bytes around it are checked.
    static std::vector<uint8_t> DrawWith(std::vector<uint8_t>& texture, uint32_t size = FloorTextureBytes)
    {
        BitmapSlots[FloorTextureSlot] = Bitmap { texture.data(), 256, 256, 0, 0, size, 0 };
        const size_t bytes = size_t(Projection.ProjXs) * Projection.ProjZs;
        std::vector<uint8_t> buffer(bytes + 2 * Pad, Guard);
        std::fill_n(buffer.begin() + Pad, bytes, 0);
        DrawFloor(FrameTarget { buffer.data() + Pad, Projection.ProjXs });
        const std::vector<uint8_t> frame(buffer.begin() + Pad, buffer.end() - Pad);
        buffer.erase(buffer.begin() + Pad, buffer.end() - Pad);
        EXPECT_EQ(buffer, std::vector<uint8_t>(2 * Pad, Guard)) << "written outside the frame";
        return frame;
    }
    // Pixels drawn in rows z0 down to z1, with a texture of that size.
    int32_t Drawn(int32_t z0, int32_t z1, uint32_t size = FloorTextureBytes)
    {
        const std::vector<uint8_t> frame = DrawWith(ones, size);
        return int32_t(std::count(frame.begin() + (Projection.zmax - z0) * Projection.ProjXs,
            frame.begin() + (Projection.zmax - z1 + 1) * Projection.ProjXs, 1)); // the texture is all ones
    }

    // Compares one view pixel by pixel; returns the number of floor pixels drawn.
    int32_t Check(const View& v)
    {
        SCOPED_TRACE(testing::Message() << "view " << v.x << "," << v.y << "," << v.height << "," << v.angle
                                        << " " << v.width << "x" << v.rows << " ds " << v.ds);
        SetView(v.x, v.y, v.height, v.angle, v.width, v.rows, v.ds);
        const std::vector<uint8_t> covered = DrawWith(ones), us = DrawWith(uTexture), vs = DrawWith(vTexture);
        int32_t drawn = 0;
        for (int32_t row = 0; row < v.rows && !HasFailure(); ++row)
            for (int32_t col = 0; col < v.width && !HasFailure(); ++col) {
                const int32_t x = Projection.xmin + col, z = Projection.zmax - row;
                const size_t at = size_t(row) * v.width + col;
                const bool withinFar = z < 0 && int64_t(v.height) * v.ds <= int64_t(FarDepth) * -z;
                const Box box = z < 0 ? AroundPoint(x, z) : Box::Off;
                EXPECT_TRUE(covered[at] || !withinFar || box != Box::On) << "no floor at " << x << "," << z;
                if (!covered[at])
                    continue;
                ++drawn;
                double wx = 0, wy = 0;
                if (z < 0)
                    WorldPoint(x, z, &wx, &wy);
                EXPECT_TRUE(withinFar) << "floor above the horizon or past FarDepth at " << x << "," << z;
                EXPECT_NE(box, Box::Off) << "floor well away from the square at " << x << "," << z;
                EXPECT_TRUE(WithinOneTexel(us[at], wx) && WithinOneTexel(vs[at], wy))
                    << x << "," << z << " shows texel " << int(us[at]) << "," << int(vs[at])
                    << ", the projection world " << wx << "," << wy;
            }
        return drawn;
    }

    std::vector<uint8_t> ones = std::vector<uint8_t>(FloorTextureBytes, 1), uTexture = ones, vTexture = ones;
};

// Chosen views, each of which shows floor, then random ones, enough of which do.
TEST_F(Floor, MatchesTheReferenceProjection)
{
    // Level; a low eye; a flat far edge; a pointed top; a high eye at a wide angle; a long narrow
    // projection; odd and tall viewports; corners (0, 0) and (1023, 0) on the near line; corner
    // (1023, 1023) exactly onto the right clip column.
    const View views[] = { // clang-format off
        { 512, 512, 128, 0, 320, 240, 160 }, { 512, 512, 16, 300, 320, 240, 160 }, { 512, -100, 128, 0, 320, 240, 160 },
        { -500, -500, 128, 896, 320, 240, 160 }, { 0, 0, 1023, 128, 640, 480, 64 }, { 1023, 1023, 40, 384, 2048, 256, 2048 },
        { -2000, 512, 300, 768, 321, 129, 100 }, { 3000, 3000, 900, 384, 128, 2048, 64 },
        { 500, -160, 120, 0, 320, 240, 160 }, { 387, 383, 120, 0, 320, 240, 160 } }; // clang-format on
    for (const View& v : views)
        EXPECT_GT(Check(v), 0);
    const View viewports[] = { { 0, 0, 0, 0, 320, 240, 160 }, { 0, 0, 0, 0, 321, 129, 64 },
        { 0, 0, 0, 0, 640, 480, 300 }, { 0, 0, 0, 0, 128, 128, 64 }, { 0, 0, 0, 0, 200, 150, 2048 } };
    uint32_t state = 12345; // a fixed generator: the same views on every platform
    auto next = [&state](int32_t lo, int32_t hi) {
        state = state * 1664525u + 1013904223u;
        return lo + int32_t((state >> 8) % uint32_t(hi - lo + 1));
    };
    int32_t drawnViews = 0;
    for (int i = 0; i < 240 && !HasFailure(); ++i) {
        View v = viewports[next(0, 4)];
        v.x = next(-1500, 2500), v.y = next(-1500, 2500);
        v.height = next(0, 3) == 0 ? next(16, 1023) : next(16, 200); // low eyes are the hard case
        v.angle = next(0, 1023);
        if (i % 4 == 1) { // corners (0, 0) and (1023, 0) exactly on the near line
            v.angle = 0, v.y = -(v.height * v.ds / (v.rows / 2));
        } else if (i % 4 == 2) { // corner (1023, 1023) at twice ProjDs, onto the right clip column
            v.angle = 0, v.x = 1023 - 2 * (v.width - 1 - v.width / 2), v.y = 1023 - 2 * v.ds;
        }
        drawnViews += Check(v) > 0;
    }
    EXPECT_GT(drawnViews, 80); // enough views must see the floor for the comparison to mean anything
}

// Eye 15 draws nothing and 16 draws; outside the square looking away on each side draws nothing,
// looking at it draws; edge-on at eye 16 and ProjDs 64 the square spans rows 0..-1 from y -1020
// (too few) and 0..-2 from y -510. Eyes above 1023: near depth 125 draws; 32736 lies beyond every
// corner; 32812 would wrap in 16 bits, and so would the span's height at 32768 and beyond.
TEST_F(Floor, WhetherAnyFloorShowsFromWhichRowAndTheSpansOfEitherWinding)
{
    // Each case: x, y, eye, angle, rows, ProjDs; whether any is drawn.
    const int32_t cases[][7] = { // clang-format off
        { 512, 512, 15, 100, 240, 160, 0 }, { 512, 512, 16, 100, 240, 160, 1 }, { 512, -100, 128, 512, 240, 160, 0 },
        { -200, 512, 128, 256, 240, 160, 0 }, { 1200, 512, 128, 768, 240, 160, 0 }, { 512, 1300, 128, 0, 240, 160, 0 },
        { -200, 512, 128, 768, 240, 160, 1 }, { 512, -1020, 16, 0, 240, 64, 0 }, { 512, -510, 16, 0, 240, 64, 1 },
        { 512, 512, 2000, 123, 2048, 64, 1 }, { 512, 512, 1023, 123, 128, 2048, 0 }, { 512, 512, 1500, 123, 128, 1400, 0 },
        { 512, -3000, 32768, 0, 2048, 64, 0 }, { 512, 512, INT32_MAX, 123, 240, 64, 0 }
    }; // clang-format on
    for (const auto& c : cases) {
        SetView(c[0], c[1], c[2], c[3], 320, c[4], c[5]);
        EXPECT_EQ(Drawn(Projection.zmax, Projection.zmin) > 0, c[6] == 1)
            << c[0] << "," << c[1] << "," << c[2];
    }
    SetView(512, 512, 128, 0);
    EXPECT_EQ(Drawn(Projection.zmax, Projection.zmin, FloorTextureBytes - 1), 0) << "short texture";
    // A polygon reaching far beyond FarDepth: the first row drawn (by eye and ProjDs) is the first
    // whose depth h * ProjDs / -z is at most 16384 (-32 exactly at eye 512); the rows run on to the bottom.
    for (const auto& c : { std::array { 128, 160, -2 }, { 512, 1024, -32 }, { 513, 1024, -33 } }) {
        SetView(0, 0, c[0], 0, 320, 240, c[1]);
        const int16_t depths[4] = { 1, 1, 30000, 30000 }, lateral[4] = { -16000, 16000, 16000, -16000 };
        for (int i = 0; i < 4; ++i)
            FloorCorners[i].viewX = lateral[i], FloorCorners[i].viewDepth = depths[i];
        EXPECT_EQ(Drawn(Projection.zmax, c[2] + 1), 0) << c[0] << " " << c[1];
        EXPECT_EQ(Drawn(c[2], Projection.zmin), 320 * (c[2] - Projection.zmin + 1)) << c[0] << " " << c[1];
    }
    // Corners placed in view space (viewX, depth), eye 120, ProjDs 160: the near line lies at depth
    // 160. Given clockwise the chains swap sides and the span ends with them.
    const int16_t corners[2][4][2] = { { { -100, 160 }, { 100, 160 }, { 100, 400 }, { -100, 400 } },
        { { -100, 400 }, { 100, 400 }, { 100, 160 }, { -100, 160 } } };
    for (const auto& c : corners) {
        SetView(0, 0, 120, 0);
        for (int i = 0; i < 4; ++i)
            FloorCorners[i].viewX = c[i][0], FloorCorners[i].viewDepth = c[i][1];
        FloorSpan spans[MaxFloorSpans];
        ASSERT_EQ(BuildFloorSpans(spans), 73);
        for (int32_t i = 0; i < 73; ++i) { // rows -48..-120, the ends following the trapezium's sides
            const int32_t z = -48 - i, x = 100 * -z / 120;
            EXPECT_TRUE(spans[i].z == z && spans[i].x0 == -x && spans[i].x1 == x)
                << "winding " << &c - corners << ", span " << i << ": " << spans[i].x0 << ".." << spans[i].x1;
        }
    }
}

} // namespace
