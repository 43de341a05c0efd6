// The floor against a slow floating-point inverse projection of every screen pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/bitmap.h"
#include "render/floor.h"
#include "world/viewpoint.h"

namespace {

// Small, fixed generator so that the cases are the same on every platform.
struct Lcg {
    uint32_t state;
    int32_t Next(int32_t lo, int32_t hi)
    {
        state = state * 1664525u + 1013904223u;
        return lo + int32_t((state >> 8) % uint32_t(hi - lo + 1));
    }
};

struct Viewport {
    int32_t width, rows, ds;
};

// The floor point seen at screen point (x, z), worked out in doubles from the definition of
// the projection: depth h * ProjDs / -z, lateral offset x * depth / ProjDs, rotated back by
// the view angle's table sine and cosine. False at and above the horizon.
bool WorldPoint(int32_t x, int32_t z, double* wx, double* wy)
{
    if (z >= 0)
        return false;
    const double h = ViewPoint.height;
    const double depth = h * Projection.ProjDs / -z;
    const double lateral = x * depth / Projection.ProjDs;
    const double s = ViewTrig.sinA / 4096.0;
    const double c = ViewTrig.cosA / 4096.0;
    *wx = ViewPoint.x + lateral * c - depth * s;
    *wy = ViewPoint.y + lateral * s + depth * c;
    return true;
}

// Whether the screen box two pixels around (x, z) sees some of the square: the bounding box
// of its corners' floor points meets the square. A box reaching the horizon sees everything
// beyond, so it counts as near.
bool NearSquare(int32_t x, int32_t z)
{
    constexpr int32_t R = 2;
    if (z + R >= 0)
        return true;
    double lox = 1e30, hix = -1e30, loy = 1e30, hiy = -1e30;
    for (int32_t dz : { -R, R })
        for (int32_t dx : { -R, R }) {
            double wx, wy;
            WorldPoint(x + dx, z + dz, &wx, &wy);
            lox = std::min(lox, wx);
            hix = std::max(hix, wx);
            loy = std::min(loy, wy);
            hiy = std::max(hiy, wy);
        }
    return hix >= 0 && lox < 1024 && hiy >= 0 && loy < 1024;
}

int32_t Texel(double world)
{
    return int32_t(std::floor(world)) & 255;
}

bool WithinOneTexel(int32_t got, int32_t expected)
{
    const int32_t d = (got - expected) & 255;
    return d == 0 || d == 1 || d == 255;
}

class FloorReference : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSlot = BitmapSlots[FloorTextureSlot];
        savedView = ViewPoint;
        savedProjection = Projection;
        ones.assign(FloorTextureBytes, 1);
        uTexture.resize(FloorTextureBytes);
        vTexture.resize(FloorTextureBytes);
        for (uint32_t i = 0; i < FloorTextureBytes; ++i) {
            uTexture[i] = uint8_t(i & 255);
            vTexture[i] = uint8_t(i >> 8);
        }
    }

    void TearDown() override
    {
        BitmapSlots[FloorTextureSlot] = savedSlot;
        ViewPoint = savedView;
        Projection = savedProjection;
    }

    static std::vector<uint8_t> DrawWith(std::vector<uint8_t>& texture)
    {
        Bitmap& slot = BitmapSlots[FloorTextureSlot];
        slot = Bitmap {};
        slot.pixels = texture.data();
        slot.size = FloorTextureBytes;
        std::vector<uint8_t> frame(size_t(Projection.ProjXs) * Projection.ProjZs, 0);
        DrawFloor(FrameTarget { frame.data(), Projection.ProjXs });
        return frame;
    }

    // Checks one view; returns the number of floor pixels drawn.
    int32_t CheckView(int32_t x, int32_t y, int32_t height, int32_t angle, const Viewport& vp)
    {
        ViewPoint.x = x;
        ViewPoint.y = y;
        ViewPoint.height = height;
        ViewPoint.angle = angle;
        Projection.ProjXs = vp.width;
        Projection.ProjZs = vp.rows;
        Projection.ProjDs = vp.ds;
        SetProjectionBounds();
        ComputeViewTrig();
        TransformFloorCorners();

        const std::vector<uint8_t> covered = DrawWith(ones);
        const std::vector<uint8_t> us = DrawWith(uTexture);
        const std::vector<uint8_t> vs = DrawWith(vTexture);

        // Which screen points, two pixels beyond the viewport on every side, see the square.
        constexpr int32_t R = 2;
        const int32_t gw = vp.width + 2 * R, gh = vp.rows + 2 * R;
        std::vector<uint8_t> inside(size_t(gw) * gh, 0);
        for (int32_t gz = 0; gz < gh; ++gz)
            for (int32_t gx = 0; gx < gw; ++gx) {
                double wx, wy;
                const int32_t sx = Projection.xmin + gx - R, sz = Projection.zmax - (gz - R);
                inside[size_t(gz) * gw + gx]
                    = WorldPoint(sx, sz, &wx, &wy) && wx >= 0 && wx < 1024 && wy >= 0 && wy < 1024;
            }
        auto allAround = [&](int32_t col, int32_t row) {
            for (int32_t dz = -R; dz <= R; ++dz)
                for (int32_t dx = -R; dx <= R; ++dx)
                    if (!inside[size_t(row + R + dz) * gw + col + R + dx])
                        return false;
            return true;
        };

        int32_t drawn = 0;
        const int64_t nearest = int64_t(height) * vp.ds;
        for (int32_t row = 0; row < vp.rows; ++row)
            for (int32_t col = 0; col < vp.width; ++col) {
                const int32_t sx = Projection.xmin + col, sz = Projection.zmax - row;
                const size_t at = size_t(row) * vp.width + col;
                const bool withinFar = sz < 0 && nearest <= int64_t(FarDepth) * -sz;
                if (!covered[at]) {
                    // Well inside the square (two pixels all round) and not too far: drawn.
                    if (withinFar && allAround(col, row)) {
                        ADD_FAILURE() << "missing floor pixel (" << sx << ", " << sz << ")";
                        return drawn;
                    }
                    continue;
                }
                ++drawn;
                double wx, wy;
                if (!withinFar || !WorldPoint(sx, sz, &wx, &wy)) {
                    ADD_FAILURE() << "floor drawn at or above the horizon or beyond FarDepth: (" << sx << ", "
                                  << sz << ")";
                    return drawn;
                }
                if (!NearSquare(sx, sz)) {
                    ADD_FAILURE() << "floor drawn two pixels away from the square: (" << sx << ", " << sz
                                  << ")";
                    return drawn;
                }
                if (!WithinOneTexel(us[at], Texel(wx)) || !WithinOneTexel(vs[at], Texel(wy))) {
                    ADD_FAILURE() << "pixel (" << sx << ", " << sz << ") shows texel (" << int(us[at]) << ", "
                                  << int(vs[at]) << "), the projection gives world (" << wx << ", " << wy
                                  << ")";
                    return drawn;
                }
            }
        return drawn;
    }

    std::vector<uint8_t> ones, uTexture, vTexture;
    Bitmap savedSlot;
    ViewPointRecord savedView;
    ProjectionValues savedProjection;
};

