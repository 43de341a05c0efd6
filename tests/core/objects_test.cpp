// Scene object table, the per-frame object step and the viewer's collision with footprints.
#include <gtest/gtest.h>

#include <vector>

#include "sound/sound.h"
#include "world/objects.h"
#include "world/viewpoint.h"

namespace {

struct Placed {
    int16_t index, x, y, width, flags;
};

struct CollideCase {
    const char* name;
    std::vector<Placed> objects;
    int32_t sx, sy, nx, ny;
    int16_t hit;
    int32_t endX, endY;
};

// Parks every record far outside the floor so that only the placed ones take part.
void ClearTable()
{
    ResetSceneObjects();
    for (SceneObject& o : SceneObjectTable) {
        o.x = -20000;
        o.y = -20000;
    }
}

void Place(const Placed& p)
{
    SceneObject& o = SceneObjectTable[p.index];
    o.x = p.x;
    o.y = p.y;
    o.width = p.width;
    o.flags = p.flags;
}

void ResetWorld()
{
    ResetSceneObjects();
    ViewPoint = {};
    PlaceViewer(0, 0, 128, 0);
    ForwardAxis = {};
    TurnAxis = {};
    ClearEffectLog();
}

class ObjectsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWorld(); }
    void TearDown() override { ResetWorld(); }
};

class CollideTest : public ObjectsTest, public ::testing::WithParamInterface<CollideCase> { };

// Footprint of (500, 500) with side 64: 468..531 both ways, contact lines 467 and 532.
constexpr Placed Box0 = { 0, 500, 500, 64, 0 };

const CollideCase CollideCases[] = {
    { "StandingStillInside", { Box0 }, 500, 500, 500, 500, -1, 500, 500 },
    { "InsideToInside", { Box0 }, 480, 490, 520, 510, -1, 520, 510 },
    { "LeavesRight", { Box0 }, 500, 500, 560, 530, 0, 532, 516 },
    { "LeavesRightNegativeOffsetTowardZero", { Box0 }, 500, 500, 560, 493, 0, 532, 497 },
    { "EndsExactlyOnRightLine", { Box0 }, 500, 500, 532, 510, -1, 532, 510 },
    { "OnLeftLineMovingIn", { Box0 }, 467, 500, 480, 505, 0, 467, 500 },
    { "OnLeftLineMovingAway", { Box0 }, 467, 500, 450, 505, -1, 450, 505 },
    { "OnLeftLineMovingParallel", { Box0 }, 467, 500, 467, 520, -1, 467, 520 },
    { "OnLeftLineBelowTheSquare", { Box0 }, 467, 460, 480, 465, -1, 480, 465 },
    { "OnHighLineMovingIn", { Box0 }, 500, 532, 510, 520, 0, 500, 532 },
    { "WalksInFromTheLeft", { Box0 }, 300, 500, 600, 500, 0, 467, 500 },
    { "WalksInFromAbove", { Box0 }, 500, 700, 500, 400, 0, 500, 532 },
    { "PassesBelowTheBand", { Box0 }, 300, 466, 600, 466, -1, 600, 466 },
    { "DiagonalThroughTheCorner", { Box0 }, 400, 400, 600, 600, 0, 467, 467 },
    { "HiddenRecordNeverHit", { { 0, 500, 500, 64, ObjectHidden } }, 300, 500, 600, 500, -1, 600, 500 },
    { "NearerFootprintWinsOverLowerIndex", { { 0, 700, 500, 64, 0 }, { 1, 500, 500, 64, 0 } }, 300, 500, 900,
        500, 1, 467, 500 },
    // Record 0 offers (367, 499); the viewer stands on record 1's high line and is held there.
    { "EarlyExitOnLaterRecordBeatsNearerContact", { { 0, 400, 500, 64, 0 }, { 1, 600, 468, 64, 0 } }, 300,
        500, 900, 490, 1, 300, 500 },
    // Both squares offer (467, 531) at the same distance: the lower index wins.
    { "EqualDistanceLowerIndexWins", { { 3, 500, 500, 64, 0 }, { 1, 500, 564, 64, 0 } }, 400, 530, 600, 533,
        1, 467, 531 },
    { "EqualDistanceLowerIndexWinsSwapped", { { 1, 500, 500, 64, 0 }, { 3, 500, 564, 64, 0 } }, 400, 530, 600,
        533, 1, 467, 531 },
    { "OddWidthFootprint", { { 0, 500, 500, 63, 0 } }, 300, 500, 600, 500, 0, 468, 500 },
};

TEST_P(CollideTest, StopsAtTheNearestContact)
{
    const CollideCase& c = GetParam();
    ClearTable();
    for (const Placed& p : c.objects)
        Place(p);
    ViewPoint.savedX = c.sx;
    ViewPoint.savedY = c.sy;
    ViewPoint.x = c.nx;
    ViewPoint.y = c.ny;

    EXPECT_EQ(CollideWithObjects(), c.hit);
    EXPECT_EQ(ViewPoint.x, c.endX);
    EXPECT_EQ(ViewPoint.y, c.endY);
    EXPECT_EQ(ViewPoint.savedX, c.sx);
    EXPECT_EQ(ViewPoint.savedY, c.sy);
}

