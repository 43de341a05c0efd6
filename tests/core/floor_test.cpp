// The floor's eye-height and far-depth limits, near-line projection, texel mapping, clipping and top row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/bitmap.h"
#include "render/floor.h"
#include "world/viewpoint.h"

namespace {

constexpr uint8_t Background = 0;
constexpr int32_t Guard = 64; // bytes before and after the frame that no drawing may touch
constexpr uint8_t GuardValue = 0xC3;

// Saves and restores what the floor reads, and owns the test textures.
class Floor : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSlot = BitmapSlots[FloorTextureSlot];
        savedView = ViewPoint;
        savedProjection = Projection;
        for (int i = 0; i < 4; ++i)
            savedCorners[i] = FloorCorners[i];
        uTexture.resize(FloorTextureBytes);
        vTexture.resize(FloorTextureBytes);
        ones.assign(FloorTextureBytes, 1);
        for (uint32_t i = 0; i < FloorTextureBytes; ++i) {
            uTexture[i] = uint8_t(i & 255);
            vTexture[i] = uint8_t(i >> 8);
        }
        UseTexture(ones);
    }

    void TearDown() override
    {
        BitmapSlots[FloorTextureSlot] = savedSlot;
        ViewPoint = savedView;
        Projection = savedProjection;
        for (int i = 0; i < 4; ++i)
            FloorCorners[i] = savedCorners[i];
    }

    void UseTexture(std::vector<uint8_t>& texture)
    {
        Bitmap& slot = BitmapSlots[FloorTextureSlot];
        slot = Bitmap {};
        slot.pixels = texture.data();
        slot.width = 256;
        slot.height = 256;
        slot.size = uint32_t(texture.size());
    }

    static void View(int32_t x, int32_t y, int32_t height, int32_t angle, int32_t width = 320,
        int32_t rows = 240, int32_t ds = 160)
    {
        ViewPoint.x = x;
        ViewPoint.y = y;
        ViewPoint.height = height;
        ViewPoint.angle = angle;
        Projection.ProjXs = width;
        Projection.ProjZs = rows;
        Projection.ProjDs = ds;
        SetProjectionBounds();
        ComputeViewTrig();
        TransformFloorCorners();
    }

    // Draws the floor for the current view into a frame with guard bytes around it; returns
    // the frame alone (ProjXs bytes a row) after checking the guards.
    static std::vector<uint8_t> Draw()
    {
        const int32_t pitch = Projection.ProjXs;
        const size_t bytes = size_t(pitch) * Projection.ProjZs;
        std::vector<uint8_t> buffer(bytes + 2 * Guard, GuardValue);
        std::fill(buffer.begin() + Guard, buffer.begin() + Guard + bytes, Background);
        DrawFloor(FrameTarget { buffer.data() + Guard, pitch });
        for (int32_t i = 0; i < Guard; ++i) {
            EXPECT_EQ(buffer[i], GuardValue) << "written before the frame";
            EXPECT_EQ(buffer[Guard + bytes + i], GuardValue) << "written after the frame";
        }
        return std::vector<uint8_t>(buffer.begin() + Guard, buffer.begin() + Guard + bytes);
    }

    static int32_t CountDrawn(const std::vector<uint8_t>& frame)
    {
        int32_t n = 0;
        for (uint8_t v : frame)
            n += v != Background;
        return n;
    }

    // Drawn pixels of view-centred row z.
    static int32_t DrawnInRow(const std::vector<uint8_t>& frame, int32_t z)
    {
        const size_t start = size_t(Projection.zmax - z) * Projection.ProjXs;
        int32_t n = 0;
        for (int32_t k = 0; k < Projection.ProjXs; ++k)
            n += frame[start + k] != Background;
        return n;
    }

    std::vector<uint8_t> uTexture, vTexture, ones;
    Bitmap savedSlot;
    ViewPointRecord savedView;
    ProjectionValues savedProjection;
    FloorCorner savedCorners[4];
};

