// The sine table, the view values, the projection bounds and the viewport rectangle.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/trig.h"
#include "world/viewpoint.h"

namespace {

TEST(SineTable, EveryEntryIsTheRoundedSine)
{
    for (int i = 0; i < 1280; ++i)
        ASSERT_EQ(SineTable[i], std::lround(4096.0 * std::sin(6.283185307179586 * i / 1024.0)))
            << "entry " << i;
}

TEST(ViewTrig, AnglesUseTheirLowTenBits)
{
    for (int32_t a : { -1, 0, 100, 300, 1023, 1024 + 700, -2048 + 128 }) {
        ViewPoint.angle = a;
        ComputeViewTrig();
        EXPECT_EQ(ViewTrig.sinA, SineTable[a & 1023]) << a;
        EXPECT_EQ(ViewTrig.cosA, SineTable[(a & 1023) + 256]) << a;
        EXPECT_EQ(ViewTrig.sinNeg, -ViewTrig.sinA) << a;
        EXPECT_EQ(ViewTrig.cosNeg, ViewTrig.cosA) << a;
    }
    ViewPoint.angle = 0;
}

// Bounds put the odd pixel on the positive side; the viewport is centred on the mode.
TEST(Projection, BoundsPixelsAndViewportRect)
{
    const struct {
        int32_t xs, zs, xmin, zmax, modeX, modeZ;
        ScreenRect rect;
    } cases[] = {
        { 320, 240, -160, 119, 640, 480, { 160, 120, 480, 360 } },
        { 321, 129, -160, 64, 800, 600, { 240, 236, 561, 365 } },
        { 2048, 2047, -1024, 1023, 2048, 2047, { 0, 0, 2048, 2047 } },
    };
    const ProjectionValues saved = Projection;
    static uint8_t buffer[2048 * 2047];
    for (const auto& c : cases) {
        Projection.ProjXs = c.xs;
        Projection.ProjZs = c.zs;
        SetProjectionBounds();
        EXPECT_EQ(
            (std::vector<int32_t> { Projection.xmin, Projection.xmax, Projection.zmin, Projection.zmax }),
            (std::vector<int32_t> { c.xmin, c.xmin + c.xs - 1, c.zmax - c.zs + 1, c.zmax }));
        const FrameTarget target = { buffer, c.xs };
        EXPECT_EQ(FramePixel(target, c.xmin, c.zmax), buffer);
        EXPECT_EQ(FramePixel(target, c.xmin + c.xs - 1, c.zmax - c.zs + 1), buffer + c.xs * c.zs - 1);
        EXPECT_EQ(FramePixel(target, 0, 0), buffer + c.zmax * c.xs - c.xmin);
        const ScreenRect r = ViewportRect(c.modeX, c.modeZ);
        EXPECT_EQ((std::vector<int32_t> { r.left, r.top, r.right, r.bottom }),
            (std::vector<int32_t> { c.rect.left, c.rect.top, c.rect.right, c.rect.bottom }));
    }
    Projection = saved;
}

} // namespace
