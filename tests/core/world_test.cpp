// The world's frame step: keyboard axes and eye height, the viewer's move and bounds, the scene
// objects and the viewer's collision with their footprints, and the target's sequence.
#include <cstring>
#include <vector>

#include "sound/sound.h"
#include "world/target.h"
#include "world_state.h"

namespace {

using Values = std::vector<int32_t>;

// The table as the program starts with it, taken before any test runs.
const std::vector<SceneObject> Initial(SceneObjectTable, SceneObjectTable + SceneObjectCount);

std::vector<int> Sounds()
{
    return std::vector<int>(EffectLog, EffectLog + EffectLogCount);
}

// The viewer at the origin, eye 128, facing +y, axes at rest, the objects and the target at their start.
class World : public WorldState {
protected:
    void SetUp() override
    {
        ResetSceneObjects();
        ResetTarget();
        ViewPoint = {};
        PlaceViewer(0, 0, 128, 0);
        ForwardAxis = TurnAxis = MotionAxis {};
        ClearEffectLog();
    }
    static void HideObjects()
    {
        for (SceneObject& o : SceneObjectTable)
            o.flags = ObjectHidden;
    }
    static Values Steps(MotionAxis* axis, int frames)
    {
        Values v;
        for (int i = 0; i < frames; ++i)
            v.push_back(StepAxis(axis));
        return v;
    }
};

// The opposite key takes over the axis; only the driving key's release starts the decay; Ctrl
// cuts a faster turn to one step a frame. The plain runs of both axes are the golden replays'.
TEST_F(World, AxesFollowTheDrivingKey)
{
    PressViewKey(KeyUp, false);
    EXPECT_EQ(Steps(&ForwardAxis, 3), (Values { 6, 12, 18 }));
    EXPECT_TRUE(ReleaseViewKey(KeyDown)); // never drove: nothing changes
    PressViewKey(KeyDown, false);
    ReleaseViewKey(KeyUp); // no longer drives
    EXPECT_EQ(Steps(&ForwardAxis, 8), (Values { 12, 6, 0, -6, -12, -18, -24, -30 }));
    ReleaseViewKey(KeyDown);
    EXPECT_EQ(Steps(&ForwardAxis, 2), (Values { -27, -24 }));
    PressViewKey(KeyLeft, false);
    Steps(&TurnAxis, 4);
    PressViewKey(KeyRight, true);
    EXPECT_EQ(Steps(&TurnAxis, 3), (Values { 1, -1, -1 }));
}

TEST_F(World, HeightKeysWrapWithinTenBitsAndOtherKeysAreNotHandled)
{
    const struct {
        int32_t start, key;
        bool ctrl;
        int32_t expected;
    } cases[] = { { 1020, KeyA, false, 12 }, { 5, KeyZ, false, 1013 }, { 1023, KeyA, true, 0 },
        { 0, KeyZ, true, 1023 }, { 500, KeyA, false, 516 }, { 511, KeyA, true, 512 },
        { 128, KeyZ, true, 127 } };
    for (const auto& c : cases) {
        ViewPoint.height = c.start;
        EXPECT_TRUE(PressViewKey(c.key, c.ctrl));
        EXPECT_EQ(ViewPoint.height, c.expected) << c.start;
    }
    for (int32_t key : { int32_t(KeyEscape), 0x20, 0x42, 0x70 })
        EXPECT_FALSE(PressViewKey(key, false)) << key;
    for (int32_t key : { int32_t(KeyEscape), int32_t(KeyA), int32_t(KeyZ), 0x42 })
        EXPECT_FALSE(ReleaseViewKey(key)) << key;
}

// Moves from (100, 100); angles outside one turn move as their low ten bits; fractions accumulate
// and whole units are floored, not truncated.
TEST_F(World, ForwardMoveFollowsTheAngle)
{
    const struct {
        int32_t angle, distance, dFixedX, dFixedY;
    } cases[] = { { 256 + 3 * 1024, 30, -30 * 4096, 0 }, { -256, 30, 30 * 4096, 0 },
        { 128, -2006, 2006 * 2896, -2006 * 2896 } };
    for (const auto& c : cases) {
        PlaceViewer(100, 100, 128, c.angle);
        AdvanceViewPoint(c.distance);
        const int32_t fx = 409600 + c.dFixedX, fy = 409600 + c.dFixedY;
        EXPECT_EQ((Values { ViewPoint.fixedX, ViewPoint.fixedY, ViewPoint.x, ViewPoint.y }),
            (Values { fx, fy, fx >> 12, fy >> 12 }))
            << c.angle;
    }
    PlaceViewer(0, 0, 128, 128);
    for (int i = 0; i < 3; ++i)
        AdvanceViewPoint(6);
    EXPECT_EQ((Values { ViewPoint.fixedX, ViewPoint.fixedY, ViewPoint.x, ViewPoint.y }),
        (Values { -3 * 6 * 2896, 3 * 6 * 2896, -13, 12 }));
}

TEST_F(World, WorldBoundUndoesTheMoveAndKeepsTheFraction)
{
    HideObjects();
    PlaceViewer(8180, 40, 200, 768); // toward +x: from 8180.5 a step of 30 would reach 8210.5
    ViewPoint.fixedX += 0x800;
    ViewPoint.fixedY += 0x123;
    ForwardAxis = { 6, 24, 30, 0, KeyUp };
    for (int frame = 0; frame < 2; ++frame) {
        MoveViewer();
        EXPECT_EQ((Values { ViewPoint.x, ViewPoint.y, ViewPoint.fixedX, ViewPoint.fixedY, ViewPoint.height,
                      ForwardAxis.velocity }),
            (Values { 8180, 40, 8180 * 4096 + 0x800, 40 * 4096 + 0x123, 200, 30 }));
    }
    const struct {
        int32_t x, y, angle;
        bool moves;
    } cases[] = { { 8190, 0, 768, true }, { 8191, 0, 768, false }, { -8191, 0, 256, false },
        { -8190, 0, 256, true }, { 0, 8191, 0, false }, { 0, -8191, 512, false }, { 0, 8191, 512, true },
        { 0, -8190, 512, true }, { 0, 8190, 0, true } };
    for (const auto& c : cases) {
        PlaceViewer(c.x, c.y, 128, c.angle);
        ViewPoint.savedX = c.x, ViewPoint.savedY = c.y;
        AdvanceViewPoint(1);
        EXPECT_EQ(ViewPoint.x != c.x || ViewPoint.y != c.y, c.moves) << c.x << "," << c.y;
    }
}

TEST_F(World, ResetRestoresEveryRecordAndAStepMovesOnlyShownOnes)
{
    std::memset(SceneObjectTable, 0x55, sizeof SceneObjectTable);
    ResetSceneObjects();
    EXPECT_EQ(std::memcmp(SceneObjectTable, Initial.data(), sizeof SceneObjectTable), 0);

    const int16_t rows[SceneObjectCount][11] = { // flags, x, dx, y, dy, z, dz; then flags, x, y, z
        { ObjectVisible, 10, 3, 20, -4, 30, 5, 0, 13, 16, 35 },
        { int16_t(ObjectHidden | ObjectVisible), 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { ObjectHidden, 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { 0, 32767, 1, -32768, -1, 0, 0, 0, -32768, 32767, 0 }, // 16-bit wrap
        { ObjectVisible, 5, 0, 6, 0, 7, 1, 0, 5, 6, 8 }
    };
    for (int i = 0; i < SceneObjectCount; ++i) {
        SceneObject& o = SceneObjectTable[i];
        const int16_t* r = rows[i];
        o.flags = r[0], o.x = r[1], o.dx = r[2], o.y = r[3], o.dy = r[4], o.z = r[5], o.dz = r[6];
    }
    StepObjects();
    for (int i = 0; i < SceneObjectCount; ++i) {
        const SceneObject& o = SceneObjectTable[i];
        EXPECT_EQ((std::vector<int16_t> { o.flags, o.x, o.y, o.z }),
            (std::vector<int16_t>(rows[i] + 7, rows[i] + 11)))
            << i;
    }
}

struct Placed {
    int16_t index, x, y, width, flags;
};

// Footprint of (500, 500) with side 64: 468..531 both ways, contact lines 467 and 532.
constexpr Placed Box0 = { 0, 500, 500, 64, 0 };

TEST_F(World, CollisionStopsAtTheNearestContact)
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
        { { Box0 }, 467, 460, 480, 465, -1, 480, 465 }, // on the left line below the square
        { { Box0 }, 500, 700, 500, 400, 0, 500, 532 }, // walks in from above
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
        for (SceneObject& o : SceneObjectTable)
            o.x = o.y = -20000; // parked far away: only the placed ones take part
        for (const Placed& p : c.objects) {
            SceneObject& o = SceneObjectTable[p.index];
            o.x = p.x, o.y = p.y, o.width = p.width, o.flags = p.flags;
        }
        ViewPoint.savedX = c.sx, ViewPoint.savedY = c.sy, ViewPoint.x = c.nx, ViewPoint.y = c.ny;
        EXPECT_EQ(CollideWithObjects(), c.hit) << "case " << &c - cases;
        EXPECT_EQ((Values { ViewPoint.x, ViewPoint.y, ViewPoint.savedX, ViewPoint.savedY }),
            (Values { c.endX, c.endY, c.sx, c.sy }))
            << "case " << &c - cases;
        ResetSceneObjects();
    }
}

// Record 1 stands at (200, 600): low line 567; the target (record 0) at (0, 400): low line 367.
// A standing object bumps with sound 3, the target stops silently; the fraction of fixedY stays.
TEST_F(World, AHitStopsTheViewerAndItsForwardMotion)
{
    const struct {
        int32_t startY, fraction;
        int16_t objectIndex;
        int32_t stopY;
        std::vector<int> sounds;
    } cases[] = { { 540, 0x800, 1, 567, { 3 } }, { 340, 0x123, 0, 367, {} } };
    for (const auto& c : cases) {
        SetUp();
        const int32_t x = SceneObjectTable[c.objectIndex].x;
        PlaceViewer(x, c.startY, 128, 0);
        ViewPoint.fixedY += c.fraction;
        PressViewKey(KeyUp, false);
        ForwardAxis.velocity = 30;
        for (int push = 0; push < 2; ++push) { // still pushing: held on the contact line
            ClearEffectLog();
            MoveViewer();
            EXPECT_EQ((Values { ViewPoint.x, ViewPoint.y, ForwardAxis.velocity, ViewPoint.fixedY }),
                (Values { x, c.stopY, 0, c.stopY * 4096 + c.fraction }))
                << c.startY << " push " << push;
            EXPECT_EQ(Sounds(), c.sounds);
        }
    }
}

SceneObject& Target()
{
    return SceneObjectTable[0];
}

// The target rests at (0, 400); the first pulse is 80 wide (-40..39 by 360..439), the second 96.
// Hidden in its pause, it ignores a viewer on its centre.
TEST_F(World, TargetFiresOnlyInsideTheNewSize)
{
    const struct {
        int32_t vx, vy, frames;
        bool fires;
    } cases[] = { { 39, 400, 1, true }, { 40, 400, 1, false }, { -40, 400, 1, true }, { -41, 400, 1, false },
        { 0, 439, 1, true }, { 0, 440, 1, false }, { 0, 360, 1, true }, { 0, 359, 1, false },
        { 44, 400, 2, true } };
    for (const auto& c : cases) {
        SetUp();
        PlaceViewer(c.vx, c.vy, 128, 0);
        for (int i = 0; i < c.frames; ++i)
            UpdateTarget();
        EXPECT_EQ(TargetState, c.fires ? 0x8001u : uint32_t(c.frames)) << c.vx << "," << c.vy;
        EXPECT_EQ(Sounds(), c.fires ? std::vector<int> { 0 } : std::vector<int> {}) << c.vx << "," << c.vy;
    }
    TargetState = 0x8000u + 100;
    Target().flags = ObjectHidden;
    PlaceViewer(Target().x, Target().y, 128, 0);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8000u + 101);
    EXPECT_EQ(Sounds(), std::vector<int> { 0 });
}

