// The sprite renderer: projection, clipping and depth sort of the scene objects, and their scaled drawing.
#include "render/sprites.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "render/bitmap.h"
#include "world/viewpoint.h"

namespace {

// Run headers follow pixel bytes without padding, so they may sit at odd addresses.
uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Only the sprite slots had their run lists checked when they were loaded; any other slot
// number, inside the table or not, names no picture.
const Bitmap* SpritePicture(int16_t slot)
{
    if (!IsSpriteSlot(slot))
        return nullptr;
    return &BitmapSlots[slot];
}

// (edge - p0) * (extent - 1) / (p1 - p0), with p0 < edge < p1 guaranteed by the culls. The
// product is taken in 64 bits: a close, wide object on a wide picture overflows 32 bits,
// and for every product that fits the quotient is the same.
int16_t ClipTexel(int32_t edge, int32_t p0, int32_t p1, int32_t extent)
{
    return int16_t(int64_t(edge - p0) * (extent - 1) / (p1 - p0));
}

// Clips the projected extent p0..p1 to lo..hi. A clipped end shows the texel that keeps
// the on-screen scale of the visible part of the picture (extent texels across).
void ClipExtent(int32_t p0, int32_t p1, int32_t lo, int32_t hi, int32_t extent, int16_t* screen0,
    int16_t* screen1, int16_t* tex0, int16_t* tex1)
{
    *screen0 = int16_t(p0 < lo ? lo : p0);
    *tex0 = p0 < lo ? ClipTexel(lo, p0, p1, extent) : int16_t(0);
    *screen1 = int16_t(p1 > hi ? hi : p1);
    *tex1 = p1 > hi ? ClipTexel(hi, p0, p1, extent) : int16_t(extent - 1);
}

// True when the record's rectangle lies inside the viewport with the 3-pixel minimum and
// its texel ranges lie inside the picture. ProjectSprites only ever leaves such records
// visible; the check keeps a stale or hand-made record from writing outside the frame or
// reading outside the row offset table.
bool SpriteFits(const SceneObject& o, const Bitmap& picture)
{
    if (o.screenLeft < Projection.xmin || o.screenRight > Projection.xmax || o.screenRight - o.screenLeft < 2)
        return false;
    if (o.screenBottom < Projection.zmin || o.screenTop > Projection.zmax || o.screenTop - o.screenBottom < 2)
        return false;
    const uint16_t texLeft = uint16_t(o.texLeft), texRight = uint16_t(o.texRight);
    const uint16_t texBottom = uint16_t(o.texBottom), texTop = uint16_t(o.texTop);
    return texLeft <= texRight && texRight < picture.width && texBottom <= texTop && texTop < picture.height;
}

} // namespace

int CompareDepth(const SceneObject& a, const SceneObject& b)
{
    return int(b.viewDepth) - int(a.viewDepth);
}

int ProjectSprites()
{
    const int32_t ds = Projection.ProjDs;
    const int32_t xmin = Projection.xmin, xmax = Projection.xmax;
    const int32_t zmin = Projection.zmin, zmax = Projection.zmax;

    for (SceneObject& o : SceneObjectTable) {
        if (o.flags & ObjectHidden)
            continue;

        const int16_t ex = Wrap16(int64_t(o.x) - ViewPoint.x);
        const int16_t ey = Wrap16(int64_t(o.y) - ViewPoint.y);
        o.viewZ = Wrap16(int64_t(o.z) - ViewPoint.height);
        o.viewX = int16_t((int32_t(ex) * ViewTrig.cosNeg - int32_t(ey) * ViewTrig.sinNeg) >> 12);
        o.viewDepth = int16_t((int32_t(ex) * ViewTrig.sinNeg + int32_t(ey) * ViewTrig.cosNeg) >> 12);

        // Too close (or behind the eye): projected sizes would explode.
        const int32_t d = o.viewDepth;
        if (d <= ds / 10)
            continue;

        const int32_t left = int32_t(o.viewX) - (o.width >> 1);
        const int32_t right = left + o.width - 1;
        const int32_t bottom = int32_t(o.viewZ) - (o.height >> 1);
        const int32_t top = bottom + o.height - 1;
        const int32_t x0 = left * ds / d, x1 = right * ds / d;
        const int32_t z0 = bottom * ds / d, z1 = top * ds / d;
        if (x0 >= xmax || x1 <= xmin || z0 >= zmax || z1 <= zmin)
            continue;

        // A slot without a picture still clips with whatever size its record holds; the
        // drawing pass refuses it.
        const Bitmap* picture = SpritePicture(o.bitmap);
        const int32_t w = picture ? picture->width : 0;
        const int32_t h = picture ? picture->height : 0;

        ClipExtent(x0, x1, xmin, xmax, w, &o.screenLeft, &o.screenRight, &o.texLeft, &o.texRight);
        if (o.screenRight - o.screenLeft < 2)
            continue;
        ClipExtent(z0, z1, zmin, zmax, h, &o.screenBottom, &o.screenTop, &o.texBottom, &o.texTop);
        if (o.screenTop - o.screenBottom >= 2)
            o.flags = int16_t(o.flags | ObjectVisible);
    }

    // CompareDepth is an exact difference of two 16-bit values, so "CompareDepth < 0" is a
    // strict weak ordering: greater depth first, equal depths in no promised order. Hidden
    // records take part with the depth they had when last projected.
    std::sort(SceneObjectTable, SceneObjectTable + SceneObjectCount,
        [](const SceneObject& a, const SceneObject& b) { return CompareDepth(a, b) < 0; });
    return 1;
}

