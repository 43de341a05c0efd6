// The sine table, the projection bounds and viewport rectangle, and the backdrop's vertical
// placement, cleared bands and copied columns.
#include <cmath>
#include <vector>

#include "render/backdrop.h"
#include "world_state.h"

namespace {

using Values = std::vector<int32_t>;

TEST(SineTable, EveryEntryIsTheRoundedSine)
{
    for (int i = 0; i < 1280; ++i)
        ASSERT_EQ(SineTable[i], std::lround(4096.0 * std::sin(6.283185307179586 * i / 1024.0))) << i;
}

// Bounds put the odd pixel on the positive side; the viewport is centred on the mode.
TEST_F(WorldState, ProjectionBoundsAndViewportRect)
{
    const int32_t cases[][10] = { // viewport; its xmin, xmax, zmin, zmax; mode; left, top
        { 320, 240, -160, 159, -120, 119, 640, 480, 160, 120 },
        { 321, 129, -160, 160, -64, 64, 800, 600, 240, 236 },
        { 2048, 2047, -1024, 1023, -1023, 1023, 2048, 2047, 0, 0 }
    };
    for (const auto& c : cases) {
        SetView(0, 0, 128, 0, c[0], c[1]);
        const ScreenRect r = ViewportRect(c[6], c[7]);
        EXPECT_EQ((Values { Projection.xmin, Projection.xmax, Projection.zmin, Projection.zmax, r.left, r.top,
                      r.right - r.left, r.bottom - r.top }),
            (Values { c[2], c[3], c[4], c[5], c[8], c[9], c[0], c[1] }));
    }
}

// Bands, cropping and columns together: the whole window buffer (rows padded to 4 bytes) against
// the placement each row expects. The picture's value of (column, row) differs for nearby columns,
// columns 256 apart and rows; columns past the 1024 shown ones must never appear.
TEST_F(WorldState, BackdropBandsAndColumnsInAWindowBuffer)
{
    const auto shade = [](int32_t column, int32_t row) {
        return column >= 1024 ? 0xEE : uint8_t(7 * column + 101 * (column >> 8) + 13 * row);
    };
    constexpr int32_t H = 130, NoPixels = INT32_MIN; // NoPixels as the extra: a picture without pixels
    struct Case {
        int32_t hB, angle, width, stride, extra, top, bottom, pictureRow; // extra bytes past stride * hB
    } const cases[] = {
        { H, 0, 322, 1100, 0, 0, H, 0 }, // fills the viewport row for row
        { H - 1, 1, 321, 1024, 0, 0, H - 1, 0 }, // one bottom band row
        { H - 3, 24, 320, 1100, 0, 1, H - 2, 0 }, // one top band row, two bottom ones
        { H + 5, 1023, 2048, 1100, 0, 0, H, 2 }, // two rows cut at the top, three at the bottom
        { 0, 0, 128, 1024, 0, H / 2, H / 2, 0 }, // height 0: all band
        { 60, 0, 323, 1024, NoPixels, H / 2, H / 2, 0 }, // no pixels: all band
        { 60, 300, 1500, 1100, 1024 - 1100, 35, 95, 0 }, // the last row needs only 1024 bytes
        { 60, 0, 320, 1100, 1023 - 1100, H / 2, H / 2, 0 }, // one byte short of that
        { 60, 0, 320, 1023, 1, H / 2, H / 2, 0 }, // narrower than the panorama, though long enough
    };
    for (const auto& c : cases) {
        SetView(0, 0, 128, c.angle, c.width, H);
        std::vector<uint8_t> payload(size_t(c.stride) * c.hB + 1);
        for (size_t i = 0; i < payload.size(); ++i)
            payload[i] = shade(int32_t(i % c.stride), int32_t(i / c.stride));
        const Bitmap picture { c.extra == NoPixels ? nullptr : payload.data(), uint16_t(c.stride),
            uint16_t(c.hB), 0, 0, uint32_t(c.stride * c.hB + (c.extra == NoPixels ? 0 : c.extra)), 0 };
        const BackdropPlacement p = PlaceBackdrop(picture);
        EXPECT_EQ((Values { p.top, p.bottom, p.pictureRow, p.rows }),
            (Values { c.top, c.bottom, c.pictureRow, c.bottom - c.top }))
            << c.hB;
        const int32_t pitch = (c.width + 3) & ~3, g = -c.angle & 1023;
        std::vector<uint8_t> buffer(size_t(pitch) * H + 16, 0xAA);
        ClearBandsInBuffer(buffer.data(), pitch, picture);
        DrawBackdrop(picture, FrameTarget { buffer.data(), pitch });
        for (size_t i = 0; i < buffer.size(); ++i) {
            const int32_t row = int32_t(i / pitch), k = int32_t(i % pitch);
            const bool band = row < c.top || row >= c.bottom; // 0xAA: row padding and bytes past the buffer
            const uint8_t expected = row >= H || (!band && k >= c.width) ? 0xAA
                : band                                                   ? 0
                       : shade((g + k) & 1023, c.pictureRow + row - c.top);
            ASSERT_EQ(buffer[i], expected)
                << "height " << c.hB << " width " << c.width << " row " << row << " byte " << k;
        }
    }
}

} // namespace