TEST_F(World, TargetFliesAwayFromTheViewer)
{
    const int32_t cases[][4] = { // target centre minus viewer; dx, dy
        { 1, 0, 64, 0 }, { 30, 40, 38, 51 }, { -30, -40, -38, -51 }, { 0, 0, 0, 64 }, { 8191, 8191, 45, 45 },
        { 0, 2000000400, 0, 64 }
    };
    for (const auto& c : cases) {
        PlaceViewer(Target().x - c[0], Target().y - c[1], 128, 0);
        TargetState = 0x8000; // step 0, however it was reached
        UpdateTarget();
        EXPECT_EQ(
            (Values { int32_t(TargetState), Target().dx, Target().dy }), (Values { 0x8001, c[2], c[3] }))
            << c[0] << "," << c[1];
    }
}

// The first places drawn are (41, 35) and (190, 900); only the viewer's exact spot is drawn again,
// and the generator advances by exactly the draws taken.
TEST_F(World, TargetRespawnAvoidsOnlyTheViewersExactSpot)
{
    const int32_t cases[][5] = { { 41, 35, 190, 900, 4 }, { 41, 36, 41, 35, 2 }, { 40, 35, 41, 35, 2 } };
    for (const auto& c : cases) {
        SetUp();
        PlaceViewer(c[0], c[1], 128, 0);
        TargetState = 0x8000u + 200 + c[4]; // any step from 200 on respawns
        UpdateTarget();
        EXPECT_EQ((Values { Target().x, Target().y, Target().z, Target().bitmap, Target().flags,
                      int32_t(TargetState) }),
            (Values { c[2], c[3], 160, 31, 0, 0 }));
        EXPECT_EQ(Sounds(), std::vector<int> { 2 });
        const uint32_t after = RandomState;
        RandomState = 1;
        for (int i = 0; i < c[4]; ++i)
            NextRandom();
        EXPECT_EQ(after, RandomState);
    }
}

TEST_F(World, TargetCountingIntoTheFlagStartsASilentSequence)
{
    PlaceViewer(0, 1000, 128, 0); // never inside, so only the count can set the flag
    for (int frame = 0; frame < 32767; ++frame)
        UpdateTarget();
    ASSERT_EQ(TargetState, 0x7FFFu);
    UpdateTarget();
    EXPECT_EQ((Values { int32_t(TargetState), Target().width, Target().dy, EffectLogCount }),
        (Values { 0x8001, 64, -64, 0 }));
}

TEST(TargetIntSqrt, MatchesBruteForce)
{
    auto isFloorRoot = [](uint32_t n, uint64_t r) { return r * r <= n && (r + 1) * (r + 1) > n; };
    for (uint32_t n = 0; n < 300000; ++n)
        ASSERT_TRUE(isFloorRoot(n, IntSqrt(n))) << n;
    for (uint32_t r = 60000; r <= 65535; ++r) // the intermediate squares are largest near the top
        for (uint32_t n : { r * r - 1, r * r, r * r + 1, r * r + 2 * r })
            ASSERT_TRUE(isFloorRoot(n, IntSqrt(n))) << n;
}

} // namespace
