// The textured floor square: corner transform, clipping and projection into row spans, span filling.
#include "render/floor.h"

#include <cstddef>

#include "render/bitmap.h"
#include "world/viewpoint.h"

FloorCorner FloorCorners[4] = {
    { 0, 0, 0, 0 },
    { 1023, 0, 0, 0 },
    { 1023, 1023, 0, 0 },
    { 0, 1023, 0, 0 },
};

namespace {

// A convex quadrilateral cut by three lines has at most seven vertices, but the rounded
// projection can bend an edge across a clip line; sized so that every clip may double its
// input (4 corners, then 8, 16, 32) and no rounding can overrun them.
constexpr int MaxVertices = 32;

struct ViewVertex {
    int16_t x, depth;
};

struct ScreenVertex {
    int32_t x, z;
};

// Clips against the vertical line X = bound, keeping the side that keepLeft names. A vertex
// on the line is kept and never makes a crossing.
int ClipAgainstColumn(const ScreenVertex* in, int n, ScreenVertex* out, int32_t bound, bool keepLeft)
{
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const ScreenVertex& p = in[i == 0 ? n - 1 : i - 1];
        const ScreenVertex& c = in[i];
        if ((p.x < bound && c.x > bound) || (p.x > bound && c.x < bound)) {
            // The product stays below 2^31 for every viewpoint the world bounds allow; 64
            // bits only make that independent of the bound.
            const int64_t t = int64_t(c.z - p.z) * (bound - p.x);
            out[count++] = { bound, p.z + int32_t(t / (c.x - p.x)) };
        }
        if (keepLeft ? c.x <= bound : c.x >= bound)
            out[count++] = c;
    }
    return count;
}

// x of segment (p0, p1) at row z, p0.z > z >= p1.z: 16-bit differences, 32-bit product.
int16_t EdgeX(const ScreenVertex& p0, const ScreenVertex& p1, int32_t z)
{
    const int16_t dz = int16_t(z - p0.z);
    const int16_t dx = int16_t(p1.x - p0.x);
    const int16_t dzSeg = int16_t(p1.z - p0.z);
    return int16_t(p0.x + int32_t(dz) * dx / dzSeg);
}

// Texel of the packed accumulator: row from V's integer bits, column from U's.
inline uint8_t Texel(const uint8_t* texture, uint64_t a)
{
    return texture[((a >> 36) & 0xFF00) | ((a >> 12) & 0xFF)];
}

// Writes count texels of a row. U and V carry 12 fraction bits above which only 8 integer
// bits count (the exact 8.12 accumulators), so both ride in one 64-bit register and one
// addition steps them: V in the high half, wrapping there, and U's low 20 bits in the low
// half. U's carries out of bit 19 pile up in bits 20..31, at most one a pixel, so a span of
// up to 4095 pixels never lets them reach V; they are masked off at every fetch.
inline void FillSpan(
    uint8_t* dest, int32_t count, const uint8_t* texture, uint32_t u, uint32_t v, uint32_t du, uint32_t dv)
{
    uint64_t a = (uint64_t(v) << 32) | (u & 0xFFFFFu);
    const uint64_t step = (uint64_t(dv) << 32) | (du & 0xFFFFFu);
    int32_t k = 0;
    // Four independent fetches a round keep the loads in flight together.
    for (; k + 4 <= count; k += 4) {
        const uint64_t a1 = a + step, a2 = a1 + step, a3 = a2 + step;
        dest[k] = Texel(texture, a);
        dest[k + 1] = Texel(texture, a1);
        dest[k + 2] = Texel(texture, a2);
        dest[k + 3] = Texel(texture, a3);
        a = a3 + step;
    }
    for (; k < count; ++k) {
        dest[k] = Texel(texture, a);
        a += step;
    }
}

