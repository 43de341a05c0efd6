// The floor against a slow floating-point inverse projection of every screen pixel, over many views.
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

bool WithinOneTexel(int32_t got, double world)
{
    const int32_t d = (got - (int32_t(std::floor(world)) & 255)) & 255;
    return d <= 1 || d == 255;
}

std::vector<uint8_t> Plane(uint32_t (*texel)(uint32_t))
{
    std::vector<uint8_t> t(FloorTextureBytes);
    for (uint32_t i = 0; i < FloorTextureBytes; ++i)
        t[i] = uint8_t(texel(i));
    return t;
}

class FloorReference : public WorldState {
protected:
    static std::vector<uint8_t> DrawWith(std::vector<uint8_t>& texture)
    {
        BitmapSlots[FloorTextureSlot] = Bitmap { texture.data(), 256, 256, 0, 0, FloorTextureBytes, 0 };
        std::vector<uint8_t> frame(size_t(Projection.ProjXs) * Projection.ProjZs, 0);
        DrawFloor(FrameTarget { frame.data(), Projection.ProjXs });
        return frame;
    }

    // Compares one view pixel by pixel; returns the number of floor pixels drawn.
    int32_t Check(const View& v)
    {
        SCOPED_TRACE(testing::Message()
            << "view " << v.x << "," << v.y << " eye " << v.height << " angle " << v.angle << " viewport "
            << v.width << "x" << v.rows << " ds " << v.ds);
        SetView(v.x, v.y, v.height, v.angle, v.width, v.rows, v.ds);
        const std::vector<uint8_t> covered = DrawWith(ones), us = DrawWith(uTexture), vs = DrawWith(vTexture);
        int32_t drawn = 0;
        for (int32_t row = 0; row < v.rows && !HasFailure(); ++row)
            for (int32_t col = 0; col < v.width && !HasFailure(); ++col) {
                const int32_t x = Projection.xmin + col, z = Projection.zmax - row;
                const size_t at = size_t(row) * v.width + col;
                const bool withinFar = z < 0 && int64_t(v.height) * v.ds <= int64_t(FarDepth) * -z;
                const Box box = z < 0 ? AroundPoint(x, z) : Box::Off;
                if (!covered[at]) {
                    EXPECT_FALSE(withinFar && box == Box::On)
                        << "missing floor pixel (" << x << ", " << z << ")";
                    continue;
                }
                ++drawn;
                double wx = 0, wy = 0;
                if (z < 0)
                    WorldPoint(x, z, &wx, &wy);
                EXPECT_TRUE(withinFar)
                    << "floor at or above the horizon or beyond FarDepth: (" << x << ", " << z << ")";
                EXPECT_NE(box, Box::Off) << "floor well away from the square: (" << x << ", " << z << ")";
                EXPECT_TRUE(WithinOneTexel(us[at], wx) && WithinOneTexel(vs[at], wy))
                    << "pixel (" << x << ", " << z << ") shows texel (" << int(us[at]) << ", " << int(vs[at])
                    << "), the projection gives world (" << wx << ", " << wy << ")";
            }
        return drawn;
    }

    std::vector<uint8_t> ones = std::vector<uint8_t>(FloorTextureBytes, 1);
    std::vector<uint8_t> uTexture = Plane([](uint32_t i) { return i; });
    std::vector<uint8_t> vTexture = Plane([](uint32_t i) { return i >> 8; });
};

TEST_F(FloorReference, ChosenViews)
{
    const View views[] = {
        { 512, 512, 128, 0, 320, 240, 160 }, { 512, 512, 16, 300, 320, 240, 160 },
        { 512, -100, 128, 0, 320, 240, 160 }, // flat far edge
        { -500, -500, 128, 896, 320, 240, 160 }, // pointed top
        { 0, 0, 1023, 128, 640, 480, 64 }, // high eye, wide angle
        { 1023, 1023, 40, 384, 2048, 256, 2048 }, // long narrow projection
        { -2000, 512, 300, 768, 321, 129, 100 }, // odd viewport
        { 3000, 3000, 900, 384, 128, 2048, 64 },
        { 500, -160, 120, 0, 320, 240, 160 }, // corners (0, 0) and (1023, 0) on the near line
        { 387, 383, 120, 0, 320, 240, 160 }, // corner (1023, 1023) exactly onto the right clip column
    };
    for (const View& v : views)
        EXPECT_GT(Check(v), 0);
}

TEST_F(FloorReference, RandomViews)
{
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
        v.x = next(-1500, 2500);
        v.y = next(-1500, 2500);
        v.height = next(0, 3) == 0 ? next(16, 1023) : next(16, 200); // low eyes are the hard case
        v.angle = next(0, 1023);
        if (i % 4 == 1) { // corners (0, 0) and (1023, 0) exactly on the near line
            v.angle = 0;
            v.y = -(v.height * v.ds / (v.rows / 2));
        } else if (i % 4 == 2) { // corner (1023, 1023) at twice ProjDs, onto the right clip column
            v.angle = 0;
            v.x = 1023 - 2 * (v.width - 1 - v.width / 2);
            v.y = 1023 - 2 * v.ds;
        }
        drawnViews += Check(v) > 0;
    }
    EXPECT_GT(drawnViews, 80); // enough views must see the floor for the comparison to mean anything
}

} // namespace