TEST_F(Floor, EyeHeightThreshold)
{
    const struct {
        int32_t height;
        bool drawn;
    } cases[] = { { 15, false }, { 16, true }, { 0, false }, { -40, false }, { 17, true }, { 200, true } };
    for (const auto& c : cases) {
        View(512, 512, c.height, 100);
        EXPECT_EQ(CountDrawn(Draw()) > 0, c.drawn) << "eye height " << c.height;
    }
}

// A view-space polygon reaching far beyond FarDepth (no real viewpoint sees the square
// that deep), set after the corners were transformed.
void ReachFarBeyond()
{
    const int16_t depths[4] = { 1, 1, 30000, 30000 };
    const int16_t lateral[4] = { -16000, 16000, 16000, -16000 };
    for (int i = 0; i < 4; ++i) {
        FloorCorners[i].viewX = lateral[i];
        FloorCorners[i].viewDepth = depths[i];
    }
}

TEST_F(Floor, FarDepthSkipsTheRowsBeyond)
{
    // Eye 128 and ProjDs 160 put row -1 at depth 20480 and row -2 at 10240.
    View(0, 0, 128, 0, 320, 240, 160);
    ReachFarBeyond();
    const std::vector<uint8_t> frame = Draw();
    EXPECT_EQ(DrawnInRow(frame, 0), 0);
    EXPECT_EQ(DrawnInRow(frame, -1), 0);
    EXPECT_EQ(DrawnInRow(frame, -2), 320);
}

TEST_F(Floor, FirstRowDrawnIsTheFirstWithinFarDepth)
{
    // A polygon reaching far beyond FarDepth: the first row drawn is the first whose depth
    // h * ProjDs / -z is at most 16384.
    const struct {
        int32_t height, ds, firstRow;
    } cases[]
        = { { 128, 160, -2 }, { 16, 64, -1 }, { 1023, 2048, -128 }, { 512, 1024, -32 }, { 513, 1024, -33 } };
    for (const auto& c : cases) {
        View(0, 0, c.height, 0, 640, 480, c.ds);
        ReachFarBeyond();
        FloorSpan spans[MaxFloorSpans];
        const int32_t n = BuildFloorSpans(spans);
        ASSERT_GT(n, 0) << c.height;
        EXPECT_EQ(spans[0].z, c.firstRow) << "height " << c.height << " ProjDs " << c.ds;
        EXPECT_EQ(spans[n - 1].z, Projection.zmin);
        for (int32_t i = 1; i < n; ++i)
            ASSERT_EQ(spans[i].z, spans[i - 1].z - 1);
    }
}

TEST_F(Floor, NearLineVerticesLandOnTheBottomRow)
{
    const struct {
        int32_t y, angle, height, width, rows, ds;
    } cases[] = {
        // 16 * 127 / 1024 gives a near depth of 1, from which 16 * 127 / 1 = 2032 rows would
        // lie below the horizon: the bottom row must be taken instead.
        { 512, 37, 16, 320, 2048, 127 }, { 512, 37, 128, 320, 240, 160 }, { 512, 37, 100, 321, 129, 64 },
        { -1500, 0, 1023, 2048, 2048, 2048 }, // near depth 2046
    };
    for (const auto& c : cases) {
        View(512, c.y, c.height, c.angle, c.width, c.rows, c.ds);
        FloorSpan spans[MaxFloorSpans];
        const int32_t n = BuildFloorSpans(spans);
        ASSERT_GT(n, 0);
        EXPECT_EQ(spans[n - 1].z, Projection.zmin) << c.height << " " << c.rows << " " << c.ds;
        EXPECT_GT(DrawnInRow(Draw(), Projection.zmin), 0);
    }
}

