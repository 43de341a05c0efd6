// Keyboard axes, eye height keys, the viewer's move and the world bounds.
#include <gtest/gtest.h>

#include <vector>

#include "render/trig.h"
#include "sound/sound.h"
#include "world/objects.h"
#include "world/viewpoint.h"

namespace {

class ViewPointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForwardAxis = {};
        TurnAxis = {};
        ViewPoint = {};
        PlaceViewer(0, 0, 128, 0);
        ResetSceneObjects();
        // Keep the objects out of the way: these tests are about motion alone.
        for (SceneObject& o : SceneObjectTable)
            o.flags = ObjectHidden;
        ClearEffectLog();
    }
    void TearDown() override { ResetSceneObjects(); }

    static std::vector<int32_t> Steps(MotionAxis* axis, int frames)
    {
        std::vector<int32_t> v;
        for (int i = 0; i < frames; ++i)
            v.push_back(StepAxis(axis));
        return v;
    }
};

TEST_F(ViewPointTest, ForwardAxisAcceleratesToThirtyAndDecaysByThree)
{
    PressViewKey(KeyUp, false);
    EXPECT_EQ(Steps(&ForwardAxis, 6), (std::vector<int32_t>{6, 12, 18, 24, 30, 30}));
    ReleaseViewKey(KeyUp);
    EXPECT_EQ(Steps(&ForwardAxis, 11), (std::vector<int32_t>{27, 24, 21, 18, 15, 12, 9, 6, 3, 0, 0}));

    PressViewKey(KeyDown, false);
    EXPECT_EQ(Steps(&ForwardAxis, 6), (std::vector<int32_t>{-6, -12, -18, -24, -30, -30}));
    ReleaseViewKey(KeyDown);
    EXPECT_EQ(Steps(&ForwardAxis, 3), (std::vector<int32_t>{-27, -24, -21}));
}

TEST_F(ViewPointTest, TurnAxisAcceleratesToThirtyTwoAndDecaysByFour)
{
    PressViewKey(KeyLeft, false);
    EXPECT_EQ(Steps(&TurnAxis, 9), (std::vector<int32_t>{4, 8, 12, 16, 20, 24, 28, 32, 32}));
    ReleaseViewKey(KeyLeft);
    EXPECT_EQ(Steps(&TurnAxis, 3), (std::vector<int32_t>{28, 24, 20}));
    PressViewKey(KeyRight, false);
    EXPECT_EQ(Steps(&TurnAxis, 2), (std::vector<int32_t>{16, 12}));
}

TEST_F(ViewPointTest, CtrlTurnsOneStepPerFrameAndCutsAFasterTurn)
{
    PressViewKey(KeyLeft, false);
    Steps(&TurnAxis, 5); // 20 steps per frame
    PressViewKey(KeyLeft, true);
    EXPECT_EQ(Steps(&TurnAxis, 3), (std::vector<int32_t>{1, 1, 1}));

    SetUp();
    PressViewKey(KeyLeft, true);
    for (int frame = 1; frame <= 5; ++frame) {
        MoveViewer();
        EXPECT_EQ(ViewPoint.angle, frame);
    }
    PressViewKey(KeyRight, true);
    MoveViewer();
    EXPECT_EQ(TurnAxis.velocity, -1);
}

TEST_F(ViewPointTest, CtrlDoesNotChangeTheForwardAxis)
{
    PressViewKey(KeyUp, true);
    EXPECT_EQ(ForwardAxis.limit, 30);
    EXPECT_EQ(Steps(&ForwardAxis, 6).back(), 30);
}

