// The floor's eye-height and far-depth limits, the short texture and the span ends of either winding.
#include <vector>

#include "world_state.h"

namespace {

constexpr int32_t Pad = 64;
constexpr uint8_t GuardValue = 0xC3;

class Floor : public WorldState {
protected:
    void SetUp() override
    {
        BitmapSlots[FloorTextureSlot] = Bitmap { ones.data(), 256, 256, 0, 0, FloorTextureBytes, 0 };
    }
    // Pixels drawn in rows z0 down to z1 of a 320-wide frame, once the guard bytes around it are checked.
    static int32_t Drawn(int32_t z0, int32_t z1)
    {
        std::vector<uint8_t> buffer(size_t(320) * Projection.ProjZs + 2 * Pad, 0);
        std::fill_n(buffer.begin(), Pad, GuardValue);
        std::fill_n(buffer.end() - Pad, Pad, GuardValue);
        DrawFloor(FrameTarget { buffer.data() + Pad, 320 });
        EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + Pad, GuardValue), Pad)
            << "written before the frame";
        EXPECT_EQ(std::count(buffer.end() - Pad, buffer.end(), GuardValue), Pad) << "written after the frame";
        return int32_t(std::count_if(buffer.begin() + Pad + (Projection.zmax - z0) * 320,
            buffer.begin() + Pad + (Projection.zmax - z1 + 1) * 320, [](uint8_t v) { return v != 0; }));
    }
    std::vector<uint8_t> ones = std::vector<uint8_t>(FloorTextureBytes, 1);
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
    for (const auto& c : cases) {
        SetView(c.x, c.y, c.height, c.angle, 320, c.rows, c.ds);
        EXPECT_EQ(Drawn(Projection.zmax, Projection.zmin) > 0, c.drawn)
            << c.x << "," << c.y << " eye " << c.height << " angle " << c.angle << " ProjDs " << c.ds;
    }
    SetView(512, 512, 128, 0);
    BitmapSlots[FloorTextureSlot].size = FloorTextureBytes - 1;
    EXPECT_EQ(Drawn(Projection.zmax, Projection.zmin), 0) << "short texture";
}

// A polygon reaching far beyond FarDepth: the first row drawn is the first whose depth
// h * ProjDs / -z is at most 16384 (-32 exactly at eye 512), and the rows run on to the bottom.
TEST_F(Floor, RowsBeyondFarDepthAreSkipped)
{
    const int32_t cases[][3]
        = { { 128, 160, -2 }, { 512, 1024, -32 }, { 513, 1024, -33 } }; // eye, ProjDs, row
    for (const auto& c : cases) {
        SetView(0, 0, c[0], 0, 320, 240, c[1]);
        const int16_t depths[4] = { 1, 1, 30000, 30000 }, lateral[4] = { -16000, 16000, 16000, -16000 };
        for (int i = 0; i < 4; ++i)
            FloorCorners[i].viewX = lateral[i], FloorCorners[i].viewDepth = depths[i];
        EXPECT_EQ(Drawn(Projection.zmax, c[2] + 1), 0) << c[0] << " " << c[1];
        EXPECT_EQ(Drawn(c[2], Projection.zmin), 320 * (c[2] - Projection.zmin + 1)) << c[0] << " " << c[1];
    }
}

// Corners placed in view space (viewX, depth), eye 120, ProjDs 160: the near line lies at depth 160.
// Given clockwise the chains swap sides and the span ends with them.
TEST_F(Floor, SpansOfEitherWinding)
{
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
            EXPECT_EQ((std::vector<int32_t> { spans[i].z, spans[i].x0, spans[i].x1 }),
                (std::vector<int32_t> { z, -x, x }))
                << "winding " << &c - corners;
        }
    }
}

} // namespace
