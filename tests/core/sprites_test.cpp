// Tests of the sprite renderer: projection, culls, clipping, depth sort, row drawing and run scaling.
#include "render/sprites.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "render/bitmap.h"
#include "render/trig.h"
#include "world/objects.h"
#include "world/viewpoint.h"

namespace {

constexpr uint8_t Guard = 0xEE; // never a sprite colour in these tests
constexpr int16_t Untouched = 0x5A5; // sentinel for fields a pass must not write
constexpr int Clear = -1; // a transparent texel in a picture grid

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

// Run-length sprite payload of a w x h grid (row 0 on top); Clear texels are left out of the runs.
std::vector<uint8_t> EncodeSprite(uint16_t w, uint16_t h, const std::vector<int>& grid)
{
    std::vector<uint8_t> out(size_t(h) * 4);
    for (uint32_t r = 0; r < h; ++r) {
        const uint32_t offset = uint32_t(out.size());
        std::memcpy(&out[r * 4], &offset, 4); // both build hosts are little-endian
        uint32_t c = 0;
        while (c < w) {
            if (grid[r * w + c] == Clear) {
                ++c;
                continue;
            }
            uint32_t last = c;
            while (last + 1 < w && grid[r * w + last + 1] != Clear)
                ++last;
            PutU16(out, uint16_t(c));
            PutU16(out, uint16_t(last));
            for (uint32_t i = c; i <= last; ++i)
                out.push_back(uint8_t(grid[r * w + i]));
            c = last + 1;
        }
        PutU16(out, 1);
        PutU16(out, 0);
    }
    return out;
}

// One picture row: runs [first, last] whose texel at column c has colour 10 + c.
struct RunSpan {
    uint16_t first, last;
};
std::vector<uint8_t> RowBytes(const std::vector<RunSpan>& runs, uint16_t endFirst = 1, uint16_t endLast = 0)
{
    std::vector<uint8_t> out;
    for (const RunSpan& run : runs) {
        PutU16(out, run.first);
        PutU16(out, run.last);
        for (uint32_t c = run.first; c <= run.last; ++c)
            out.push_back(uint8_t(10 + c));
    }
    PutU16(out, endFirst);
    PutU16(out, endLast);
    return out;
}

// A viewport with Guard bytes on every side.
struct GuardedFrame {
    static constexpr int32_t Pad = 8;
    std::vector<uint8_t> bytes;
    FrameTarget target;

    GuardedFrame()
    {
        const int32_t pitch = Projection.ProjXs + 2 * Pad;
        bytes.assign(size_t(pitch) * (Projection.ProjZs + 2 * Pad), Guard);
        target.pitch = pitch;
        target.pixels = bytes.data() + Pad * pitch + Pad;
        for (int32_t row = 0; row < Projection.ProjZs; ++row)
            std::memset(target.pixels + row * pitch, 0, size_t(Projection.ProjXs));
    }
    uint8_t At(int32_t x, int32_t z) const { return *FramePixel(target, x, z); }
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const int32_t row = int32_t(i / target.pitch) - Pad, col = int32_t(i % target.pitch) - Pad;
            const bool inside = row >= 0 && row < Projection.ProjZs && col >= 0 && col < Projection.ProjXs;
            if (!inside && bytes[i] != Guard)
                return false;
        }
        return true;
    }
    bool AllClear() const
    {
        for (int32_t z = Projection.zmin; z <= Projection.zmax; ++z)
            for (int32_t x = Projection.xmin; x <= Projection.xmax; ++x)
                if (At(x, z) != 0)
                    return false;
        return true;
    }
};

// Saves and restores every process-wide record the renderer reads, and starts each test with
// ProjDs 100 on a 320 x 240 viewport seen from the origin at angle 0, so that an object at
// (x, y, z) has viewX = x, viewDepth = y, viewZ = z, and at depth 100 screen = view space.
class SpriteTest : public ::testing::Test {
protected:
    Bitmap savedSlots[BitmapSlotCount];
    ProjectionValues savedProjection;
    ViewPointRecord savedViewPoint;
    ViewTrigValues savedTrig;
    SceneObject savedTable[SceneObjectCount];
    std::vector<std::vector<uint8_t>> payloads;

    void SetUp() override
    {
        std::memcpy(savedSlots, BitmapSlots, sizeof savedSlots);
        std::memcpy(savedTable, SceneObjectTable, sizeof savedTable);
        savedProjection = Projection;
        savedViewPoint = ViewPoint;
        savedTrig = ViewTrig;
        Reset();
    }
    void TearDown() override
    {
        std::memcpy(BitmapSlots, savedSlots, sizeof savedSlots);
        std::memcpy(SceneObjectTable, savedTable, sizeof savedTable);
        Projection = savedProjection;
        ViewPoint = savedViewPoint;
        ViewTrig = savedTrig;
    }