TEST_F(ViewPointTest, OppositeKeyTakesOverAndOnlyTheDrivingKeyReleases)
{
    PressViewKey(KeyUp, false);
    Steps(&ForwardAxis, 3); // 18
    PressViewKey(KeyDown, false);
    EXPECT_EQ(Steps(&ForwardAxis, 2), (std::vector<int32_t>{12, 6}));
    ReleaseViewKey(KeyUp); // no longer drives: nothing changes
    EXPECT_EQ(ForwardAxis.key, KeyDown);
    EXPECT_EQ(ForwardAxis.released & 1, 0);
    EXPECT_EQ(Steps(&ForwardAxis, 7), (std::vector<int32_t>{0, -6, -12, -18, -24, -30, -30}));
    ReleaseViewKey(KeyDown);
    EXPECT_EQ(ForwardAxis.key, 0);
    EXPECT_EQ(ForwardAxis.rate, 3);
    EXPECT_EQ(Steps(&ForwardAxis, 2), (std::vector<int32_t>{-27, -24}));
}

TEST_F(ViewPointTest, ReleasingAKeyThatNeverDroveChangesNothing)
{
    const MotionAxis before = ForwardAxis;
    EXPECT_TRUE(ReleaseViewKey(KeyDown));
    EXPECT_EQ(ForwardAxis.rate, before.rate);
    EXPECT_EQ(ForwardAxis.released, before.released);
    EXPECT_EQ(ForwardAxis.key, before.key);
    EXPECT_EQ(Steps(&ForwardAxis, 2), (std::vector<int32_t>{0, 0}));
}

TEST_F(ViewPointTest, HeightKeysWrapWithinTenBits)
{
    const struct {
        int32_t start, key;
        bool ctrl;
        int32_t expected;
    } cases[] = {
        {1020, KeyA, false, 12}, {5, KeyZ, false, 1013}, {1023, KeyA, true, 0},
        {0, KeyZ, false, 1008},  {0, KeyZ, true, 1023},  {128, KeyA, false, 144},
        {128, KeyZ, true, 127},
    };
    for (const auto& c : cases) {
        ViewPoint.height = c.start;
        EXPECT_TRUE(PressViewKey(c.key, c.ctrl));
        EXPECT_EQ(ViewPoint.height, c.expected) << c.start;
    }
}

TEST_F(ViewPointTest, OtherKeysAreNotHandled)
{
    for (int32_t key : {int32_t(KeyEscape), 0x20, 0x42, 0x70})
        EXPECT_FALSE(PressViewKey(key, false)) << key;
    for (int32_t key : {int32_t(KeyEscape), int32_t(KeyA), int32_t(KeyZ), 0x42})
        EXPECT_FALSE(ReleaseViewKey(key)) << key;
}

TEST_F(ViewPointTest, ForwardMoveFollowsTheAngle)
{
    const struct {
        int32_t angle, distance, dFixedX, dFixedY;
    } cases[] = {
        {0, 30, 0, 30 * 4096},       {256, 30, -30 * 4096, 0},    {512, 30, 0, -30 * 4096},
        {768, 30, 30 * 4096, 0},     {128, 6, -6 * 2896, 6 * 2896}, {128, -6, 6 * 2896, -6 * 2896},
    };
    for (const auto& c : cases) {
        PlaceViewer(100, 100, 128, c.angle);
        AdvanceViewPoint(c.distance);
        EXPECT_EQ(ViewPoint.fixedX, 100 * 4096 + c.dFixedX) << c.angle;
        EXPECT_EQ(ViewPoint.fixedY, 100 * 4096 + c.dFixedY) << c.angle;
        EXPECT_EQ(ViewPoint.x, ViewPoint.fixedX >> 12);
        EXPECT_EQ(ViewPoint.y, ViewPoint.fixedY >> 12);
    }
}

TEST_F(ViewPointTest, FractionsAccumulateAtADiagonal)
{
    PlaceViewer(0, 0, 128, 128);
    for (int i = 0; i < 3; ++i)
        AdvanceViewPoint(6);
    EXPECT_EQ(ViewPoint.fixedX, -3 * 6 * 2896);
    EXPECT_EQ(ViewPoint.fixedY, 3 * 6 * 2896);
    EXPECT_EQ(ViewPoint.x, (-3 * 6 * 2896) >> 12); // floor, not truncation: -13
    EXPECT_EQ(ViewPoint.x, -13);
    EXPECT_EQ(ViewPoint.y, 12);
}