TEST_F(Floor, TexelOfTheFirstAndFollowingPixels)
{
    // Eye 16, ProjDs 64, 64 rows below the horizon: depth 16, and a quarter unit per pixel
    // across the row at angle 0.
    const struct {
        int32_t viewerX, viewerY, angle, x0;
        int32_t u0, v0; // texel of the first pixel
        int32_t u8, v8; // texel eight pixels on
    } cases[] = {
        { 300, 4, 0, 0, 44, 20, 46, 20 }, // world (300, 20)
        { -1, -16, 0, 0, 255, 0, 1, 0 }, // world (-1, 0)
        { 298, 4, 0, 8, 44, 20, 46, 20 }, // x0 = 8 lies two units to the right
        { 0, 4, 0, -2, 255, 20, 1, 20 }, // world x -0.5 floors to texel 255
        { 316, 20, 256, 0, 44, 20, 44, 22 }, // looking toward -x: the row runs along +y
        { 300, 36, 512, 0, 44, 20, 42, 20 }, // looking toward -y: the row runs along -x
        { 300 + 1024, -2048 - 16, 0, 0, 44, 0, 46, 0 }, // both wrap modulo 256
    };
    for (const auto& c : cases) {
        View(c.viewerX, c.viewerY, 16, c.angle, 320, 240, 64);
        uint8_t u[320], v[320];
        DrawFloorSpan(u, uTexture.data(), 64, c.x0, c.x0 + 8, c.viewerX, c.viewerY);
        DrawFloorSpan(v, vTexture.data(), 64, c.x0, c.x0 + 8, c.viewerX, c.viewerY);
        const int32_t first = c.x0 - Projection.xmin;
        EXPECT_EQ(u[first], c.u0) << c.viewerX << "," << c.viewerY << " angle " << c.angle;
        EXPECT_EQ(v[first], c.v0) << c.viewerX << "," << c.viewerY << " angle " << c.angle;
        EXPECT_EQ(u[first + 8], c.u8) << c.viewerX << "," << c.viewerY << " angle " << c.angle;
        EXPECT_EQ(v[first + 8], c.v8) << c.viewerX << "," << c.viewerY << " angle " << c.angle;
    }
}

TEST_F(Floor, SpanWritesExactlyItsColumns)
{
    View(100, 100, 200, 300, 320, 240, 160);
    const struct {
        int32_t x0, x1;
    } cases[] = { { -160, 159 }, { -160, -160 }, { 159, 159 }, { 0, 0 }, { -5, 17 } };
    for (const auto& c : cases) {
        std::vector<uint8_t> row(320 + 2 * Guard, GuardValue);
        std::vector<uint8_t> texture(FloorTextureBytes, 9);
        DrawFloorSpan(row.data() + Guard, texture.data(), 3, c.x0, c.x1, 100, 100);
        for (int32_t k = 0; k < int32_t(row.size()); ++k) {
            const int32_t x = k - Guard + Projection.xmin;
            ASSERT_EQ(row[k], x >= c.x0 && x <= c.x1 ? 9 : GuardValue) << c.x0 << ".." << c.x1 << " x " << x;
        }
    }
}

TEST_F(Floor, AFullTurnGivesTheSameFrame)
{
    UseTexture(uTexture);
    const struct {
        int32_t x, y, height, angle;
    } cases[]
        = { { 512, 512, 128, 100 }, { -300, 200, 300, 900 }, { 700, -50, 40, 0 }, { 1000, 1000, 16, 511 } };
    for (const auto& c : cases) {
        View(c.x, c.y, c.height, c.angle);
        const std::vector<uint8_t> base = Draw();
        EXPECT_GT(CountDrawn(base), 0);
        for (int32_t turns : { 1, 2, -1 }) {
            View(c.x, c.y, c.height, c.angle + 1024 * turns);
            EXPECT_EQ(Draw(), base) << "angle " << c.angle << " + " << turns << " turns";
        }
    }
}

TEST_F(Floor, ViewerOutsideLookingAwayDrawsNothing)
{
    const struct {
        int32_t x, y, angle;
        bool drawn;
    } cases[] = {
        { 512, -100, 512, false }, // south of the square looking south
        { -200, 512, 256, false }, // west looking west
        { 1200, 512, 768, false }, // east looking east
        { 512, 1300, 0, false }, // north looking north
        { 512, -100, 0, true }, // the same places looking at the square
        { -200, 512, 768, true },
        { -1000, -1000, 896, true },
        { 8191, 8191, 0, false },
    };
    for (const auto& c : cases) {
        View(c.x, c.y, 128, c.angle);
        EXPECT_EQ(CountDrawn(Draw()) > 0, c.drawn) << c.x << "," << c.y << " angle " << c.angle;
    }
}

