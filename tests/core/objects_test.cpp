// Scene object table, the per-frame object step and the viewer's collision with footprints.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sound/sound.h"
#include "world/objects.h"
#include "world/viewpoint.h"

namespace {

struct Placed {
    int16_t index, x, y, width, flags;
};

// The table as the program starts with it, taken before any test runs.
const std::vector<SceneObject> Initial(SceneObjectTable, SceneObjectTable + SceneObjectCount);

class ObjectsTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        ResetSceneObjects();
        ViewPoint = {};
        PlaceViewer(0, 0, 128, 0);
        ForwardAxis = {};
        TurnAxis = {};
        ClearEffectLog();
    }
};

TEST_F(ObjectsTest, ResetRestoresEveryRecord)
{
    std::memset(SceneObjectTable, 0x55, sizeof SceneObjectTable);
    ResetSceneObjects();
    EXPECT_EQ(std::memcmp(SceneObjectTable, Initial.data(), sizeof SceneObjectTable), 0);
}

TEST_F(ObjectsTest, StepClearsVisibleEverywhereAndMovesOnlyShownRecords)
{
    struct Row {
        int16_t flags, x, dx, y, dy, z, dz, flagsAfter, xAfter, yAfter, zAfter;
    };
    const Row rows[SceneObjectCount] = {
        { ObjectVisible, 10, 3, 20, -4, 30, 5, 0, 13, 16, 35 },
        { int16_t(ObjectHidden | ObjectVisible), 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { ObjectHidden, 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { 0, 32767, 1, -32768, -1, 0, 0, 0, -32768, 32767, 0 }, // 16-bit wrap
        { ObjectVisible, 5, 0, 6, 0, 7, 1, 0, 5, 6, 8 },
    };
    for (int i = 0; i < SceneObjectCount; ++i) {
        const Row& r = rows[i];
        SceneObject& o = SceneObjectTable[i];
        o.flags = r.flags, o.x = r.x, o.dx = r.dx, o.y = r.y, o.dy = r.dy, o.z = r.z, o.dz = r.dz;
    }
    StepObjects();
    for (int i = 0; i < SceneObjectCount; ++i) {
        const Row& r = rows[i];
        const SceneObject& o = SceneObjectTable[i];
        EXPECT_EQ((std::vector<int16_t> { o.flags, o.x, o.y, o.z, o.dx }),
            (std::vector<int16_t> { r.flagsAfter, r.xAfter, r.yAfter, r.zAfter, r.dx }))
            << i;
    }
}

// Footprint of (500, 500) with side 64: 468..531 both ways, contact lines 467 and 532.
constexpr Placed Box0 = { 0, 500, 500, 64, 0 };

TEST_F(ObjectsTest, CollisionStopsAtTheNearestContact)
{
    const struct {
        std::vector<Placed> objects;
        int32_t sx, sy, nx, ny;
        int16_t hit;
        int32_t endX, endY;
    } cases[] = {
        { { Box0 }, 500, 500, 500, 500, -1, 500, 500 }, // standing still inside
        { { Box0 }, 480, 490, 520, 510, -1, 520, 510 }, // inside to inside
        { { Box0 }, 500, 500, 560, 530, 0, 532, 516 }, // leaves right
        { { Box0 }, 500, 500, 560, 493, 0, 532, 497 }, // negative offset truncates toward zero
        { { Box0 }, 500, 500, 532, 510, -1, 532, 510 }, // ends exactly on the right line
        { { Box0 }, 600, 500, 531, 500, 0, 532, 500 }, // ends on the last column
        { { Box0 }, 500, 600, 500, 531, 0, 500, 532 }, // ends on the last row
        { { Box0 }, 400, 500, 468, 500, 0, 467, 500 }, // ends on the first column
        { { Box0 }, 500, 400, 500, 468, 0, 500, 467 }, // ends on the first row
        { { Box0 }, 467, 500, 480, 505, 0, 467, 500 }, // on the left line moving in: held
        { { Box0 }, 467, 500, 450, 505, -1, 450, 505 }, // on the left line moving away
        { { Box0 }, 467, 500, 467, 520, -1, 467, 520 }, // along the left line
        { { Box0 }, 467, 460, 480, 465, -1, 480, 465 }, // on the left line below the square
        { { Box0 }, 500, 532, 510, 520, 0, 500, 532 }, // on the high line moving in
        { { Box0 }, 500, 700, 500, 400, 0, 500, 532 }, // walks in from above
        { { Box0 }, 300, 466, 600, 466, -1, 600, 466 }, // passes below the band
        { { Box0 }, 400, 400, 600, 600, 0, 467, 467 }, // diagonal through the corner
        // Contacts exactly at an outer corner that only one line offers (the other's truncates past it).
        { { Box0 }, 447, 542, 477, 526, 0, 467, 532 }, { { Box0 }, 447, 457, 477, 473, 0, 467, 467 },
        { { Box0 }, 457, 552, 473, 522, 0, 467, 532 }, { { Box0 }, 542, 552, 526, 522, 0, 532, 532 },
        { { { 0, 500, 500, 64, ObjectHidden } }, 300, 500, 600, 500, -1, 600, 500 },
        { { { 0, 700, 500, 64, 0 }, { 1, 500, 500, 64, 0 } }, 300, 500, 900, 500, 1, 467,
            500 }, // nearer wins
        // Record 0 offers (367, 499); the viewer stands on record 1's high line and is held there.
        { { { 0, 400, 500, 64, 0 }, { 1, 600, 468, 64, 0 } }, 300, 500, 900, 490, 1, 300, 500 },
        // Both squares offer (467, 531) at the same distance: the lower index wins, either way round.
        { { { 3, 500, 500, 64, 0 }, { 1, 500, 564, 64, 0 } }, 400, 530, 600, 533, 1, 467, 531 },
        { { { 1, 500, 500, 64, 0 }, { 3, 500, 564, 64, 0 } }, 400, 530, 600, 533, 1, 467, 531 },
        { { { 0, 500, 500, 63, 0 } }, 300, 500, 600, 500, 0, 468, 500 }, // odd width
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        for (SceneObject& o : SceneObjectTable)
            o.x = o.y = -20000; // parked far away: only the placed ones take part
        for (const Placed& p : c.objects) {
            SceneObject& o = SceneObjectTable[p.index];
            o.x = p.x, o.y = p.y, o.width = p.width, o.flags = p.flags;
        }
        ViewPoint.savedX = c.sx, ViewPoint.savedY = c.sy, ViewPoint.x = c.nx, ViewPoint.y = c.ny;
        EXPECT_EQ(CollideWithObjects(), c.hit);
        EXPECT_EQ((std::vector<int32_t> { ViewPoint.x, ViewPoint.y, ViewPoint.savedX, ViewPoint.savedY }),
            (std::vector<int32_t> { c.endX, c.endY, c.sx, c.sy }));
        ResetSceneObjects();
    }
}

// Record 1 stands at (200, 600): low line 567; the target (record 0) at (0, 400): low line 367.
// A standing object bumps with sound 3, the target stops silently; the fraction of fixedY stays.
TEST_F(ObjectsTest, AHitStopsTheViewerAndItsForwardMotion)
{
    const struct {
        int32_t startY, fraction;
        int16_t objectIndex;
        int32_t stopY;
        std::vector<int> sounds;
    } cases[] = { { 540, 0, 1, 567, { 3 } }, { 540, 0x800, 1, 567, { 3 } }, { 340, 0x123, 0, 367, {} } };
    for (const auto& c : cases) {
        TearDown();
        const int32_t x = SceneObjectTable[c.objectIndex].x;
        PlaceViewer(x, c.startY, 128, 0);
        ViewPoint.fixedY += c.fraction;
        PressViewKey(KeyUp, false);
        ForwardAxis.velocity = 30;
        for (int push = 0; push < 2; ++push) { // still pushing: held on the contact line
            ClearEffectLog();
            MoveViewer();
            EXPECT_EQ(
                (std::vector<int32_t> { ViewPoint.x, ViewPoint.y, ForwardAxis.velocity, ViewPoint.fixedY }),
                (std::vector<int32_t> { x, c.stopY, 0, c.stopY * 4096 + c.fraction }))
                << c.startY << " push " << push;
            EXPECT_EQ(std::vector<int>(EffectLog, EffectLog + EffectLogCount), c.sounds);
        }
    }
}

} // namespace
