// The world's frame step at its edges: eye height keys, the move and the world bound, the objects and
// collision with their footprints, the target's sequence. Their plain runs are the golden replays'.
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "sound/sound.h"
#include "world/target.h"
#include "world_state.h"

namespace {

using Values = std::vector<int32_t>;

// The table as the program starts with it, taken before any test runs.
const std::vector<SceneObject> Initial(SceneObjectTable, SceneObjectTable + SceneObjectCount);
SceneObject& Target = SceneObjectTable[0];

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
};

// fc.ini stores any eye height and angle; the keys must still give (height +- step) & 1023, and a
// turn the angle's low ten bits, without overflowing (a failure in the sanitizer build).
TEST_F(World, KeysWrapWithinTenBitsFromAny32BitValueAndTheWorldBoundUndoesTheMove)
{
    const int32_t cases[][4] = { // start, key, Ctrl, result
        { 1020, KeyA, 0, 12 }, { 5, KeyZ, 0, 1013 }, { 1023, KeyA, 1, 0 }, { 0, KeyZ, 1, 1023 },
        { 500, KeyA, 0, 516 }, { 511, KeyA, 1, 512 }, { 128, KeyZ, 1, 127 }, { INT32_MAX - 7, KeyA, 0, 8 },
        { INT32_MAX, KeyA, 1, 0 }, { INT32_MIN, KeyZ, 0, 1008 }, { INT32_MIN + 3, KeyZ, 1, 2 },
        { -1, KeyA, 0, 15 }
    };
    for (const auto& c : cases) {
        ViewPoint.height = c[0];
        EXPECT_EQ((Values { PressViewKey(c[1], c[2]), ViewPoint.height }), (Values { 1, c[3] })) << c[0];
    }
    for (int32_t key : { int32_t(KeyEscape), 0x20, 0x42, 0x70 })
        EXPECT_FALSE(PressViewKey(key, false)) << key;
    for (int32_t key : { int32_t(KeyEscape), int32_t(KeyA), int32_t(KeyZ), 0x42 })
        EXPECT_FALSE(ReleaseViewKey(key)) << key;
    for (SceneObject& o : SceneObjectTable)
        o.flags = ObjectHidden;
    PlaceViewer(0, 0, 128, INT32_MAX - 1);
    PressViewKey(KeyLeft, false);
    MoveViewer();
    EXPECT_EQ(ViewPoint.angle, 2) << "(0x7FFFFFFE + 4) & 1023";
    TurnAxis = MotionAxis {};
    // Toward +x from 8180.5 a step of 30 would reach 8210.5: the move is undone, the fractions stay.
    PlaceViewer(8180, 40, 200, 768);
    ViewPoint.fixedX += 0x800, ViewPoint.fixedY += 0x123;
    ForwardAxis = { 6, 24, 30, 0, KeyUp };
    for (int frame = 0; frame < 2; ++frame) {
        MoveViewer();
        EXPECT_EQ((Values { ViewPoint.x, ViewPoint.y, ViewPoint.fixedX, ViewPoint.fixedY, ViewPoint.height,
                      ForwardAxis.velocity }),
            (Values { 8180, 40, 8180 * 4096 + 0x800, 40 * 4096 + 0x123, 200, 30 }));
    }
    const int32_t bounds[][4] = { // x, y, angle; whether a step of 1 moves
        { 8190, 0, 768, 1 }, { 8191, 0, 768, 0 }, { -8191, 0, 256, 0 }, { -8190, 0, 256, 1 },
        { 0, 8191, 0, 0 }, { 0, -8191, 512, 0 }, { 0, 8191, 512, 1 }, { 0, -8190, 512, 1 }, { 0, 8190, 0, 1 }
    };
    for (const auto& c : bounds) {
        PlaceViewer(c[0], c[1], 128, c[2]);
        ViewPoint.savedX = c[0], ViewPoint.savedY = c[1];
        AdvanceViewPoint(1);
        EXPECT_EQ(ViewPoint.x != c[0] || ViewPoint.y != c[1], c[3] == 1) << c[0] << "," << c[1];
    }
}

struct Placed {
    int16_t index, x, y, width, flags;
};