    // The start of every case: start table with every record hidden, empty slots, the
    // standard viewport and viewer.
    void Reset()
    {
        payloads.clear();
        ResetSceneObjects();
        for (SceneObject& o : SceneObjectTable)
            o.flags = ObjectHidden;
        for (Bitmap& b : BitmapSlots)
            b = Bitmap {};
        SetViewport(100, 320, 240);
        ViewPoint = ViewPointRecord {};
        ComputeViewTrig();
    }

    static void SetViewport(int32_t ds, int32_t xs, int32_t zs)
    {
        Projection.ProjDs = ds;
        Projection.ProjXs = xs;
        Projection.ProjZs = zs;
        SetProjectionBounds();
    }

    // Record `index`, tagged by dz = index + 1 so it can be found after the sort.
    static SceneObject& Place(int index, int16_t x, int16_t y, int16_t z, int16_t w, int16_t h, int16_t slot)
    {
        SceneObject& o = SceneObjectTable[index];
        o = SceneObject {};
        o.x = x;
        o.y = y;
        o.z = z;
        o.width = w;
        o.height = h;
        o.bitmap = slot;
        o.dz = int16_t(index + 1);
        o.screenLeft = o.screenRight = o.screenBottom = o.screenTop = Untouched;
        o.texLeft = o.texRight = o.texBottom = o.texTop = Untouched;
        return o;
    }
    static const SceneObject& Tagged(int index)
    {
        for (const SceneObject& o : SceneObjectTable)
            if (o.dz == index + 1)
                return o;
        ADD_FAILURE() << "record " << index << " lost";
        return SceneObjectTable[0];
    }

    void Install(int slot, uint16_t w, uint16_t h, const std::vector<int>& grid)
    {
        payloads.push_back(EncodeSprite(w, h, grid));
        BitmapSlots[slot]
            = Bitmap { payloads.back().data(), w, h, 0, 0, uint32_t(payloads.back().size()), 0 };
    }
    // Every texel of a w x h picture opaque with colour colourOf(column, row).
    template <typename F> void InstallFilled(int slot, uint16_t w, uint16_t h, F colourOf)
    {
        std::vector<int> grid(size_t(w) * h);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t c = 0; c < w; ++c)
                grid[r * w + c] = colourOf(c, r);
        Install(slot, w, h, grid);
    }
};

bool Visible(const SceneObject& o)
{
    return (o.flags & ObjectVisible) != 0;
}

// --- ProjectSprites -------------------------------------------------------------------------------

TEST_F(SpriteTest, SpriteProjectViewTransform)
{
    struct Case {
        int32_t vpX, vpY, vpHeight, angle;
        int16_t x, y, z;
        int16_t viewX, viewDepth, viewZ;
    } cases[] = {
        { 0, 0, 0, 0, 10, 200, 30, 10, 200, 30 },
        { 0, 0, 0, 256, -300, 40, 0, 40, 300, 0 },
        { 0, 0, 0, 128, 100, 100, 0, 141, 0, 0 },
        { 0, 0, 0, 128, 1, 0, 0, 0, -1, 0 }, // the shift rounds toward minus infinity
        { 0, 0, 0, 128, 30000, -30000, 0, 0, 23114, 0 }, // -42422 kept as 16 bits
        { 0, 0, 0, 128, 30000, 30000, 0, -23115, 0, 0 }, // 42421 kept as 16 bits
        { 0, 0, 0, 128, -1, 0, 0, -1, 0, 0 }, // and so does the lateral one
        { 1, 0, 100, 0, -32768, 50, -32700, 32767, 50, 32736 }, // 16-bit differences wrap
        { 1, 0, 0, 128, -32768, 0, 0, 23167, -23168, 0 }, // before the rotation
        { 500, 300, 128, 0, 540, 700, 160, 40, 400, 32 },
    };
    for (const Case& c : cases) {
        Reset();
        ViewPoint.x = c.vpX;
        ViewPoint.y = c.vpY;
        ViewPoint.height = c.vpHeight;
        ViewPoint.angle = c.angle;
        ComputeViewTrig();
        Place(0, c.x, c.y, c.z, 8, 8, 1);
        EXPECT_EQ(ProjectSprites(), 1);
        const SceneObject& o = Tagged(0);
        EXPECT_EQ(o.viewX, c.viewX) << "angle " << c.angle << " object " << c.x << "," << c.y;
        EXPECT_EQ(o.viewDepth, c.viewDepth) << "angle " << c.angle << " object " << c.x << "," << c.y;
        EXPECT_EQ(o.viewZ, c.viewZ) << "angle " << c.angle << " object " << c.x << "," << c.y;
    }
}

