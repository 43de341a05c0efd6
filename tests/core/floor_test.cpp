// The floor's eye-height and far-depth limits, spans, texel mapping, full turns and views that see no floor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/bitmap.h"
#include "render/floor.h"
#include "world/viewpoint.h"

namespace {

constexpr int32_t Pad = 64;
constexpr uint8_t GuardValue = 0xC3;

class Floor : public ::testing::Test {
protected:
    void TearDown() override
    {
        BitmapSlots[FloorTextureSlot] = savedSlot;
        ViewPoint = savedView;
        Projection = savedProjection;
        std::copy(savedCorners, savedCorners + 4, FloorCorners);
    }
    static void Use(std::vector<uint8_t>& texture)
    {
        BitmapSlots[FloorTextureSlot] = Bitmap { texture.data(), 256, 256, 0, 0, FloorTextureBytes, 0 };
    }
    static void View(
        int32_t x, int32_t y, int32_t height, int32_t angle, int32_t rows = 240, int32_t ds = 160)
    {
        ViewPoint.x = x, ViewPoint.y = y, ViewPoint.height = height, ViewPoint.angle = angle;
        Projection = ProjectionValues { ds, 320, rows, 0, 0, 0, 0 };
        SetProjectionBounds();
        ComputeViewTrig();
        TransformFloorCorners();
    }
    // The frame, 0 where nothing was drawn, once the guard bytes around it are checked.
    static std::vector<uint8_t> Draw()
    {
        std::vector<uint8_t> buffer(size_t(320) * Projection.ProjZs + 2 * Pad, 0);
        std::fill_n(buffer.begin(), Pad, GuardValue);
        std::fill_n(buffer.end() - Pad, Pad, GuardValue);
        DrawFloor(FrameTarget { buffer.data() + Pad, 320 });
        EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + Pad, GuardValue), Pad)
            << "written before the frame";
        EXPECT_EQ(std::count(buffer.end() - Pad, buffer.end(), GuardValue), Pad) << "written after the frame";
        return std::vector<uint8_t>(buffer.begin() + Pad, buffer.end() - Pad);
    }
    // Pixels drawn in rows z0 down to z1.
    static int32_t Drawn(const std::vector<uint8_t>& frame, int32_t z0, int32_t z1)
    {
        return int32_t(std::count_if(frame.begin() + (Projection.zmax - z0) * 320,
            frame.begin() + (Projection.zmax - z1 + 1) * 320, [](uint8_t v) { return v != 0; }));
    }

    std::vector<uint8_t> ones = std::vector<uint8_t>(FloorTextureBytes, 1);
    Bitmap savedSlot = BitmapSlots[FloorTextureSlot];
    ViewPointRecord savedView = ViewPoint;
    ProjectionValues savedProjection = Projection;
    FloorCorner savedCorners[4] = { FloorCorners[0], FloorCorners[1], FloorCorners[2], FloorCorners[3] };
};

// Eye 15 draws nothing and 16 draws; outside the square looking away on each side draws nothing,
// looking at it draws; edge-on at eye 16 and ProjDs 64 the square spans rows 0..-1 from y -1020
// (too few) and 0..-2 from y -510. Eyes above 1023: near depth 125 draws; 32736 lies beyond every
// corner; 32812 would wrap in 16 bits, and so would the span's height at 32768 and beyond.
TEST_F(Floor, WhetherAnyFloorShows)
{
    const struct {
        int32_t x, y, height, angle, rows, ds;
        bool drawn;
    } cases[] = { { 512, 512, 15, 100, 240, 160, false }, { 512, 512, 16, 100, 240, 160, true },
        { 512, -100, 128, 512, 240, 160, false }, { -200, 512, 128, 256, 240, 160, false },
        { 1200, 512, 128, 768, 240, 160, false }, { 512, 1300, 128, 0, 240, 160, false },
        { -200, 512, 128, 768, 240, 160, true }, { 512, -1020, 16, 0, 240, 64, false },
        { 512, -510, 16, 0, 240, 64, true }, { 512, 512, 2000, 123, 2048, 64, true },
        { 512, 512, 1023, 123, 128, 2048, false }, { 512, 512, 1500, 123, 128, 1400, false },
        { 512, -3000, 32768, 0, 2048, 64, false }, { 512, 512, INT32_MAX, 123, 240, 64, false } };
    Use(ones);
    for (const auto& c : cases) {
        View(c.x, c.y, c.height, c.angle, c.rows, c.ds);
        EXPECT_EQ(Drawn(Draw(), Projection.zmax, Projection.zmin) > 0, c.drawn)
            << c.x << "," << c.y << " eye " << c.height << " angle " << c.angle << " ProjDs " << c.ds;
    }
    View(512, 512, 128, 0);
    BitmapSlots[FloorTextureSlot].size = FloorTextureBytes - 1;
    EXPECT_EQ(Drawn(Draw(), Projection.zmax, Projection.zmin), 0) << "short texture";
}