// The footprint of Box0, (500, 500) with side 64, spans 468..531 both ways: contact lines 467 and 532.
constexpr Placed Box0 = { 0, 500, 500, 64, 0 };

TEST_F(World, ResetAStepAndCollisionStopsAtTheNearestContact)
{
    // Reset restores every record; a step clears the visible flag everywhere and moves the records not
    // hidden, in 16 bits.
    std::memset(SceneObjectTable, 0x55, sizeof SceneObjectTable);
    ResetSceneObjects();
    EXPECT_EQ(std::memcmp(SceneObjectTable, Initial.data(), sizeof SceneObjectTable), 0);
    const int16_t rows[3][11] = { // flags, x, dx, y, dy, z, dz; then flags, x, y, z
        { ObjectVisible, 10, 3, 20, -4, 30, 5, 0, 13, 16, 35 },
        { int16_t(ObjectHidden | ObjectVisible), 10, 3, 20, -4, 30, 5, ObjectHidden, 10, 20, 30 },
        { 0, 32767, 1, -32768, -1, 0, 0, 0, -32768, 32767, 0 }
    };
    for (int i = 0; i < 3; ++i) {
        const int16_t* r = rows[i];
        SceneObject& o = SceneObjectTable[i];
        o.flags = r[0], o.x = r[1], o.dx = r[2], o.y = r[3], o.dy = r[4], o.z = r[5], o.dz = r[6];
    }
    StepObjects();
    for (int i = 0; i < 3; ++i) {
        const SceneObject& o = SceneObjectTable[i];
        EXPECT_EQ((Values { o.flags, o.x, o.y, o.z }), Values(rows[i] + 7, rows[i] + 11)) << i;
    }
    // clang-format off
    const struct { int32_t sx, sy, nx, ny, hit, endX, endY; std::vector<Placed> objects = { Box0 }; } cases[] = {
        // Standing still inside; inside to inside; leaving right; a negative offset truncates toward zero.
        { 500, 500, 500, 500, -1, 500, 500 }, { 480, 490, 520, 510, -1, 520, 510 }, { 500, 500, 560, 530, 0, 532, 516 },
        { 500, 500, 560, 493, 0, 532, 497 },
        // Ending exactly on the right line; on the last column, last row, first column, first row.
        { 500, 500, 532, 510, -1, 532, 510 }, { 600, 500, 531, 500, 0, 532, 500 }, { 500, 600, 500, 531, 0, 500, 532 },
        { 400, 500, 468, 500, 0, 467, 500 }, { 500, 400, 500, 468, 0, 500, 467 },
        // On the left line moving in (held), moving away, below the square; in from above; the corner.
        { 467, 500, 480, 505, 0, 467, 500 }, { 467, 500, 450, 505, -1, 450, 505 }, { 467, 460, 480, 465, -1, 480, 465 },
        { 500, 700, 500, 400, 0, 500, 532 }, { 400, 400, 600, 600, 0, 467, 467 },
        // Contacts exactly at an outer corner that only one line offers (the other's truncates past it).
        { 447, 542, 477, 526, 0, 467, 532 }, { 447, 457, 477, 473, 0, 467, 467 }, { 457, 552, 473, 522, 0, 467, 532 },
        { 542, 552, 526, 522, 0, 532, 532 },
        // A hidden record is passed through; of two in the way, the nearer wins.
        { 300, 500, 600, 500, -1, 600, 500, { { 0, 500, 500, 64, ObjectHidden } } },
        { 300, 500, 900, 500, 1, 467, 500, { { 0, 700, 500, 64, 0 }, { 1, 500, 500, 64, 0 } } },
        // Record 0 offers (367, 499); the viewer stands on record 1's high line and is held there.
        { 300, 500, 900, 490, 1, 300, 500, { { 0, 400, 500, 64, 0 }, { 1, 600, 468, 64, 0 } } },
        // Both squares offer (467, 531) at the same distance: the lower index wins, either way round.
        { 400, 530, 600, 533, 1, 467, 531, { { 3, 500, 500, 64, 0 }, { 1, 500, 564, 64, 0 } } },
        { 400, 530, 600, 533, 1, 467, 531, { { 1, 500, 500, 64, 0 }, { 3, 500, 564, 64, 0 } } },
        { 300, 500, 600, 500, 0, 468, 500, { { 0, 500, 500, 63, 0 } } }, // odd width
    }; // clang-format on
    for (const auto& c : cases) {
        for (SceneObject& o : SceneObjectTable)
            o.x = o.y = -20000; // parked far away: only the placed ones take part
        for (const Placed& p : c.objects) {
            SceneObject& o = SceneObjectTable[p.index];
            o.x = p.x, o.y = p.y, o.width = p.width, o.flags = p.flags;
        }
        const Collision stop = CollideWithObjects(c.sx, c.sy, c.nx, c.ny);
        EXPECT_EQ((Values { stop.hit, stop.x, stop.y }), (Values { c.hit, c.endX, c.endY }))
            << "case " << &c - cases;
        ResetSceneObjects();
    }
}