TEST_F(SpriteTest, SpriteProjectDepthCutAtOneTenthOfProjDs)
{
    struct Case {
        int32_t ds;
        int16_t depth;
        bool considered;
    } cases[] = {
        { 100, 10, false },
        { 100, 11, true },
        { 109, 10, false },
        { 109, 11, true },
        { 640, 64, false },
        { 640, 65, true },
        { 100, -50, false },
        { 100, 0, false },
    };
    for (const Case& c : cases) {
        Reset();
        SetViewport(c.ds, 320, 240);
        Place(0, 0, c.depth, 0, 4, 4, 1);
        ProjectSprites();
        const SceneObject& o = Tagged(0);
        EXPECT_EQ(o.viewDepth, c.depth);
        EXPECT_EQ(Visible(o), c.considered) << "ProjDs " << c.ds << " depth " << c.depth;
        EXPECT_EQ(o.screenLeft != Untouched, c.considered) << "ProjDs " << c.ds << " depth " << c.depth;
    }
}

// At depth 100 a 10 x 10 object spans view x - 5 .. x + 4 on screen, so each pair below puts an
// edge exactly on a clip bound (culled) and one pixel inside it (projected, though too thin).
TEST_F(SpriteTest, SpriteProjectFourCulls)
{
    struct Case {
        const char* name;
        int16_t x, z;
        bool culled;
    } cases[] = {
        { "x0 == xmax", 164, 0, true },
        { "x0 == xmax - 1", 163, 0, false },
        { "x1 == xmin", -164, 0, true },
        { "x1 == xmin + 1", -163, 0, false },
        { "z0 == zmax", 0, 124, true },
        { "z0 == zmax - 1", 0, 123, false },
        { "z1 == zmin", 0, -124, true },
        { "z1 == zmin + 1", 0, -123, false },
        { "far right", 2000, 0, true },
        { "far below", 0, -2000, true },
    };
    for (const Case& c : cases) {
        Reset();
        Place(0, c.x, 100, c.z, 10, 10, 1);
        ProjectSprites();
        const SceneObject& o = Tagged(0);
        EXPECT_FALSE(Visible(o)) << c.name;
        EXPECT_EQ(o.screenLeft == Untouched, c.culled) << c.name;
        EXPECT_EQ(o.texLeft == Untouched, c.culled) << c.name;
    }
}

TEST_F(SpriteTest, SpriteProjectClipTexelsOnAllEdges)
{
    struct Case {
        const char* name;
        int16_t x, z, depth, w, h;
        uint16_t pictureW, pictureH;
        int16_t left, right, bottom, top;
        int16_t texLeft, texRight, texBottom, texTop;
        bool visible;
    } cases[] = {
        { "left", -170, 0, 100, 64, 64, 33, 33, -160, -139, -32, 31, 21, 32, 0, 32, true },
        { "right", 170, 0, 100, 64, 64, 33, 33, 138, 159, -32, 31, 0, 10, 0, 32, true },
        { "bottom", 0, -140, 100, 64, 64, 33, 33, -32, 31, -120, -109, 0, 32, 26, 32, true },
        { "top", 0, 140, 100, 64, 64, 33, 33, -32, 31, 108, 119, 0, 32, 0, 5, true },
        { "bottom, only 2 rows", 0, -150, 100, 64, 64, 33, 33, -32, 31, -120, -119, 0, 32, 31, 32, false },
        { "all four", 0, 0, 100, 400, 300, 65, 49, -160, 159, -120, 119, 6, 57, 4, 43, true },
        { "left and bottom, far", -250, -190, 130, 200, 180, 50, 40, -160, -116, -120, -77, 34, 49, 26, 39,
            true },
        { "right and top, far", 250, 190, 130, 200, 180, 50, 40, 115, 159, 76, 119, 0, 14, 0, 12, true },
        { "truncation toward zero", -203, 0, 150, 64, 64, 33, 17, -156, -114, -21, 20, 0, 32, 0, 16, true },
        { "one-texel picture", -170, -140, 100, 64, 64, 1, 1, -160, -139, -120, -109, 0, 0, 0, 0, true },
        { "one-texel, all four", 0, 0, 100, 400, 300, 1, 1, -160, 159, -120, 119, 0, 0, 0, 0, true },
    };
    for (const Case& c : cases) {
        Reset();
        // Projection reads only the picture's size; pixels stay null.
        BitmapSlots[1].width = c.pictureW;
        BitmapSlots[1].height = c.pictureH;
        Place(0, c.x, c.depth, c.z, c.w, c.h, 1);
        ProjectSprites();
        const SceneObject& o = Tagged(0);
        EXPECT_EQ(o.screenLeft, c.left) << c.name;
        EXPECT_EQ(o.screenRight, c.right) << c.name;
        EXPECT_EQ(o.screenBottom, c.bottom) << c.name;
        EXPECT_EQ(o.screenTop, c.top) << c.name;
        EXPECT_EQ(o.texLeft, c.texLeft) << c.name;
        EXPECT_EQ(o.texRight, c.texRight) << c.name;
        EXPECT_EQ(o.texBottom, c.texBottom) << c.name;
        EXPECT_EQ(o.texTop, c.texTop) << c.name;
        EXPECT_EQ(Visible(o), c.visible) << c.name;
    }
}