TEST_F(FloorReference, ChosenViews)
{
    const struct {
        int32_t x, y, height, angle;
        Viewport vp;
    } cases[] = {
        { 512, 512, 128, 0, { 320, 240, 160 } },
        { 512, 512, 16, 300, { 320, 240, 160 } },
        { 512, -100, 128, 0, { 320, 240, 160 } }, // flat far edge
        { -500, -500, 128, 896, { 320, 240, 160 } }, // pointed top
        { 0, 0, 1023, 128, { 640, 480, 64 } }, // high eye, wide angle
        { 1023, 1023, 40, 384, { 2048, 256, 2048 } }, // long narrow projection
        { -2000, 512, 300, 768, { 321, 129, 100 } }, // odd viewport
        { 3000, 3000, 900, 384, { 128, 2048, 64 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
            << "view " << c.x << "," << c.y << " eye " << c.height << " angle " << c.angle << " viewport "
            << c.vp.width << "x" << c.vp.rows << " ds " << c.vp.ds);
        EXPECT_GT(CheckView(c.x, c.y, c.height, c.angle, c.vp), 0);
    }
}

TEST_F(FloorReference, RandomViews)
{
    const Viewport viewports[] = { { 320, 240, 160 }, { 321, 129, 64 }, { 640, 480, 300 }, { 128, 128, 64 },
        { 200, 150, 2048 }, { 512, 384, 512 } };
    Lcg random { 12345 };
    int32_t views = 0, drawnViews = 0;
    for (int i = 0; i < 240; ++i) {
        const Viewport& vp = viewports[random.Next(0, 5)];
        const int32_t x = random.Next(-1500, 2500);
        const int32_t y = random.Next(-1500, 2500);
        // Low eyes are the common case and the hardest for the far rows.
        const int32_t height = random.Next(0, 3) == 0 ? random.Next(16, 1023) : random.Next(16, 200);
        const int32_t angle = random.Next(0, 1023);
        SCOPED_TRACE(testing::Message() << "view " << x << "," << y << " eye " << height << " angle " << angle
                                        << " viewport " << vp.width << "x" << vp.rows << " ds " << vp.ds);
        ++views;
        drawnViews += CheckView(x, y, height, angle, vp) > 0;
        if (HasFailure())
            break;
    }
    // Enough of the views must actually see the floor for the comparison to mean anything.
    EXPECT_GT(drawnViews, views / 3);
}

} // namespace
