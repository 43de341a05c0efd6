// Keyboard axes, eye height keys, the viewer's move and the world bounds.
#include <gtest/gtest.h>

#include <vector>

#include "render/trig.h"
#include "sound/sound.h"
#include "world/objects.h"
#include "world/viewpoint.h"

namespace {

using Values = std::vector<int32_t>;

class ViewPointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForwardAxis = {};
        TurnAxis = {};
        ViewPoint = {};
        PlaceViewer(0, 0, 128, 0);
        // Keep the objects out of the way: these tests are about motion alone.
        for (SceneObject& o : SceneObjectTable)
            o.flags = ObjectHidden;
        ClearEffectLog();
    }
    void TearDown() override { ResetSceneObjects(); }

    static Values Steps(MotionAxis* axis, int frames)
    {
        Values v;
        for (int i = 0; i < frames; ++i)
            v.push_back(StepAxis(axis));
        return v;
    }
};

// Forward: +-6 a frame up to 30, decay 3; turn: +-4 up to 32, decay 4, Ctrl one step a frame.
// The opposite key takes over; only the driving key's release starts the decay.
TEST_F(ViewPointTest, AxesAccelerateClampAndDecay)
{
    PressViewKey(KeyUp, true); // Ctrl leaves the forward axis alone
    EXPECT_EQ(Steps(&ForwardAxis, 6), (Values { 6, 12, 18, 24, 30, 30 }));
    EXPECT_TRUE(ReleaseViewKey(KeyDown)); // never drove: nothing changes
    EXPECT_EQ(Steps(&ForwardAxis, 1), (Values { 30 }));
    ReleaseViewKey(KeyUp);
    EXPECT_EQ(Steps(&ForwardAxis, 11), (Values { 27, 24, 21, 18, 15, 12, 9, 6, 3, 0, 0 }));
    PressViewKey(KeyUp, false);
    Steps(&ForwardAxis, 3); // 18
    PressViewKey(KeyDown, false);
    EXPECT_EQ(Steps(&ForwardAxis, 2), (Values { 12, 6 }));
    ReleaseViewKey(KeyUp); // no longer drives
    EXPECT_EQ(Steps(&ForwardAxis, 7), (Values { 0, -6, -12, -18, -24, -30, -30 }));
    ReleaseViewKey(KeyDown);
    EXPECT_EQ(Steps(&ForwardAxis, 11), (Values { -27, -24, -21, -18, -15, -12, -9, -6, -3, 0, 0 }));

    PressViewKey(KeyLeft, false);
    EXPECT_EQ(Steps(&TurnAxis, 9), (Values { 4, 8, 12, 16, 20, 24, 28, 32, 32 }));
    ReleaseViewKey(KeyLeft);
    EXPECT_EQ(Steps(&TurnAxis, 3), (Values { 28, 24, 20 }));
    PressViewKey(KeyRight, false);
    EXPECT_EQ(Steps(&TurnAxis, 2), (Values { 16, 12 }));
    PressViewKey(KeyRight, true); // cuts the faster turn to one step
    EXPECT_EQ(Steps(&TurnAxis, 2), (Values { 1, -1 }));
    ReleaseViewKey(KeyRight);
    EXPECT_EQ(Steps(&TurnAxis, 2), (Values { 0, 0 }));
}

TEST_F(ViewPointTest, HeightKeysWrapWithinTenBitsAndOtherKeysAreNotHandled)
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

// Moves from (100, 100); angles outside one turn move as their low ten bits.
TEST_F(ViewPointTest, ForwardMoveFollowsTheAngle)
{
    const struct {
        int32_t angle, distance, dFixedX, dFixedY;
    } cases[] = { { 0, 30, 0, 30 * 4096 }, { 256 + 3 * 1024, 30, -30 * 4096, 0 }, { 512, 30, 0, -30 * 4096 },
        { -256, 30, 30 * 4096, 0 }, { 128, 6, -6 * 2896, 6 * 2896 }, { 128, -6, 6 * 2896, -6 * 2896 },
        { 128, -2006, 2006 * 2896, -2006 * 2896 } };
    for (const auto& c : cases) {
        PlaceViewer(100, 100, 128, c.angle);
        AdvanceViewPoint(c.distance);
        EXPECT_EQ((Values { ViewPoint.fixedX, ViewPoint.fixedY, ViewPoint.x, ViewPoint.y }),
            (Values { 409600 + c.dFixedX, 409600 + c.dFixedY, (409600 + c.dFixedX) >> 12,
                (409600 + c.dFixedY) >> 12 }))
            << c.angle;
    }
    PlaceViewer(0, 0, 128, 128); // fractions accumulate; whole units are floored, not truncated
    for (int i = 0; i < 3; ++i)
        AdvanceViewPoint(6);
    EXPECT_EQ((Values { ViewPoint.fixedX, ViewPoint.fixedY, ViewPoint.x, ViewPoint.y }),
        (Values { -3 * 6 * 2896, 3 * 6 * 2896, -13, 12 }));
}

TEST_F(ViewPointTest, WorldBoundUndoesTheMoveAndKeepsTheFraction)
{
    // Angle 768 looks toward +x. From 8180.5 a step of 30 would reach 8210.5.
    PlaceViewer(8180, 40, 200, 768);
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
        { 0, -8190, 512, true }, { 0, 8190, 0, true }, { 8190, 0, 768, true } };
    for (const auto& c : cases) {
        PlaceViewer(c.x, c.y, 128, c.angle);
        ViewPoint.savedX = c.x, ViewPoint.savedY = c.y, ViewPoint.savedHeight = 128;
        ViewPoint.savedAngle = c.angle;
        AdvanceViewPoint(1);
        EXPECT_EQ(ViewPoint.x != c.x || ViewPoint.y != c.y, c.moves) << c.x << "," << c.y;
    }
}

TEST_F(ViewPointTest, TheTurnOfAFrameComesAfterItsMoveAndWraps)
{
    ForwardAxis = { 6, 24, 30, 0, KeyUp }; // 30 after this frame's step
    TurnAxis = { 4, 252, 256, 0, KeyLeft }; // 256 after this frame's step
    MoveViewer();
    EXPECT_EQ(
        (Values { ViewPoint.x, ViewPoint.y, ViewPoint.angle, ViewPoint.savedY }), (Values { 0, 30, 256, 0 }));
    MoveViewer();
    EXPECT_EQ((Values { ViewPoint.x, ViewPoint.angle }), (Values { -30, 512 }));
    PlaceViewer(0, 0, 128, 1020);
    TurnAxis = {};
    PressViewKey(KeyLeft, false);
    MoveViewer();
    MoveViewer();
    EXPECT_EQ(ViewPoint.angle, (1020 + 4 + 8) & 1023);
    PlaceViewer(0, 0, 128, 2);
    TurnAxis = {};
    PressViewKey(KeyRight, true);
    MoveViewer();
    MoveViewer();
    MoveViewer();
    EXPECT_EQ(ViewPoint.angle, 1023);
}

} // namespace