TEST_F(ViewPointTest, AnAngleOutsideOneTurnMovesAsItsLowTenBits)
{
    PlaceViewer(0, 0, 128, 256 + 3 * 1024);
    AdvanceViewPoint(10);
    EXPECT_EQ(ViewPoint.x, -10);
    EXPECT_EQ(ViewPoint.y, 0);
    PlaceViewer(0, 0, 128, -768);
    AdvanceViewPoint(10);
    EXPECT_EQ(ViewPoint.x, -10);
}

TEST_F(ViewPointTest, WorldBoundUndoesTheMoveAndKeepsTheFraction)
{
    // Angle 768 looks toward +x. From 8180.5 a step of 30 would reach 8210.5.
    PlaceViewer(8180, 40, 200, 768);
    ViewPoint.fixedX += 0x800;
    ForwardAxis = {6, 24, 30, 0, KeyUp};
    MoveViewer();
    EXPECT_EQ(ViewPoint.x, 8180);
    EXPECT_EQ(ViewPoint.y, 40);
    EXPECT_EQ(ViewPoint.fixedX, 8180 * 4096 + 0x800);
    EXPECT_EQ(ViewPoint.height, 200);
    EXPECT_EQ(ForwardAxis.velocity, 30); // unchanged by the refusal
    MoveViewer();
    EXPECT_EQ(ViewPoint.x, 8180);

    const struct {
        int32_t x, y, angle, distance;
        bool moves;
    } cases[] = {
        {8190, 0, 768, 1, true},   {8191, 0, 768, 1, false}, {-8191, 0, 256, 1, false},
        {-8190, 0, 256, 1, true},  {0, 8191, 0, 1, false},   {0, -8191, 512, 1, false},
        {0, 8191, 512, 1, true},
    };
    for (const auto& c : cases) {
        PlaceViewer(c.x, c.y, 128, c.angle);
        ViewPoint.savedX = c.x;
        ViewPoint.savedY = c.y;
        ViewPoint.savedHeight = 128;
        ViewPoint.savedAngle = c.angle;
        AdvanceViewPoint(c.distance);
        EXPECT_EQ(ViewPoint.x != c.x || ViewPoint.y != c.y, c.moves) << c.x << "," << c.y;
    }
}

TEST_F(ViewPointTest, TheTurnOfAFrameComesAfterItsMove)
{
    PlaceViewer(0, 0, 128, 0);
    ForwardAxis = {6, 24, 30, 0, KeyUp}; // 30 after this frame's step
    TurnAxis = {4, 252, 256, 0, KeyLeft}; // 256 after this frame's step
    MoveViewer();
    EXPECT_EQ(ViewPoint.x, 0);
    EXPECT_EQ(ViewPoint.y, 30);
    EXPECT_EQ(ViewPoint.angle, 256);
    EXPECT_EQ(ViewPoint.savedY, 0);
    MoveViewer();
    EXPECT_EQ(ViewPoint.x, -30);
    EXPECT_EQ(ViewPoint.angle, 512);
}

TEST_F(ViewPointTest, AngleWrapsModuloOneTurn)
{
    PlaceViewer(0, 0, 128, 1020);
    PressViewKey(KeyLeft, false);
    MoveViewer();
    MoveViewer();
    EXPECT_EQ(ViewPoint.angle, (1020 + 4 + 8) & 1023);
    PlaceViewer(0, 0, 128, 2);
    TurnAxis = {};
    PressViewKey(KeyRight, false);
    MoveViewer();
    EXPECT_EQ(ViewPoint.angle, 1022);
}

} // namespace