// The span set-up with the per-frame products P = h16 * sinA and Q = h16 * cosA given.
inline void DrawSpan(uint8_t* row, const uint8_t* texture, int32_t rowsBelow, int32_t x0, int32_t x1,
    int32_t viewerX, int32_t viewerY, int32_t p, int32_t q)
{
    const int64_t d = Projection.ProjDs;
    const int32_t uStart = int32_t((int64_t(x0) * q - d * p) / rowsBelow);
    const int32_t vStart = int32_t((int64_t(x0) * p + d * q) / rowsBelow);
    const int32_t du = q / rowsBelow;
    const int32_t dv = p / rowsBelow;
    const uint32_t u = uint32_t(uStart) + uint32_t(viewerX) * 4096u;
    const uint32_t v = uint32_t(vStart) + uint32_t(viewerY) * 4096u;
    FillSpan(row + (x0 - Projection.xmin), x1 - x0 + 1, texture, u, v, uint32_t(du), uint32_t(dv));
}

} // namespace

void TransformFloorCorners()
{
    const int16_t viewerX = int16_t(ViewPoint.x);
    const int16_t viewerY = int16_t(ViewPoint.y);
    for (FloorCorner& c : FloorCorners) {
        const int16_t dx = int16_t(c.x - viewerX);
        const int16_t dy = int16_t(c.y - viewerY);
        c.viewX = int16_t((int32_t(dx) * ViewTrig.cosNeg - int32_t(dy) * ViewTrig.sinNeg) >> 12);
        c.viewDepth = int16_t((int32_t(dx) * ViewTrig.sinNeg + int32_t(dy) * ViewTrig.cosNeg) >> 12);
    }
}

// Eye heights above 1023 only come from the configuration's start value. Up to 32767 the
// floor is drawn by the same rules, the near depth f worked out in 32 bits. When f does not
// fit its 16 bits the near line lies beyond every corner the world bounds allow, so no
// floor is drawn (a wrapped f could be 0 and divide by zero). Above 32767 the span's 16-bit
// height would wrap and mirror the texture, so no floor is drawn either.
//
// The top row, where both chains start at the top vertex: it covers the whole flat top
// edge, from the leftmost to the rightmost vertex on that row, so that a far edge seen
// square-on is not missing its first row. A pointed top gives the single pixel at its X.
int32_t BuildFloorSpans(FloorSpan* spans)
{
    const int32_t h = ViewPoint.height;
    const int32_t ds = Projection.ProjDs;
    const int32_t zmin = Projection.zmin;
    if (h < MinFloorEyeHeight || h > INT16_MAX || zmin >= 0 || ds <= 0)
        return 0;
    const int32_t near32 = -(h * ds / zmin);
    if (near32 < 1 || near32 > INT16_MAX)
        return 0;
    const int16_t f = int16_t(near32);

    // Near line: keep viewDepth >= f.
    ViewVertex nearClipped[MaxVertices];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
        const FloorCorner& p = FloorCorners[i == 0 ? 3 : i - 1];
        const FloorCorner& c = FloorCorners[i];
        if ((p.viewDepth > f && c.viewDepth < f) || (p.viewDepth < f && c.viewDepth > f)) {
            const int16_t dx = int16_t(c.viewX - p.viewX);
            const int16_t dn = int16_t(f - p.viewDepth);
            const int16_t dd = int16_t(c.viewDepth - p.viewDepth);
            nearClipped[n++] = { int16_t(p.viewX + int32_t(dx) * dn / dd), f };
        }
        if (c.viewDepth >= f)
            nearClipped[n++] = { c.viewX, c.viewDepth };
    }
    if (n < 3)
        return 0;

    // Projection; a vertex on the near line lands exactly on the bottom row.
    ScreenVertex projected[MaxVertices];
    for (int i = 0; i < n; ++i) {
        const ViewVertex& v = nearClipped[i];
        projected[i].x = int32_t(v.x) * ds / v.depth;
        projected[i].z = v.depth == f ? zmin : -(h * ds / v.depth);
    }

    ScreenVertex leftClipped[MaxVertices];
    n = ClipAgainstColumn(projected, n, leftClipped, Projection.xmin, false);
    if (n < 3)
        return 0;
    ScreenVertex clipped[MaxVertices];
    n = ClipAgainstColumn(leftClipped, n, clipped, Projection.xmax, true);
    if (n < 3)
        return 0;

    // Repeats: the last vertex is not compared with the first.
    ScreenVertex poly[MaxVertices];
    int count = 1;
    poly[0] = clipped[0];
    for (int i = 1; i < n; ++i)
        if (clipped[i].x != poly[count - 1].x || clipped[i].z != poly[count - 1].z)
            poly[count++] = clipped[i];
    if (count < 3)
        return 0;

    int top = 0, bottom = 0;
    for (int i = 1; i < count; ++i) {
        if (poly[i].z < poly[bottom].z)
            bottom = i;
        else if (poly[i].z > poly[top].z)
            top = i;
    }

    // Both chains run from the top vertex to the bottom one, with 16-bit coordinates.
    ScreenVertex left[MaxVertices], right[MaxVertices];
    int nLeft = 0, nRight = 0;
    for (int i = top;; i = (i + 1) % count) {
        left[nLeft++] = { int16_t(poly[i].x), int16_t(poly[i].z) };
        if (i == bottom)
            break;
    }
    for (int i = top;; i = (i + count - 1) % count) {
        right[nRight++] = { int16_t(poly[i].x), int16_t(poly[i].z) };
        if (i == bottom)
            break;
    }

    const int32_t topZ = left[0].z;
    const int32_t bottomZ = left[nLeft - 1].z;
    if (topZ - bottomZ + 1 < 3)
        return 0;

    int32_t topX0 = left[0].x, topX1 = left[0].x;
    for (int i = 0; i < count; ++i) {
        if (int16_t(poly[i].z) != topZ)
            continue;
        const int32_t x = int16_t(poly[i].x);
        topX0 = x < topX0 ? x : topX0;
        topX1 = x > topX1 ? x : topX1;
    }

    const int32_t nearest = h * ds;
    int32_t spanCount = 0;
    int li = 0, ri = 0;
    for (int32_t z = topZ; z >= bottomZ; --z) {
        // Below the top row each chain's segment (i, i + 1) then has z(i) > z >= z(i + 1).
        while (li + 1 < nLeft && left[li + 1].z > z)
            ++li;
        while (ri + 1 < nRight && right[ri + 1].z > z)
            ++ri;
        if (z >= 0 || nearest > FarDepth * -z)
            continue;
        int32_t xa, xb;
        if (z == topZ) {
            xa = topX0;
            xb = topX1;
        } else {
            xa = EdgeX(left[li], left[li + 1], z);
            xb = EdgeX(right[ri], right[ri + 1], z);
            if (xa > xb) {
                const int32_t swap = xa;
                xa = xb;
                xb = swap;
            }
        }
        if (spanCount == MaxFloorSpans)
            break;
        spans[spanCount++] = { int16_t(z), int16_t(xa), int16_t(xb) };
    }
    return spanCount;
}

