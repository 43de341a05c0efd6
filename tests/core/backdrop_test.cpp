// The backdrop's row split, its vertical placement, the cleared bands and the copied pixels.
#include <gtest/gtest.h>

#include <vector>

#include "render/backdrop.h"
#include "world/viewpoint.h"

namespace {

// A test panorama whose pixels the caller's function names by column and row.
struct TestBackdrop {
    std::vector<uint8_t> payload;
    Bitmap record;
};

TestBackdrop MakeBackdrop(uint16_t width, uint16_t height, uint8_t (*value)(int32_t column, int32_t row))
{
    TestBackdrop b;
    b.payload.resize(size_t(width) * height);
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c)
            b.payload[size_t(r) * width + c] = value(c, r);
    b.record = Bitmap {};
    b.record.pixels = b.payload.data();
    b.record.width = width;
    b.record.height = height;
    b.record.size = uint32_t(b.payload.size());
    return b;
}

uint8_t ColumnLow(int32_t column, int32_t)
{
    return uint8_t(column & 255);
}
uint8_t ColumnHigh(int32_t column, int32_t)
{
    return uint8_t(column >> 2);
}
uint8_t RowValue(int32_t column, int32_t row)
{
    return column < 1024 ? uint8_t(row + 1) : 0xEE;
}

void SetViewport(int32_t width, int32_t height)
{
    Projection.ProjXs = width;
    Projection.ProjZs = height;
    SetProjectionBounds();
}

int32_t WindowPitch()
{
    return (Projection.ProjXs + 3) & ~3;
}

TEST(BackdropSplit, PiecesOfARow)
{
    const struct {
        int32_t angle, width;
        int32_t column, first, whole, rest;
    } cases[] = {
        { 0, 320, 0, 320, 0, 0 }, // angle 0: columns 0..W-1
        { 1, 320, 1023, 1, 0, 319 }, // angle 1: column 1023 first, then 0, 1, ...
        { 24, 320, 1000, 24, 0, 296 }, // g = 1000: 24 then 296
        { 1023, 2048, 1, 1023, 1, 1 }, // W = 2048, g = 1
        { -1, 2048, 1, 1023, 1, 1 }, // only the low bits of the angle count
        { 0, 2048, 0, 1024, 1, 0 }, // two whole turns, no rest
        { 0, 1024, 0, 1024, 0, 0 }, // exactly one turn
        { 1, 2048, 1023, 1, 1, 1023 }, // the longest rest
        { 1024 + 24, 320, 1000, 24, 0, 296 },
        { 512, 128, 512, 128, 0, 0 },
    };
    for (const auto& c : cases) {
        const BackdropRowSplit s = SplitBackdropRow(c.angle, c.width);
        EXPECT_EQ(s.column, c.column) << c.angle << " " << c.width;
        EXPECT_EQ(s.firstBytes, c.first) << c.angle << " " << c.width;
        EXPECT_EQ(s.wholeCopies, c.whole) << c.angle << " " << c.width;
        EXPECT_EQ(s.restBytes, c.rest) << c.angle << " " << c.width;
        EXPECT_EQ(s.firstBytes + s.wholeCopies * 1024 + s.restBytes, c.width);
    }
}

TEST(BackdropDraw, EveryColumnShowsItsPanoramaColumn)
{
    const struct {
        int32_t angle, width;
    } cases[] = { { 0, 320 }, { 1, 320 }, { 24, 320 }, { 1023, 2048 }, { 1, 2048 }, { 300, 1500 },
        { 0, 1024 }, { 777, 321 } };
    // Two passes whose values together name the column 0..1023 exactly.
    uint8_t (*const planes[2])(int32_t, int32_t) = { ColumnLow, ColumnHigh };
    for (const auto& c : cases) {
        SetViewport(c.width, 128);
        ViewPoint.angle = c.angle;
        const int32_t pitch = WindowPitch();
        std::vector<uint8_t> seen[2];
        for (int plane = 0; plane < 2; ++plane) {
            TestBackdrop b = MakeBackdrop(1100, 128, planes[plane]);
            seen[plane].assign(size_t(pitch) * 128, 0x5A);
            DrawBackdrop(b.record, FrameTarget { seen[plane].data(), pitch });
        }
        const int32_t g = -c.angle & 1023;
        for (int32_t row : { 0, 127 })
            for (int32_t k = 0; k < c.width; ++k) {
                const size_t at = size_t(row) * pitch + k;
                const int32_t column = (g + k) & 1023;
                ASSERT_EQ(seen[0][at], column & 255)
                    << "angle " << c.angle << " width " << c.width << " k " << k;
                ASSERT_EQ(seen[1][at], column >> 2)
                    << "angle " << c.angle << " width " << c.width << " k " << k;
            }
        for (int32_t k = c.width; k < pitch; ++k)
            EXPECT_EQ(seen[0][k], 0x5A) << "padding written at " << k;
    }
}