TEST_F(Floor, EyeAboveTheKeyRangeNeverDividesByZero)
{
    const struct {
        int32_t height, rows, ds;
        bool drawn;
    } cases[] = {
        { 1024, 240, 64, true }, // near depth 546: the floor is still below
        { 2000, 2048, 64, true }, // near depth 125
        { 1023, 128, 2048, false }, // near depth 32736 fits but lies beyond every corner
        { 1500, 128, 1400, false }, // near depth 32812 would wrap to a negative 16-bit value
        { 1024, 128, 2048, false }, // near depth 32768 would wrap to -32768
        { 32767, 128, 2048, false },
        { 32768, 2048, 64, false }, // the span's 16-bit height would wrap
        { 100000, 2048, 64, false },
        { INT32_MAX, 240, 64, false },
    };
    for (const auto& c : cases) {
        View(512, 512, c.height, 123, 320, c.rows, c.ds);
        EXPECT_EQ(CountDrawn(Draw()) > 0, c.drawn) << "eye " << c.height << " ProjDs " << c.ds;
    }
}

TEST_F(Floor, NoTextureNoFloor)
{
    View(512, 512, 128, 0);
    BitmapSlots[FloorTextureSlot].pixels = nullptr;
    EXPECT_EQ(CountDrawn(Draw()), 0);
    UseTexture(ones);
    BitmapSlots[FloorTextureSlot].size = FloorTextureBytes - 1;
    EXPECT_EQ(CountDrawn(Draw()), 0);
    BitmapSlots[FloorTextureSlot].size = FloorTextureBytes;
    EXPECT_GT(CountDrawn(Draw()), 0);
}

TEST_F(Floor, FlatTopEdgeIsCoveredWhole)
{
    // Square-on from y = -100: the far edge at depth 1123 projects to row
    // -(128 * 160 / 1123) = -18, from X = -512 * 160 / 1123 to 511 * 160 / 1123.
    View(512, -100, 128, 0);
    FloorSpan spans[MaxFloorSpans];
    const int32_t n = BuildFloorSpans(spans);
    ASSERT_GT(n, 0);
    EXPECT_EQ(spans[0].z, -(128 * 160 / 1123));
    EXPECT_EQ(spans[0].x0, -512 * 160 / 1123);
    EXPECT_EQ(spans[0].x1, 511 * 160 / 1123);
    // The near edge lies below the viewport, so the polygon ends on the bottom row, and the
    // rows between come out one after the other, each within the viewport.
    EXPECT_EQ(spans[n - 1].z, Projection.zmin);
    for (int32_t i = 0; i < n; ++i) {
        ASSERT_EQ(spans[i].z, spans[0].z - i);
        ASSERT_LE(spans[i].x0, spans[i].x1);
        ASSERT_GE(spans[i].x0, Projection.xmin);
        ASSERT_LE(spans[i].x1, Projection.xmax);
    }
}

TEST_F(Floor, PointedTopIsASinglePixel)
{
    // Looking along the diagonal from beyond the corner (0, 0): the far corner (1023, 1023)
    // is alone on the top row.
    View(-500, -500, 128, 896);
    FloorSpan spans[MaxFloorSpans];
    const int32_t n = BuildFloorSpans(spans);
    ASSERT_GT(n, 2);
    // Straight down the diagonal the picture is symmetric about the middle column.
    EXPECT_EQ(spans[0].x0, 0);
    EXPECT_EQ(spans[0].x1, 0);
    EXPECT_LT(spans[1].x0, 0);
    EXPECT_GT(spans[1].x1, 0);
    EXPECT_LE(std::abs(spans[1].x0 + spans[1].x1), 1);
}

TEST_F(Floor, TooFewRowsDrawNothing)
{
    // Seen edge-on from far away at eye 16 the square covers at most a row or two.
    View(512, -8000, 16, 0, 320, 240, 64);
    FloorSpan spans[MaxFloorSpans];
    EXPECT_EQ(BuildFloorSpans(spans), 0);
    EXPECT_EQ(CountDrawn(Draw()), 0);
}

} // namespace