// A view-space polygon reaching far beyond FarDepth: the first row drawn is the first whose
// depth h * ProjDs / -z is at most 16384, and the rows run on down to the bottom.
TEST_F(Floor, RowsBeyondFarDepthAreSkipped)
{
    const struct {
        int32_t height, ds, firstRow;
    } cases[] = { { 128, 160, -2 }, { 16, 64, -1 }, { 512, 1024, -32 }, { 513, 1024, -33 } };
    Use(ones);
    for (const auto& c : cases) {
        View(0, 0, c.height, 0, 240, c.ds);
        const int16_t depths[4] = { 1, 1, 30000, 30000 }, lateral[4] = { -16000, 16000, 16000, -16000 };
        for (int i = 0; i < 4; ++i) {
            FloorCorners[i].viewX = lateral[i];
            FloorCorners[i].viewDepth = depths[i];
        }
        const std::vector<uint8_t> frame = Draw();
        EXPECT_EQ(Drawn(frame, Projection.zmax, c.firstRow + 1), 0) << c.height << " " << c.ds;
        EXPECT_EQ(Drawn(frame, c.firstRow, Projection.zmin), 320 * (c.firstRow - Projection.zmin + 1))
            << c.height << " " << c.ds;
    }
}

// Corners placed in view space (viewX, depth) on a 320 x 240 viewport, eye 120, ProjDs 160: the near
// line lies at depth 160. Corners on it land on the bottom row; given clockwise the chains swap
// sides and the span ends with them; a vertex projecting exactly onto a clip column stays.
TEST_F(Floor, SpansOfCornersPlacedInView)
{
    const struct {
        int16_t corners[4][2];
        int32_t n, topZ, topX0, topX1, bottomZ, minX0, maxX1;
    } cases[] = {
        { { { -100, 160 }, { 100, 160 }, { 100, 400 }, { -100, 400 } }, 73, -48, -40, 40, -120, -100, 100 },
        { { { -100, 400 }, { 100, 400 }, { 100, 160 }, { -100, 160 } }, 73, -48, -40, 40, -120, -100, 100 },
        { { { -50, 200 }, { 318, 320 }, { -50, 440 }, { -200, 320 } }, 54, -43, -18, -18, -96, -100, 159 },
        { { { 50, 200 }, { 200, 320 }, { 50, 440 }, { -320, 320 } }, 54, -43, 18, 18, -96, -160, 100 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        View(0, 0, 120, 0, 240, 160);
        for (int i = 0; i < 4; ++i)
            FloorCorners[i].viewX = c.corners[i][0], FloorCorners[i].viewDepth = c.corners[i][1];
        FloorSpan spans[MaxFloorSpans];
        const int32_t n = BuildFloorSpans(spans);
        ASSERT_EQ(n, c.n);
        EXPECT_EQ((std::vector<int32_t> { spans[0].z, spans[0].x0, spans[0].x1, spans[n - 1].z }),
            (std::vector<int32_t> { c.topZ, c.topX0, c.topX1, c.bottomZ }));
        int32_t minX0 = INT32_MAX, maxX1 = INT32_MIN;
        for (int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(spans[i].z, spans[0].z - i);
            ASSERT_LE(spans[i].x0, spans[i].x1) << spans[i].z;
            minX0 = std::min<int32_t>(minX0, spans[i].x0), maxX1 = std::max<int32_t>(maxX1, spans[i].x1);
        }
        EXPECT_EQ(minX0, c.minX0);
        EXPECT_EQ(maxX1, c.maxX1);
    }
}

} // namespace
