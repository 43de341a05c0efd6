// The panoramic backdrop: its placement in the viewport, the cleared bands around it and its copy.
#include "render/backdrop.h"

#include <cstddef>
#include <cstring>

#include "world/viewpoint.h"

uint32_t BackdropRows(const Bitmap& backdrop)
{
    // The loader already refuses such payloads; a record built any other way must still
    // never make a row copy read past its block.
    if (!backdrop.pixels || backdrop.height == 0 || backdrop.width < BackdropColumns)
        return 0;
    const uint64_t needed = uint64_t(backdrop.height - 1) * backdrop.width + BackdropColumns;
    if (backdrop.size < needed)
        return 0;
    return backdrop.height;
}

BackdropPlacement PlaceBackdrop(const Bitmap& backdrop)
{
    const int32_t H = Projection.ProjZs;
    const int32_t hB = int32_t(BackdropRows(backdrop));
    BackdropPlacement p;
    if (hB < H) {
        p.top = (H - hB) >> 1;
        p.bottom = hB + p.top;
        p.pictureRow = 0;
        p.rows = hB;
    } else {
        p.top = 0;
        p.bottom = H;
        p.pictureRow = (hB - H) >> 1;
        p.rows = H;
    }
    return p;
}

void ClearBandsInBuffer(uint8_t* pixels, int32_t pitch, const Bitmap& backdrop)
{
    const BackdropPlacement p = PlaceBackdrop(backdrop);
    const int32_t H = Projection.ProjZs;
    if (p.top != 0)
        std::memset(pixels, 0, size_t(p.top) * size_t(pitch));
    if (p.bottom < H)
        std::memset(pixels + size_t(p.bottom) * size_t(pitch), 0, size_t(H - p.bottom) * size_t(pitch));
}

BackdropRowSplit SplitBackdropRow(int32_t angle, int32_t width)
{
    BackdropRowSplit s;
    s.column = -angle & 1023;
    const int32_t toEnd = int32_t(BackdropColumns) - s.column;
    s.firstBytes = width < toEnd ? width : toEnd;
    s.wholeCopies = 0;
    s.restBytes = 0;
    if (width > toEnd) {
        const int32_t rest = width - toEnd;
        s.wholeCopies = rest >> 10;
        s.restBytes = rest & 1023;
    }
    return s;
}

void DrawBackdrop(const Bitmap& backdrop, const FrameTarget& target)
{
    const BackdropPlacement p = PlaceBackdrop(backdrop);
    if (p.rows == 0)
        return;
    const BackdropRowSplit s = SplitBackdropRow(ViewPoint.angle, Projection.ProjXs);
    const size_t stride = backdrop.width;
    const uint8_t* source = backdrop.pixels + size_t(p.pictureRow) * stride;
    uint8_t* dest = target.pixels + std::ptrdiff_t(p.top) * target.pitch;
    for (int32_t r = 0; r < p.rows; ++r) {
        uint8_t* d = dest;
        std::memcpy(d, source + s.column, size_t(s.firstBytes));
        d += s.firstBytes;
        for (int32_t c = 0; c < s.wholeCopies; ++c) {
            std::memcpy(d, source, BackdropColumns);
            d += BackdropColumns;
        }
        if (s.restBytes)
            std::memcpy(d, source, size_t(s.restBytes));
        source += stride;
        dest += target.pitch;
    }
}