TEST_F(SpriteTest, SpriteProjectThreePixelMinimum)
{
    struct Case {
        int16_t x, w, h;
        bool visible, verticalWritten;
    } cases[] = {
        { 0, 3, 3, true, true }, { 0, 2, 3, false, false }, // too narrow: the vertical clip is not reached
        { 0, 3, 2, false, true }, { 0, 3, 64, true, true },
        { -162, 10, 10, true, true }, // clipped on the left to xmin..xmin + 2
        { -163, 10, 10, false, false }, // clipped to xmin..xmin + 1
    };
    for (const Case& c : cases) {
        Reset();
        Place(0, c.x, 100, 0, c.w, c.h, 1);
        ProjectSprites();
        const SceneObject& o = Tagged(0);
        EXPECT_EQ(Visible(o), c.visible) << c.x << " " << c.w << "x" << c.h;
        EXPECT_EQ(o.screenBottom != Untouched, c.verticalWritten) << c.x << " " << c.w << "x" << c.h;
    }
}

// --- The depth sort -------------------------------------------------------------------------------

TEST_F(SpriteTest, SpriteSortCompareDepth)
{
    struct Case {
        int16_t a, b;
        int expected;
    } cases[] = {
        { 10, 20, 10 },
        { 20, 10, -10 },
        { 7, 7, 0 },
        { -32768, 32767, 65535 },
        { 32767, -32768, -65535 },
    };
    for (const Case& c : cases) {
        SceneObject a {}, b {};
        a.viewDepth = c.a;
        b.viewDepth = c.b;
        EXPECT_EQ(CompareDepth(a, b), c.expected) << c.a << " vs " << c.b;
    }
}

TEST_F(SpriteTest, SpriteSortFarthestFirstHiddenKeepOldDepth)
{
    Place(0, 0, 50, 0, 8, 8, 1);
    Place(1, 0, 300, 0, 8, 8, 1);
    Place(2, 0, 120, 0, 8, 8, 1);
    SceneObject& hiddenFar = Place(3, 0, 20, 0, 8, 8, 1); // near in the world, far by its old depth
    hiddenFar.flags = ObjectHidden;
    hiddenFar.viewDepth = 999;
    hiddenFar.viewX = 77;
    SceneObject& hiddenNear = Place(4, 0, 900, 0, 8, 8, 1);
    hiddenNear.flags = ObjectHidden;
    hiddenNear.viewDepth = -5;

    EXPECT_EQ(ProjectSprites(), 1);
    const int16_t expectedTags[] = { 4, 2, 3, 1, 5 };
    const int16_t expectedDepths[] = { 999, 300, 120, 50, -5 };
    for (int i = 0; i < SceneObjectCount; ++i) {
        EXPECT_EQ(SceneObjectTable[i].dz, expectedTags[i]) << "place " << i;
        EXPECT_EQ(SceneObjectTable[i].viewDepth, expectedDepths[i]) << "place " << i;
    }
    EXPECT_EQ(SceneObjectTable[0].viewX, 77);
    EXPECT_FALSE(Visible(SceneObjectTable[0]));
    EXPECT_EQ(SceneObjectTable[0].screenLeft, Untouched);
}

TEST_F(SpriteTest, SpriteSortEqualDepthsKeepBothRecords)
{
    for (int i = 0; i < SceneObjectCount; ++i)
        Place(i, int16_t(i * 10 - 20), int16_t(i % 2 ? 200 : 400), 0, 8, 8, 1);
    ProjectSprites();
    int seen = 0;
    for (int i = 0; i < SceneObjectCount; ++i) {
        seen |= 1 << (SceneObjectTable[i].dz - 1);
        EXPECT_EQ(SceneObjectTable[i].viewDepth, i < 3 ? 400 : 200) << "place " << i;
    }
    EXPECT_EQ(seen, 0x1F);
}

