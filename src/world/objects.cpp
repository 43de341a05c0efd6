// The scene object table, its per-frame step and the viewer's collision with the footprints.
#include "world/objects.h"

namespace {

constexpr SceneObject MakeObject(
    int16_t x, int16_t y, int16_t z, int16_t width, int16_t height, int16_t bitmap)
{
    SceneObject object {};
    object.x = x;
    object.y = y;
    object.z = z;
    object.width = width;
    object.height = height;
    object.bitmap = bitmap;
    return object;
}

// Record 0 is the target (bitmap 31); the others stand still for the whole run.
constexpr SceneObject StartTable[SceneObjectCount] = {
    MakeObject(0, 400, 160, 64, 64, 31),
    MakeObject(200, 600, 32, 64, 64, 3),
    MakeObject(800, 800, 32, 64, 64, 4),
    MakeObject(200, 200, 32, 64, 64, 2),
    MakeObject(400, 400, 32, 64, 64, 1),
};

struct Footprint {
    int16_t left, right, bottom, top; // inclusive
};

Footprint FootprintOf(const SceneObject& object)
{
    const int16_t side = object.width;
    Footprint f;
    f.left = Wrap16(object.x - (side >> 1));
    f.right = Wrap16(f.left + side - 1);
    f.bottom = Wrap16(object.y - (side >> 1));
    f.top = Wrap16(f.bottom + side - 1);
    return f;
}

constexpr uint16_t OutLeft = 1, OutRight = 2, OutLow = 4, OutHigh = 8;

uint16_t Outcode(const Footprint& f, int32_t px, int32_t py)
{
    uint16_t code = 0;
    if (px < f.left)
        code |= OutLeft;
    else if (px > f.right)
        code |= OutRight;
    if (py < f.bottom)
        code |= OutLow;
    else if (py > f.top)
        code |= OutHigh;
    return code;
}

uint32_t SquaredLength(int16_t a, int16_t b)
{
    // Unsigned: two squares of -32768 would overflow a signed 32-bit sum.
    return uint32_t(int32_t(a) * a) + uint32_t(int32_t(b) * b);
}

} // namespace

SceneObject SceneObjectTable[SceneObjectCount] = {
    StartTable[0],
    StartTable[1],
    StartTable[2],
    StartTable[3],
    StartTable[4],
};

void ResetSceneObjects()
{
    for (int i = 0; i < SceneObjectCount; ++i)
        SceneObjectTable[i] = StartTable[i];
}

void StepObjects()
{
    for (SceneObject& object : SceneObjectTable) {
        object.flags = int16_t(object.flags & ObjectHidden);
        if (object.flags & ObjectHidden)
            continue;
        object.x = Wrap16(object.x + object.dx);
        object.y = Wrap16(object.y + object.dy);
        object.z = Wrap16(object.z + object.dz);
    }
}

Collision CollideWithObjects(int32_t sx, int32_t sy, int32_t nx, int32_t ny)
{
    const int16_t ddx = Wrap16(int64_t(nx) - sx);
    const int16_t ddy = Wrap16(int64_t(ny) - sy);
    if (ddx == 0 && ddy == 0)
        return { -1, nx, ny };

    uint32_t best = SquaredLength(ddx, ddy);
    int16_t resultX = Wrap16(nx), resultY = Wrap16(ny);
    int16_t hit = -1;

    for (int16_t i = 0; i < SceneObjectCount; ++i) {
        const SceneObject& object = SceneObjectTable[i];
        if (object.flags & ObjectHidden)
            continue;
        const Footprint f = FootprintOf(object);
        const uint16_t codeN = Outcode(f, nx, ny);
        const uint16_t codeS = Outcode(f, sx, sy);
        if (codeN & codeS)
            continue;
        const uint16_t sides = codeN | codeS;

        for (uint16_t bit = OutLeft; bit <= OutHigh; bit <<= 1) {
            if (!(sides & bit))
                continue;
            const bool vertical = bit == OutLeft || bit == OutRight;
            int16_t line; // the contact line, one unit outside the square
            if (bit == OutLeft)
                line = Wrap16(f.left - 1);
            else if (bit == OutRight)
                line = Wrap16(f.right + 1);
            else if (bit == OutLow)
                line = Wrap16(f.bottom - 1);
            else
                line = Wrap16(f.top + 1);
            const int16_t n = Wrap16(line - int64_t(vertical ? sx : sy));
            if (n == 0) {
                // Already on the line and crossing it: hold the viewer where it stood, whatever
                // nearer contact an earlier record offered.
                return { i, Wrap16(sx), Wrap16(sy) };
            }
            const int16_t along = vertical ? ddx : ddy;
            const int16_t across = vertical ? ddy : ddx;
            // Only a 16-bit wrap of the move (ends 65536 apart) could make this 0.
            if (along == 0)
                continue;
            const int16_t v = Wrap16(int32_t(n) * across / along);
            int16_t contactX, contactY;
            int32_t low, high, offsetOnLine;
            if (vertical) {
                contactX = line;
                contactY = Wrap16(int64_t(sy) + v);
                offsetOnLine = contactY;
                low = f.bottom - 1;
                high = f.top + 1;
            } else {
                contactX = Wrap16(int64_t(sx) + v);
                contactY = line;
                offsetOnLine = contactX;
                low = f.left - 1;
                high = f.right + 1;
            }
            if (offsetOnLine < low || offsetOnLine > high)
                continue;
            const uint32_t distance = SquaredLength(n, v);
            if (distance < best) {
                best = distance;
                resultX = contactX;
                resultY = contactY;
                hit = i;
            }
        }
    }

    if (hit == -1)
        return { -1, nx, ny };
    return { hit, resultX, resultY };
}