INSTANTIATE_TEST_SUITE_P(Objects, CollideTest, ::testing::ValuesIn(CollideCases),
    [](const ::testing::TestParamInfo<CollideCase>& info) { return std::string(info.param.name); });

TEST_F(ObjectsTest, StartTableHoldsTheTargetAndFourStandingObjects)
{
    struct Row {
        int16_t x, y, z, bitmap;
    };
    const Row expected[SceneObjectCount] = { { 0, 400, 160, 31 }, { 200, 600, 32, 3 }, { 800, 800, 32, 4 },
        { 200, 200, 32, 2 }, { 400, 400, 32, 1 } };
    SceneObjectTable[2].x = 1;
    SceneObjectTable[0].flags = ObjectHidden;
    ResetSceneObjects();
    int targets = 0;
    for (int i = 0; i < SceneObjectCount; ++i) {
        const SceneObject& o = SceneObjectTable[i];
        EXPECT_EQ(o.x, expected[i].x) << i;
        EXPECT_EQ(o.y, expected[i].y) << i;
        EXPECT_EQ(o.z, expected[i].z) << i;
        EXPECT_EQ(o.bitmap, expected[i].bitmap) << i;
        EXPECT_EQ(o.width, 64) << i;
        EXPECT_EQ(o.height, 64) << i;
        EXPECT_EQ(o.flags, 0) << i;
        EXPECT_EQ(o.dx | o.dy | o.dz, 0) << i;
        targets += o.bitmap >= FirstTargetBitmap;
    }
    EXPECT_EQ(targets, 1);
}

TEST_F(ObjectsTest, StepClearsVisibleEverywhereAndMovesOnlyShownRecords)
{
    struct Row {
        int16_t flags, x, dx, y, dy, z, dz;
        int16_t flagsAfter, xAfter, yAfter, zAfter;
    };
    const Row rows[SceneObjectCount] = {
        { ObjectVisible, 10, 3, 20, -4, 30, 5, 0, 13, 16, 35 },
        { int16_t(ObjectHidden | ObjectVisible), 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { ObjectHidden, 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { 0, 32767, 1, -32768, -1, 0, 0, 0, -32768, 32767, 0 }, // 16-bit wrap
        { ObjectVisible, 5, 0, 6, 0, 7, 0, 0, 5, 6, 7 },
    };
    for (int i = 0; i < SceneObjectCount; ++i) {
        SceneObject& o = SceneObjectTable[i];
        o.flags = rows[i].flags;
        o.x = rows[i].x;
        o.dx = rows[i].dx;
        o.y = rows[i].y;
        o.dy = rows[i].dy;
        o.z = rows[i].z;
        o.dz = rows[i].dz;
    }
    StepObjects();
    for (int i = 0; i < SceneObjectCount; ++i) {
        const SceneObject& o = SceneObjectTable[i];
        EXPECT_EQ(o.flags, rows[i].flagsAfter) << i;
        EXPECT_EQ(o.x, rows[i].xAfter) << i;
        EXPECT_EQ(o.y, rows[i].yAfter) << i;
        EXPECT_EQ(o.z, rows[i].zAfter) << i;
        EXPECT_EQ(o.dx, rows[i].dx) << i;
    }
}

struct MoveCase {
    const char* name;
    int32_t startY; // viewer at x = the object's x, looking toward +y
    int32_t fraction; // 12-bit fraction of fixedY before the move
    int16_t objectIndex;
    int32_t stopY;
    std::vector<int> sounds;
};

class CollideMoveTest : public ObjectsTest, public ::testing::WithParamInterface<MoveCase> { };

// Record 1 stands at (200, 600): low line 567. The target (record 0) at (0, 400): low line 367.
const MoveCase MoveCases[] = {
    { "StandingObjectBumps", 540, 0, 1, 567, { 3 } },
    { "StandingObjectKeepsTheFraction", 540, 0x800, 1, 567, { 3 } },
    { "TargetStopsSilently", 340, 0x123, 0, 367, {} },
};

TEST_P(CollideMoveTest, StopsTheViewerAndItsForwardMotion)
{
    const MoveCase& c = GetParam();
    const int32_t x = SceneObjectTable[c.objectIndex].x;
    PlaceViewer(x, c.startY, 128, 0);
    ViewPoint.fixedY += c.fraction;
    PressViewKey(KeyUp, false);
    ForwardAxis.velocity = 30;

    MoveViewer();

    EXPECT_EQ(ViewPoint.x, x);
    EXPECT_EQ(ViewPoint.y, c.stopY);
    EXPECT_EQ(ForwardAxis.velocity, 0);
    EXPECT_EQ(ViewPoint.fixedY, c.stopY * 4096 + c.fraction);
    EXPECT_EQ(std::vector<int>(EffectLog, EffectLog + EffectLogCount), c.sounds);

    // Still pushing: the viewer now stands on the contact line and is held there.
    ClearEffectLog();
    MoveViewer();
    EXPECT_EQ(ViewPoint.y, c.stopY);
    EXPECT_EQ(ForwardAxis.velocity, 0);
    EXPECT_EQ(std::vector<int>(EffectLog, EffectLog + EffectLogCount), c.sounds);
}

INSTANTIATE_TEST_SUITE_P(Objects, CollideMoveTest, ::testing::ValuesIn(MoveCases),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

} // namespace