// --- DrawSprites ----------------------------------------------------------------------------------

TEST_F(SpriteTest, SpriteDrawUnscaledPictureTopRowFirst)
{
    std::vector<int> grid(25);
    for (int i = 0; i < 25; ++i)
        grid[i] = 1 + i;
    grid[1 * 5 + 3] = Clear;
    Install(2, 5, 5, grid);
    Place(0, 0, 100, 0, 5, 5, 2); // screen -2..2 both ways
    ProjectSprites();
    GuardedFrame frame;
    EXPECT_EQ(DrawSprites(frame.target), 0);

    for (int32_t z = -3; z <= 3; ++z)
        for (int32_t x = -3; x <= 3; ++x) {
            const bool inside = x >= -2 && x <= 2 && z >= -2 && z <= 2;
            const int expected = inside ? grid[(2 - z) * 5 + (x + 2)] : Clear;
            EXPECT_EQ(frame.At(x, z), expected == Clear ? 0 : expected) << "at " << x << "," << z;
        }
    EXPECT_TRUE(frame.GuardsIntact());
}

TEST_F(SpriteTest, SpriteDrawRowMappingRoundsHalfUp)
{
    struct Case {
        uint16_t pictureH;
        int16_t h;
        std::vector<int> rows; // picture row shown by each screen row, top first
    } cases[] = {
        { 3, 5, { 0, 1, 1, 2, 2 } },
        { 4, 7, { 0, 1, 1, 2, 2, 3, 3 } },
        { 7, 5, { 0, 2, 3, 5, 6 } },
        { 1, 4, { 0, 0, 0, 0 } },
        { 3, 3, { 0, 1, 2 } },
    };
    for (const Case& c : cases) {
        Reset();
        InstallFilled(2, 3, c.pictureH, [](uint32_t, uint32_t r) { return int(20 + r); });
        Place(0, 0, 100, 0, 3, c.h, 2);
        ProjectSprites();
        GuardedFrame frame;
        DrawSprites(frame.target);
        const SceneObject& o = Tagged(0);
        ASSERT_EQ(o.screenTop - o.screenBottom + 1, int(c.rows.size()));
        for (size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(frame.At(0, o.screenTop - int32_t(i)), 20 + c.rows[i])
                << "picture height " << c.pictureH << " screen row " << i;
        EXPECT_TRUE(frame.GuardsIntact());
    }
}

// The clipped edges show texLeft/texRight columns and picture rows H-1-texTop / H-1-texBottom.
TEST_F(SpriteTest, SpriteDrawClippedEdgesShowClippedTexels)
{
    InstallFilled(2, 65, 49, [](uint32_t c, uint32_t) { return int(1 + c); });
    InstallFilled(3, 65, 49, [](uint32_t, uint32_t r) { return int(1 + r); });
    for (int16_t slot : { int16_t(2), int16_t(3) }) {
        for (SceneObject& o : SceneObjectTable)
            o.flags = ObjectHidden;
        Place(0, 0, 100, 0, 400, 300, slot); // texLeft 6, texRight 57, texBottom 4, texTop 43
        ProjectSprites();
        GuardedFrame frame;
        DrawSprites(frame.target);
        if (slot == 2) {
            EXPECT_EQ(frame.At(Projection.xmin, 0), 1 + 6);
            EXPECT_EQ(frame.At(Projection.xmax, 0), 1 + 57);
        } else {
            EXPECT_EQ(frame.At(0, Projection.zmax), 1 + (48 - 43));
            EXPECT_EQ(frame.At(0, Projection.zmin), 1 + (48 - 4));
        }
        EXPECT_TRUE(frame.GuardsIntact());
    }
}

TEST_F(SpriteTest, SpriteDrawOneTexelPictureFillsRectangle)
{
    InstallFilled(2, 1, 1, [](uint32_t, uint32_t) { return 77; });
    Place(0, 0, 100, 0, 10, 10, 2); // -5..4 both ways
    ProjectSprites();
    GuardedFrame frame;
    DrawSprites(frame.target);
    for (int32_t z = -6; z <= 5; ++z)
        for (int32_t x = -6; x <= 5; ++x) {
            const bool inside = x >= -5 && x <= 4 && z >= -5 && z <= 4;
            EXPECT_EQ(frame.At(x, z), inside ? 77 : 0) << "at " << x << "," << z;
        }
}

// A record whose slot has no usable picture is projected and sorted like any other, but
// nothing is read or drawn for it; the records around it still draw.
TEST_F(SpriteTest, SpriteDrawRecordWithoutPictureDrawsNothing)
{
    const int16_t emptySlots[] = { 5, 6, 7, 40, -1, 32 };
    for (int16_t slot : emptySlots) {
        Reset();
        InstallFilled(2, 4, 4, [](uint32_t, uint32_t) { return 40; });
        BitmapSlots[5].width = BitmapSlots[5].height = 16; // a failed load keeps its header's size
        BitmapSlots[6] = BitmapSlots[2];
        BitmapSlots[6].width = 0;
        BitmapSlots[7] = BitmapSlots[2];
        BitmapSlots[7].height = 0;

        Place(0, 0, 300, 0, 60, 60, slot); // far, centred
        Place(1, 200, 200, 0, 20, 20, 2); // nearer, off to the right
        ProjectSprites();
        EXPECT_EQ(SceneObjectTable[0].dz, 1) << "slot " << slot;
        EXPECT_EQ(SceneObjectTable[0].viewDepth, 300) << "slot " << slot;
        EXPECT_NE(SceneObjectTable[0].screenLeft, Untouched) << "slot " << slot;

        GuardedFrame frame;
        DrawSprites(frame.target);
        EXPECT_EQ(frame.At(0, 0), 0) << "slot " << slot;
        EXPECT_EQ(frame.At(100, 0), 40) << "slot " << slot;
        EXPECT_TRUE(frame.GuardsIntact()) << "slot " << slot;
    }
}

// A record marked visible whose rectangle or texel ranges do not fit the viewport or its
// picture (stale or hand-made) is refused rather than drawn outside the frame.
TEST_F(SpriteTest, SpriteDrawRefusesRecordsThatDoNotFit)
{
    InstallFilled(2, 8, 8, [](uint32_t, uint32_t) { return 40; });
    struct Case {
        const char* name;
        int16_t left, right, bottom, top, texLeft, texRight, texBottom, texTop;
    } cases[] = {
        { "left of xmin", -161, 0, 0, 10, 0, 7, 0, 7 },
        { "right of xmax", 0, 160, 0, 10, 0, 7, 0, 7 },
        { "below zmin", 0, 10, -121, 10, 0, 7, 0, 7 },
        { "above zmax", 0, 10, 0, 120, 0, 7, 0, 7 },
        { "too narrow", 0, 1, 0, 10, 0, 7, 0, 7 },
        { "too low", 0, 10, 0, 1, 0, 7, 0, 7 },
        { "texRight past width", 0, 10, 0, 10, 0, 8, 0, 7 },
        { "texTop past height", 0, 10, 0, 10, 0, 7, 0, 8 },
        { "texLeft after texRight", 0, 10, 0, 10, 5, 4, 0, 7 },
        { "texBottom after texTop", 0, 10, 0, 10, 0, 7, 5, 4 },
        { "negative texel", 0, 10, 0, 10, -1, 7, 0, 7 },
    };
    for (const Case& c : cases) {
        SceneObject& o = Place(0, 0, 0, 0, 8, 8, 2);
        o.flags = ObjectVisible;
        o.screenLeft = c.left;
        o.screenRight = c.right;
        o.screenBottom = c.bottom;
        o.screenTop = c.top;
        o.texLeft = c.texLeft;
        o.texRight = c.texRight;
        o.texBottom = c.texBottom;
        o.texTop = c.texTop;
        GuardedFrame frame;
        DrawSprites(frame.target);
        EXPECT_TRUE(frame.AllClear()) << c.name;
        EXPECT_TRUE(frame.GuardsIntact()) << c.name;
    }
}

// Many random scenes: nothing is written outside the viewport, and inside it only within the
// rectangle of some visible record.
TEST_F(SpriteTest, SpriteDrawRandomPlacementsStayInsideViewport)
{
    std::mt19937 rng(20240611u);
    auto pick = [&rng](int32_t lo, int32_t hi) { return lo + int32_t(rng() % uint32_t(hi - lo + 1)); };

    for (int slot = 1; slot <= 8; ++slot) {
        const uint16_t w = uint16_t(slot <= 2 ? 1 : pick(1, 40));
        const uint16_t h = uint16_t(slot == 1 || slot == 3 ? 1 : pick(1, 40));
        std::vector<int> grid(size_t(w) * h);
        for (int& t : grid)
            t = pick(0, 2) == 0 ? Clear : pick(1, 200);
        Install(slot, w, h, grid);
    }
    BitmapSlots[9].width = BitmapSlots[9].height = 20; // no pixels

    int64_t drawnPixels = 0;
    int32_t visibleRecords = 0;
    for (int iteration = 0; iteration < 1500; ++iteration) {
        SetViewport(pick(64, 700), pick(128, 260), pick(128, 260));
        ViewPoint.x = pick(-200, 1200);
        ViewPoint.y = pick(-200, 1200);
        ViewPoint.height = pick(0, 400);
        ViewPoint.angle = pick(0, 1023);
        ComputeViewTrig();
        for (int i = 0; i < SceneObjectCount; ++i) {
            SceneObject& o
                = Place(i, int16_t(pick(0, 1023)), int16_t(pick(0, 1023)), int16_t(pick(-100, 500)),
                    int16_t(pick(-4, 500)), int16_t(pick(-4, 500)), int16_t(pick(-2, 12)));
            if (pick(0, 9) == 0) {
                o.flags = ObjectHidden;
                o.viewDepth = int16_t(pick(-500, 1500));
            }
        }
        ProjectSprites();
        GuardedFrame frame;
        DrawSprites(frame.target);
        ASSERT_TRUE(frame.GuardsIntact()) << "iteration " << iteration;

        for (int i = 0; i + 1 < SceneObjectCount; ++i)
            ASSERT_GE(SceneObjectTable[i].viewDepth, SceneObjectTable[i + 1].viewDepth);
        for (const SceneObject& o : SceneObjectTable)
            visibleRecords += Visible(o);
        for (int32_t z = Projection.zmin; z <= Projection.zmax; ++z)
            for (int32_t x = Projection.xmin; x <= Projection.xmax; ++x) {
                if (frame.At(x, z) == 0)
                    continue;
                ++drawnPixels;
                bool covered = false;
                for (const SceneObject& o : SceneObjectTable)
                    covered = covered
                        || (Visible(o) && x >= o.screenLeft && x <= o.screenRight && z >= o.screenBottom
                            && z <= o.screenTop);
                ASSERT_TRUE(covered) << "iteration " << iteration << " pixel " << x << "," << z;
            }
    }
    // The scenes must actually draw for the checks above to mean anything.
    EXPECT_GT(visibleRecords, 500);
    EXPECT_GT(drawnPixels, 100000);
}

// --- DrawSpriteRow --------------------------------------------------------------------------------

TEST(SpriteRow, Cases)
{
    constexpr int U = -1; // pixel left as it was
    struct Case {
        const char* name;
        std::vector<RunSpan> runs;
        uint16_t span, tx0, tx1;
        std::vector<int> expected; // span + 1 pixels
    } cases[] = {
        { "empty row", {}, 4, 0, 5, { U, U, U, U, U } },
        { "run covers range", { { 0, 9 } }, 6, 2, 5, { 12, 13, 13, 14, 14, 15, 15 } },
        { "run covers range exactly", { { 2, 5 } }, 3, 2, 5, { 12, 13, 14, 15 } },
        { "run starts before, ends inside", { { 0, 4 } }, 12, 2, 8,
            { 12, 13, 13, 14, 14, U, U, U, U, U, U, U, U } },
        { "run ends on tx0", { { 0, 2 } }, 6, 2, 5, { 12, U, U, U, U, U, U } },
        { "run starts inside, ends after", { { 4, 9 } }, 8, 2, 6, { U, U, U, U, 14, 15, 15, 16, 16 } },
        { "run starts on tx1", { { 5, 7 } }, 6, 2, 5, { U, U, U, U, U, U, 15 } },
        { "run inside, magnified", { { 3, 4 } }, 18, 0, 9,
            { U, U, U, U, U, U, 13, 14, 14, U, U, U, U, U, U, U, U, U, U } },
        // nOut = 1 * 5 / 3 = 1 from the run's length, so column 2 ends at pixel 2 although it
        // maps to pixel 2 * 5 / 3 = 3.
        { "run inside, length quirk", { { 1, 2 } }, 5, 0, 3, { U, 11, 12, U, U, U } },
        { "later run overwrites", { { 0, 1 }, { 2, 3 } }, 2, 0, 5, { 12, U, U } },
        { "runs left of range skipped", { { 0, 2 }, { 3, 8 } }, 2, 4, 6, { 14, 15, 16 } },
        { "walk stops right of range", { { 0, 3 }, { 6, 7 } }, 3, 0, 3, { 10, 11, 12, 13 } },
        { "two runs, gap between", { { 0, 1 }, { 4, 5 } }, 10, 0, 5,
            { 10, 11, 11, U, U, U, U, U, 14, 15, 15 } },
        { "single column", { { 2, 5 } }, 4, 3, 3, { 13, 13, 13, 13, 13 } },
        { "single column, second run", { { 0, 1 }, { 4, 6 } }, 3, 5, 5, { 15, 15, 15, 15 } },
        { "single column, one pixel", { { 4, 6 } }, 0, 6, 6, { 16 } },
        { "single column in a gap", { { 2, 3 }, { 5, 6 } }, 4, 4, 4, { U, U, U, U, U } },
        { "single column right of runs", { { 2, 5 } }, 4, 7, 7, { U, U, U, U, U } },
        { "single column left of runs", { { 2, 5 } }, 4, 0, 0, { U, U, U, U, U } },
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> row = RowBytes(c.runs);
        std::vector<uint8_t> dest(c.expected.size() + 8, Guard);
        DrawSpriteRow(dest.data(), c.span, row.data(), c.tx0, c.tx1);
        for (size_t i = 0; i < dest.size(); ++i) {
            const int expected = i < c.expected.size() && c.expected[i] != U ? c.expected[i] : Guard;
            EXPECT_EQ(dest[i], expected) << c.name << ", pixel " << i;
        }
    }
}

TEST(SpriteRow, AnyPairWithSecondBelowFirstEndsTheRow)
{
    const uint16_t ends[][2] = { { 1, 0 }, { 0xFFFF, 0xFFFE }, { 9, 3 } };
    for (const auto& end : ends) {
        std::vector<uint8_t> row = RowBytes({ { 0, 1 } }, end[0], end[1]);
        // Bytes after the terminator that would read as a run covering everything.
        for (uint8_t b : { 0, 0, 20, 0 })
            row.push_back(b);
        row.insert(row.end(), 21, 99);
        uint8_t dest[6];
        std::memset(dest, Guard, sizeof dest);
        DrawSpriteRow(dest, 4, row.data(), 0, 4);
        const uint8_t expected[6] = { 10, 11, Guard, Guard, Guard, Guard };
        EXPECT_EQ(std::memcmp(dest, expected, sizeof dest), 0) << end[0] << "," << end[1];
    }
}

// --- ScaleRun -------------------------------------------------------------------------------------

TEST(ScaleRun, MagnificationAndReduction)
{
    struct Case {
        uint16_t nIn, nOut;
        std::vector<int> texels;
    } cases[] = {
        { 0, 0, { 0 } },
        { 5, 0, { 0 } },
        { 0, 4, { 0, 0, 0, 0, 0 } },
        { 3, 3, { 0, 1, 2, 3 } },
        { 1, 2, { 0, 1, 1 } },
        { 2, 5, { 0, 0, 1, 1, 2, 2 } },
        { 5, 2, { 0, 3, 5 } },
        { 9, 3, { 0, 3, 6, 9 } },
        { 7, 4, { 0, 2, 4, 5, 7 } },
        { 1, 1, { 0, 1 } },
        { 6, 1, { 0, 6 } },
    };
    uint8_t src[16];
    for (int i = 0; i < 16; ++i)
        src[i] = uint8_t(100 + i);
    for (const Case& c : cases) {
        std::vector<uint8_t> dest(c.texels.size() + 4, Guard);
        ScaleRun(src, dest.data(), c.nIn, c.nOut);
        for (size_t k = 0; k < dest.size(); ++k)
            EXPECT_EQ(dest[k], k < c.texels.size() ? 100 + c.texels[k] : Guard)
                << c.nIn << " onto " << c.nOut << ", pixel " << k;
    }
}

TEST(ScaleRun, MatchesRoundedPositionForManyPairs)
{
    std::vector<uint8_t> src(65536);
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = uint8_t(i * 7 + (i >> 8));
    auto check = [&src](uint32_t nIn, uint32_t nOut) {
        std::vector<uint8_t> dest(nOut + 2, Guard);
        ScaleRun(src.data(), dest.data(), uint16_t(nIn), uint16_t(nOut));
        for (uint32_t k = 0; k <= nOut; ++k) {
            const uint32_t p = uint32_t((2 * uint64_t(k) * nIn + nOut) / (2 * uint64_t(nOut)));
            if (dest[k] != src[p]) {
                ADD_FAILURE() << nIn << " onto " << nOut << ": pixel " << k << " should show texel " << p;
                return;
            }
        }
        EXPECT_EQ(dest[nOut + 1], Guard) << nIn << " onto " << nOut;
    };
    for (uint32_t nIn = 0; nIn <= 130; ++nIn)
        for (uint32_t nOut = 1; nOut <= 130; ++nOut)
            check(nIn, nOut);
    const uint32_t large[][2]
        = { { 65534, 2047 }, { 65535, 1 }, { 3, 2047 }, { 2047, 2047 }, { 1000, 999 }, { 999, 1000 } };
    for (const auto& pair : large)
        check(pair[0], pair[1]);
}

} // namespace