TEST(BackdropPlacement, BandsAndCropping)
{
    const int32_t H = 240;
    const struct {
        int32_t height;
        bool pixels;
        int32_t top, bottom, pictureRow, rows;
    } cases[] = {
        { H, true, 0, H, 0, H }, // fills the viewport row for row
        { H - 1, true, 0, H - 1, 0, H - 1 }, // one bottom band row
        { H - 3, true, 1, H - 2, 0, H - 3 }, // one top row, two bottom rows
        { H + 5, true, 0, H, 2, H }, // two rows cut at the top, three at the bottom
        { H + 6, true, 0, H, 3, H },
        { 0, true, H / 2, H / 2, 0, 0 }, // no picture rows: the whole viewport is band
        { 100, false, H / 2, H / 2, 0, 0 }, // a height without pixels counts as 0
    };
    SetViewport(320, H);
    for (const auto& c : cases) {
        TestBackdrop b = MakeBackdrop(1024, uint16_t(c.height), RowValue);
        if (!c.pixels)
            b.record.pixels = nullptr;
        const BackdropPlacement p = PlaceBackdrop(b.record);
        EXPECT_EQ(p.top, c.top) << c.height;
        EXPECT_EQ(p.bottom, c.bottom) << c.height;
        EXPECT_EQ(p.pictureRow, c.pictureRow) << c.height;
        EXPECT_EQ(p.rows, c.rows) << c.height;
    }
}

TEST(BackdropPlacement, UnusablePayloadsCountAsNoRows)
{
    SetViewport(320, 240);
    TestBackdrop narrow = MakeBackdrop(1023, 10, RowValue);
    EXPECT_EQ(BackdropRows(narrow.record), 0u);
    TestBackdrop shortPayload = MakeBackdrop(1024, 10, RowValue);
    shortPayload.record.size -= 1;
    EXPECT_EQ(BackdropRows(shortPayload.record), 0u);
    // The last row only needs its 1024 shown columns, not the whole stride.
    TestBackdrop wide = MakeBackdrop(1100, 10, RowValue);
    wide.record.size = 9 * 1100 + 1024;
    EXPECT_EQ(BackdropRows(wide.record), 10u);
    EXPECT_EQ(PlaceBackdrop(narrow.record).top, 120);
}

TEST(BackdropBands, ClearedRowsAndCopiedRowsInAWindowBuffer)
{
    const int32_t H = 130;
    const struct {
        int32_t height;
        bool pixels;
        int32_t width; // ProjXs: 322 gives two padding bytes a row
    } cases[] = { { H, true, 322 }, { H - 1, true, 322 }, { H - 3, true, 321 }, { H + 5, true, 320 },
        { 0, true, 322 }, { 60, false, 323 }, { 1, true, 128 } };
    for (const auto& c : cases) {
        SetViewport(c.width, H);
        ViewPoint.angle = 0;
        const int32_t pitch = WindowPitch();
        // A stride wider than the 1024 shown columns, whose extra columns must never show.
        TestBackdrop b = MakeBackdrop(1100, uint16_t(c.height), RowValue);
        if (!c.pixels)
            b.record.pixels = nullptr;
        std::vector<uint8_t> buffer(size_t(pitch) * H + 16, 0xAA);
        ClearBandsInBuffer(buffer.data(), pitch, b.record);
        DrawBackdrop(b.record, FrameTarget { buffer.data(), pitch });

        const int32_t hB = c.pixels ? c.height : 0;
        const int32_t top = hB < H ? (H - hB) >> 1 : 0;
        const int32_t first = hB < H ? 0 : (hB - H) >> 1;
        for (int32_t row = 0; row < H; ++row) {
            const bool band = hB < H && (row < top || row >= top + hB);
            for (int32_t k = 0; k < pitch; ++k) {
                const uint8_t got = buffer[size_t(row) * pitch + k];
                if (band)
                    ASSERT_EQ(got, 0) << "height " << c.height << " row " << row << " byte " << k;
                else if (k >= c.width)
                    ASSERT_EQ(got, 0xAA) << "padding of a picture row, row " << row;
                else
                    ASSERT_EQ(got, uint8_t(first + row - top + 1)) << "height " << c.height << " row " << row;
            }
        }
        for (size_t i = size_t(pitch) * H; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], 0xAA) << "written past the buffer";
    }
}

TEST(BackdropBands, HeightZeroClearsTheWholeViewportAndCopiesNothing)
{
    for (int32_t H : { 128, 129, 240, 2048 }) {
        SetViewport(128, H);
        TestBackdrop b = MakeBackdrop(1024, 0, RowValue);
        b.record.pixels = nullptr;
        std::vector<uint8_t> buffer(size_t(128) * H, 0x77);
        ClearBandsInBuffer(buffer.data(), 128, b.record);
        DrawBackdrop(b.record, FrameTarget { buffer.data(), 128 });
        for (uint8_t v : buffer)
            ASSERT_EQ(v, 0) << H;
    }
}

} // namespace
