// The sine table, the view values, the projection bounds and the viewport rectangle.
#include <gtest/gtest.h>

#include <cmath>

#include "render/trig.h"
#include "world/viewpoint.h"

namespace {

TEST(SineTable, EveryEntryIsTheRoundedSine)
{
    for (int i = 0; i < 1280; ++i)
        ASSERT_EQ(SineTable[i], std::lround(4096.0 * std::sin(6.283185307179586 * i / 1024.0))) << "entry " << i;
}

TEST(SineTable, Checkpoints)
{
    const struct {
        int index, value;
    } cases[] = {{1, 25}, {4, 101}, {64, 1567}, {128, 2896}, {170, 3539}, {254, 4096}, {256, 4096},
                 {258, 4096}, {512, 0}, {766, -4096}, {768, -4096}, {770, -4096}, {1023, -25},
                 {1278, 4096}, {1279, 4096}};
    for (const auto& c : cases)
        EXPECT_EQ(SineTable[c.index], c.value) << "entry " << c.index;
}

TEST(SineTable, OddSineEvenCosineAndTheRepeatedQuarter)
{
    for (int i = 0; i < 1024; ++i) {
        ASSERT_EQ(SineTable[(1024 - i) & 1023], -SineTable[i]) << i;
        ASSERT_EQ(SineTable[i + 256], SineTable[(256 - i) & 1023]) << i;
    }
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(SineTable[1024 + i], SineTable[i]) << i;
}

TEST(ViewTrig, AnglesUseTheirLowTenBits)
{
    const struct {
        int32_t angle;
        int16_t sinA, cosA, sinNeg, cosNeg;
    } cases[] = {
        {0, 0, 4096, 0, 4096},       {256, 4096, 0, -4096, 0},     {1023, -25, 4096, 25, 4096},
        {-1, -25, 4096, 25, 4096},   {1024, 0, 4096, 0, 4096},     {512, 0, -4096, 0, -4096},
        {128 + 2048, 2896, 2896, -2896, 2896},
    };
    for (const auto& c : cases) {
        ViewPoint.angle = c.angle;
        ComputeViewTrig();
        EXPECT_EQ(ViewTrig.sinA, c.sinA) << c.angle;
        EXPECT_EQ(ViewTrig.cosA, c.cosA) << c.angle;
        EXPECT_EQ(ViewTrig.sinNeg, c.sinNeg) << c.angle;
        EXPECT_EQ(ViewTrig.cosNeg, c.cosNeg) << c.angle;
    }
    for (int32_t a = 0; a < 1024; ++a) {
        ViewPoint.angle = a;
        ComputeViewTrig();
        ASSERT_EQ(ViewTrig.sinNeg, -ViewTrig.sinA) << a;
        ASSERT_EQ(ViewTrig.cosNeg, ViewTrig.cosA) << a;
    }
    ViewPoint.angle = 0;
}

TEST(Projection, BoundsPutTheOddPixelOnThePositiveSide)
{
    const struct {
        int32_t xs, zs, xmin, xmax, zmin, zmax;
    } cases[] = {
        {320, 240, -160, 159, -120, 119}, {321, 129, -160, 160, -64, 64}, {128, 128, -64, 63, -64, 63},
        {2048, 2047, -1024, 1023, -1023, 1023}, {640, 480, -320, 319, -240, 239},
    };
    const ProjectionValues saved = Projection;
    for (const auto& c : cases) {
        Projection.ProjXs = c.xs;
        Projection.ProjZs = c.zs;
        SetProjectionBounds();
        EXPECT_EQ(Projection.xmin, c.xmin) << c.xs;
        EXPECT_EQ(Projection.xmax, c.xmax) << c.xs;
        EXPECT_EQ(Projection.zmin, c.zmin) << c.zs;
        EXPECT_EQ(Projection.zmax, c.zmax) << c.zs;
        EXPECT_EQ(Projection.xmax - Projection.xmin + 1, c.xs);
        EXPECT_EQ(Projection.zmax - Projection.zmin + 1, c.zs);
    }
    Projection = saved;
}

TEST(Projection, FramePixelAddressesTheCornersOfTheTarget)
{
    const ProjectionValues saved = Projection;
    Projection.ProjXs = 320;
    Projection.ProjZs = 240;
    SetProjectionBounds();
    static uint8_t buffer[320 * 240];
    const FrameTarget target = {buffer, 320};
    EXPECT_EQ(FramePixel(target, -160, 119), buffer);
    EXPECT_EQ(FramePixel(target, 159, -120), buffer + 320 * 240 - 1);
    EXPECT_EQ(FramePixel(target, 0, 0), buffer + 119 * 320 + 160);
    Projection = saved;
}

TEST(ViewportRect, CentresTheViewportOnTheMode)
{
    const struct {
        int32_t modeX, modeZ, xs, zs;
        ScreenRect expected;
    } cases[] = {
        {640, 480, 320, 240, {160, 120, 480, 360}},
        {640, 480, 640, 480, {0, 0, 640, 480}},
        {320, 240, 320, 240, {0, 0, 320, 240}},
        {800, 600, 321, 129, {240, 236, 561, 365}},
    };
    const ProjectionValues saved = Projection;
    for (const auto& c : cases) {
        Projection.ProjXs = c.xs;
        Projection.ProjZs = c.zs;
        SetProjectionBounds();
        const ScreenRect r = ViewportRect(c.modeX, c.modeZ);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
    Projection = saved;
}

} // namespace