// The target rests at (0, 400); the first pulse is 80 wide (-40..39 by 360..439), the second 96.
// Hidden in its pause, it ignores a viewer on its centre; counting into the flag starts it silently.
TEST_F(World, TargetFiresInsideTheNewSizeOrByCountingAndRespawnsAwayFromTheViewer)
{
    const int32_t cases[][4] = { // viewer x, y, frames; whether it fires
        { 39, 400, 1, 1 }, { 40, 400, 1, 0 }, { -40, 400, 1, 1 }, { -41, 400, 1, 0 }, { 0, 439, 1, 1 },
        { 0, 440, 1, 0 }, { 0, 360, 1, 1 }, { 0, 359, 1, 0 }, { 44, 400, 2, 1 }
    };
    for (const auto& c : cases) {
        SetUp();
        PlaceViewer(c[0], c[1], 128, 0);
        for (int i = 0; i < c[2]; ++i)
            UpdateTarget();
        EXPECT_EQ(TargetState, c[3] ? 0x8001u : uint32_t(c[2])) << c[0] << "," << c[1];
        EXPECT_EQ(Values(EffectLog, EffectLog + EffectLogCount), c[3] ? Values { 0 } : Values {})
            << c[0] << "," << c[1];
    }
    TargetState = 0x8000u + 100, Target.flags = ObjectHidden;
    PlaceViewer(Target.x, Target.y, 128, 0);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8000u + 101);
    SetUp();
    PlaceViewer(0, 1000, 128, 0); // never inside, so only the count can set the flag
    for (int frame = 0; frame < 32767; ++frame)
        UpdateTarget();
    ASSERT_EQ(TargetState, 0x7FFFu);
    UpdateTarget();
    EXPECT_EQ((Values { int32_t(TargetState), Target.width, Target.dy, EffectLogCount }),
        (Values { 0x8001, 64, -64, 0 }));
    // On respawn the first places drawn are (41, 35) and (190, 900); only the viewer's exact spot is
    // drawn again, and the generator advances by exactly the draws taken.
    const int32_t respawns[][5] = { { 41, 35, 190, 900, 4 }, { 41, 36, 41, 35, 2 }, { 40, 35, 41, 35, 2 } };
    for (const auto& c : respawns) {
        SetUp();
        PlaceViewer(c[0], c[1], 128, 0);
        TargetState = 0x8000u + 200 + c[4]; // any step from 200 on respawns
        UpdateTarget();
        EXPECT_EQ((Values { Target.x, Target.y, Target.z, Target.bitmap, Target.flags, int32_t(TargetState),
                      EffectLogCount, EffectLog[0] }),
            (Values { c[2], c[3], 160, 31, 0, 0, 1, 2 }));
        const uint32_t after = RandomState;
        RandomState = 1;
        for (int i = 0; i < c[4]; ++i)
            NextRandom();
        EXPECT_EQ(after, RandomState);
    }
    // The pulse's size takes IntSqrt: the floor of the root.
    for (uint64_t r = 1; r <= 65535; ++r) // every n below 548 * 548, then each square's neighbours
        for (uint64_t n = r * r - 1; n <= r * r + 2 * r; n += r < 548 || n <= r * r ? 1 : 2 * r - 1)
            ASSERT_EQ(IntSqrt(uint32_t(n)), uint32_t(std::sqrt(double(n)))) << n;
}

} // namespace