void ScaleRun(const uint8_t* src, uint8_t* dest, uint16_t nIn, uint16_t nOut)
{
    if (nOut == 0) {
        dest[0] = src[0];
        return;
    }
    const uint32_t q = nIn / nOut;
    const int32_t twiceRem = 2 * int32_t(nIn % nOut);
    const int32_t twiceOut = 2 * int32_t(nOut);
    // Starting at -nOut instead of 0 turns truncation into rounding half up.
    int32_t e = -int32_t(nOut);
    uint32_t p = 0;
    for (uint32_t k = 0; k <= nOut; ++k) {
        dest[k] = src[p];
        e += twiceRem;
        if (e >= 0) {
            p += q + 1;
            e -= twiceOut;
        } else {
            p += q;
        }
    }
}

void DrawSpriteRow(uint8_t* dest, uint16_t span, const uint8_t* row, uint16_t tx0, uint16_t tx1)
{
    const uint16_t t = uint16_t(tx1 - tx0);
    for (;;) {
        const uint16_t f = ReadU16(row);
        const uint16_t l = ReadU16(row + 2);
        if (l < f || f > tx1)
            return;
        const uint8_t* texels = row + 4;
        row = texels + (uint32_t(l - f) + 1);
        if (l < tx0)
            continue;

        if (t == 0) {
            std::memset(dest, texels[tx0 - f], size_t(span) + 1);
            return;
        }

        // Start and length both come from the run's own columns, so a run costs at most two
        // divisions. A run lying wholly inside the range may therefore end one pixel short of
        // where column l maps; where reduction makes two runs meet on a pixel, the later wins.
        const uint8_t* src;
        uint16_t o, nIn, nOut;
        if (f > tx0) {
            src = texels;
            o = uint16_t(uint32_t(f - tx0) * span / t);
            if (l < tx1) {
                nIn = uint16_t(l - f);
                nOut = uint16_t(uint32_t(l - f) * span / t);
            } else {
                nIn = uint16_t(tx1 - f);
                nOut = uint16_t(span - o);
            }
        } else {
            src = texels + (tx0 - f);
            o = 0;
            if (l < tx1) {
                nIn = uint16_t(l - tx0);
                nOut = uint16_t(uint32_t(l - tx0) * span / t);
            } else {
                nIn = t;
                nOut = span;
            }
        }
        ScaleRun(src, dest + o, nIn, nOut);
    }
}

int DrawSprites(const FrameTarget& target)
{
    for (const SceneObject& o : SceneObjectTable) {
        if (!(o.flags & ObjectVisible))
            continue;
        const Bitmap* picture = SpritePicture(o.bitmap);
        if (!picture || !picture->pixels || picture->width == 0 || picture->height == 0)
            continue;
        if (!SpriteFits(o, *picture))
            continue;

        const uint8_t* data = picture->pixels;
        const uint16_t span = uint16_t(o.screenRight - o.screenLeft);
        const uint16_t rows = uint16_t(o.screenTop - o.screenBottom);
        const uint16_t texTop = uint16_t(o.texTop);
        const uint16_t range = uint16_t(texTop - uint16_t(o.texBottom));
        const uint16_t base = uint16_t(picture->height - 1 - texTop);
        uint8_t* dest = target.pixels + ptrdiff_t(target.pitch) * (Projection.zmax - o.screenTop)
            + (o.screenLeft - Projection.xmin);

        // r stays in base..base + range, that is H - 1 - texTop..H - 1 - texBottom: the quotient
        // reaches range only at i = rows, where the remainder is 0 and no rounding step is added.
        for (uint32_t i = 0; i <= rows; ++i) {
            const uint32_t product = i * range;
            uint32_t r = base + product / rows;
            if (2 * (product % rows) >= rows)
                ++r;
            DrawSpriteRow(
                dest, span, data + ReadU32(data + 4 * r), uint16_t(o.texLeft), uint16_t(o.texRight));
            dest += target.pitch;
        }
    }
    return 0;
}
