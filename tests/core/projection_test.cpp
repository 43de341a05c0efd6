// The sine table, the projection bounds and viewport rectangle, the backdrop's vertical placement,
// cleared bands and copied columns; the sprite renderer's culls, the depth order's range and unusable
// records. The clipped texels, the scaled runs and the sort of a scene are the golden replays'.
#include <cmath>
#include <vector>

#include "render/backdrop.h"
#include "render/sprites.h"
#include "world_state.h"

namespace {

using Values = std::vector<int32_t>;

// Every entry of the sine table is the rounded sine. Bounds put the odd pixel on the positive side; the
// viewport is centred on the mode. The backdrop's bands, cropping and columns together: the whole window
// buffer (rows padded to 4 bytes) against the placement each row expects. The picture's value of (column,
// row) differs for nearby columns, columns 256 apart and rows; columns past the 1024 shown ones must never
// appear.
TEST_F(WorldState, SineTableProjectionBoundsViewportRectAndBackdropInAWindowBuffer)
{
    for (int i = 0; i < 1280; ++i)
        ASSERT_EQ(SineTable[i], std::lround(4096.0 * std::sin(6.283185307179586 * i / 1024.0))) << i;
    const int32_t bounds[][10] = { // viewport; its xmin, xmax, zmin, zmax; mode; left, top
        { 320, 240, -160, 159, -120, 119, 640, 480, 160, 120 },
        { 321, 129, -160, 160, -64, 64, 800, 600, 240, 236 },
        { 2048, 2047, -1024, 1023, -1023, 1023, 2048, 2047, 0, 0 }
    };
    for (const auto& c : bounds) {
        SetView(0, 0, 128, 0, c[0], c[1]);
        const ScreenRect r = ViewportRect(c[6], c[7]);
        EXPECT_EQ((Values { Projection.xmin, Projection.xmax, Projection.zmin, Projection.zmax, r.left, r.top,
                      r.right - r.left, r.bottom - r.top }),
            (Values { c[2], c[3], c[4], c[5], c[8], c[9], c[0], c[1] }));
    }
    const auto shade = [](int32_t column, int32_t row) {
        return column >= 1024 ? 0xEE : uint8_t(7 * column + 101 * (column >> 8) + 13 * row);
    };
    constexpr int32_t H = 130, NoPixels = INT32_MIN; // NoPixels as the extra: a picture without pixels
    // clang-format off
    const struct { int32_t hB, angle, width, stride, extra, top, bottom, pictureRow; } cases[] = { // extra: past stride * hB
        { H, 0, 322, 1100, 0, 0, H, 0 }, // fills the viewport row for row
        { H - 1, 1, 321, 1024, 0, 0, H - 1, 0 }, // one bottom band row
        { H - 3, 24, 320, 1100, 0, 1, H - 2, 0 }, // one top band row, two bottom ones
        { H + 5, 1023, 2048, 1100, 0, 0, H, 2 }, // two rows cut at the top, three at the bottom
        { 0, 0, 128, 1024, 0, H / 2, H / 2, 0 }, // height 0: all band
        { 60, 0, 323, 1024, NoPixels, H / 2, H / 2, 0 }, // no pixels: all band
        { 60, 300, 1500, 1100, 1024 - 1100, 35, 95, 0 }, // the last row needs only 1024 bytes
        { 60, 0, 320, 1100, 1023 - 1100, H / 2, H / 2, 0 }, // one byte short of that
        { 60, 0, 320, 1023, 1, H / 2, H / 2, 0 }, // narrower than the panorama, though long enough
    }; // clang-format on
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

constexpr uint8_t Guard = 0xEE; // never a sprite colour in these tests
constexpr int16_t Untouched = 0x5A5; // a field the projection did not write

// Every record hidden and no pictures, ProjDs 100 on a 320 x 240 viewport, the viewer at the origin
// facing +y: object (x, y, z) has viewX x, depth y, viewZ z. Field dz tags a record through the sort.
class Sprite : public WorldState {
protected:
    void SetUp() override
    {
        std::fill_n(BitmapSlots, BitmapSlotCount, Bitmap {});
        for (SceneObject& o : SceneObjectTable)
            o = SceneObject {}, o.dz = int16_t(&o - SceneObjectTable + 1), o.flags = ObjectHidden;
        SetView(0, 0, 0, 0, 320, 240, 100);
    }
    static SceneObject& Tagged(int i)
    {
        return *std::find_if(SceneObjectTable, SceneObjectTable + SceneObjectCount,
            [i](const SceneObject& o) { return o.dz == i + 1; });
    }
    static SceneObject& Place(int i, int16_t x, int16_t y, int16_t z, int16_t w, int16_t h, int16_t slot)
    {
        const int16_t u = Untouched;
        return Tagged(i)
            = SceneObject { x, y, z, 0, 0, int16_t(i + 1), 0, 0, 0, w, h, slot, 0, u, u, u, u, u, u, u, u };
    }
    // The viewport after DrawSprites, top row first, once the Guard bytes around it are checked.
    static std::vector<uint8_t> Draw()
    {
        const size_t w = Projection.ProjXs, h = Projection.ProjZs, pitch = w + 16;
        std::vector<uint8_t> bytes(pitch * (h + 16), Guard), frame;
        for (size_t row = 8; row < h + 8; ++row)
            std::fill_n(&bytes[row * pitch + 8], w, 0);
        DrawSprites(FrameTarget { &bytes[8 * pitch + 8], int32_t(pitch) });
        for (size_t i = 0; i < bytes.size(); ++i)
            if (i / pitch - 8 < h && i % pitch - 8 < w) // unsigned: the pad wraps to large values
                frame.push_back(bytes[i]);
            else
                EXPECT_EQ(bytes[i], Guard) << "written outside the viewport, byte " << i;
        return frame;
    }
};

// Depth ProjDs / 10 is culled and one more is shown. At depth 100 a 10 x 10 object covers view
// x - 5 .. x + 4: each pair puts an edge on a bound (culled) and one pixel inside (too thin).
TEST_F(Sprite, CullsTheThreePixelMinimumAndUnusableRecordsDrawNothing)
{
    enum State { Culled, Narrow, Low, Shown }; // Narrow: the vertical clip is never reached
    const int16_t cases[][6] = { // x, depth, z, width, height; the state
        { 0, 10, 0, 4, 4, Culled }, { 0, 11, 0, 4, 4, Shown }, { 164, 100, 0, 10, 10, Culled },
        { 163, 100, 0, 10, 10, Narrow }, { -164, 100, 0, 10, 10, Culled }, { -163, 100, 0, 10, 10, Narrow },
        { -162, 100, 0, 10, 10, Shown }, { 0, 100, 124, 10, 10, Culled }, { 0, 100, 123, 10, 10, Low },
        { 0, 100, -124, 10, 10, Culled }, { 0, 100, -123, 10, 10, Low }, { 0, 100, 0, 3, 3, Shown },
        { 0, 100, 0, 2, 3, Narrow }, { 0, 100, 0, 3, 2, Low }
    };
    for (const auto& c : cases) {
        Place(0, c[0], c[1], c[2], c[3], c[4], 1);
        ProjectSprites();
        const SceneObject& o = Tagged(0);
        const State got = o.screenLeft == Untouched ? Culled
            : o.screenBottom == Untouched           ? Narrow
            : o.flags & ObjectVisible               ? Shown
                                                    : Low;
        EXPECT_EQ(got, c[5]) << "case " << &c - cases;
    }
    SceneObject a {}, b {}; // depths compared without a 16-bit wrap
    a.viewDepth = -32768, b.viewDepth = 32767;
    EXPECT_EQ(CompareDepth(a, b), 65535);
    // A slot without a usable picture, and a record marked visible whose rectangle or texel ranges do
    // not fit (stale or hand-made), draw nothing; the record beside them still draws.
    std::vector<uint8_t> picture(32); // 8 x 8 texels, all opaque
    for (uint8_t r = 0; r < 8; ++r) {
        picture[r * 4] = uint8_t(picture.size());
        picture.insert(picture.end(), { 0, 0, 7, 0, 40, 41, 42, 43, 44, 45, 46, 47, 1, 0, 0, 0 });
    }
    BitmapSlots[2] = Bitmap { const_cast<uint8_t*>(picture.data()), 8, 8, 0, 0, uint32_t(picture.size()), 0 };
    BitmapSlots[5].width = BitmapSlots[5].height = 16; // a failed load keeps its header's size
    BitmapSlots[6] = BitmapSlots[7] = BitmapSlots[2];
    BitmapSlots[6].width = BitmapSlots[7].height = 0;
    const int16_t misfits[][8] = { // screen left, right, bottom, top; texels left, right, bottom, top
        { -161, 0, 0, 10, 0, 7, 0, 7 }, { 0, 160, 0, 10, 0, 7, 0, 7 }, { 0, 10, -121, 10, 0, 7, 0, 7 },
        { 0, 10, 0, 120, 0, 7, 0, 7 }, { 0, 1, 0, 10, 0, 7, 0, 7 }, { 0, 10, 0, 1, 0, 7, 0, 7 },
        { 0, 10, 0, 10, 0, 8, 0, 7 }, { 0, 10, 0, 10, 0, 7, 0, 8 }, { 0, 10, 0, 10, 5, 4, 0, 7 },
        { 0, 10, 0, 10, 0, 7, 5, 4 }, { 0, 10, 0, 10, -1, 7, 0, 7 }
    };
    for (const auto& m : misfits) {
        Tagged(0) = SceneObject { 0, 0, 0, 0, 0, 1, 0, 0, 0, 8, 8, 2, ObjectVisible, m[0], m[1], m[2], m[3],
            m[4], m[5], m[6], m[7] };
        const std::vector<uint8_t> frame = Draw();
        EXPECT_EQ(std::count(frame.begin(), frame.end(), 0), ptrdiff_t(frame.size()))
            << "misfit " << &m - misfits;
    }
    for (int16_t slot : { 5, 6, 7, 40, -1, 32 }) {
        Place(0, 0, 300, 0, 60, 60, slot);
        Place(1, 200, 200, 0, 20, 20, 2);
        ProjectSprites();
        EXPECT_NE(Tagged(0).screenLeft, Untouched) << "slot " << slot; // projected all the same
        const std::vector<uint8_t> frame = Draw();
        const size_t centre = size_t(Projection.zmax) * 320 - Projection.xmin;
        EXPECT_TRUE(frame[centre] == 0 && frame[centre + 100] != 0) << "slot " << slot;
    }
}

} // namespace