void DrawFloor(const FrameTarget& target)
{
    const Bitmap& texture = BitmapSlots[FloorTextureSlot];
    if (!texture.pixels || texture.size < FloorTextureBytes)
        return;
    static FloorSpan spans[MaxFloorSpans];
    const int32_t n = BuildFloorSpans(spans);
    if (n == 0)
        return;
    const int16_t h16 = int16_t(ViewPoint.height);
    const int32_t p = int32_t(h16) * ViewTrig.sinA;
    const int32_t q = int32_t(h16) * ViewTrig.cosA;
    const int32_t zmax = Projection.zmax;
    for (int32_t i = 0; i < n; ++i) {
        const FloorSpan& s = spans[i];
        uint8_t* row = target.pixels + std::ptrdiff_t(zmax - s.z) * target.pitch;
        DrawSpan(row, texture.pixels, -s.z, s.x0, s.x1, ViewPoint.x, ViewPoint.y, p, q);
    }
}

void DrawFloorSpan(uint8_t* row, const uint8_t* texture, int32_t rowsBelow, int32_t x0, int32_t x1,
    int32_t viewerX, int32_t viewerY)
{
    const int16_t h16 = int16_t(ViewPoint.height);
    DrawSpan(row, texture, rowsBelow, x0, x1, viewerX, viewerY, int32_t(h16) * ViewTrig.sinA,
        int32_t(h16) * ViewTrig.cosA);
}
