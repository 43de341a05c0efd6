// The target's pulse, trigger, flight, explosion and respawn, the generator and IntSqrt.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sound/sound.h"
#include "world/objects.h"
#include "world/target.h"
#include "world/viewpoint.h"

namespace {

SceneObject& Target()
{
    return SceneObjectTable[0];
}

std::vector<int> Sounds()
{
    return std::vector<int>(EffectLog, EffectLog + EffectLogCount);
}

void ResetAll()
{
    ResetSceneObjects();
    ResetTarget();
    ViewPoint = {};
    PlaceViewer(0, 0, 128, 0);
    ClearEffectLog();
}

// One frame as far as the target is concerned: the object step, then the sequence.
void Frame()
{
    StepObjects();
    UpdateTarget();
}

class TargetTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }
};

TEST_F(TargetTest, PulseRunsUpAndDownWithAPeriodOfThirtyTwo)
{
    PlaceViewer(5000, 5000, 128, 0);
    const int16_t expected[33] = { 80, 96, 112, 128, 144, 160, 176, 192, 208, 224, 240, 256, 272, 288, 304,
        320, 304, 288, 272, 256, 240, 224, 208, 192, 176, 160, 144, 128, 112, 96, 80, 64, 80 };
    for (int frame = 0; frame < 33; ++frame) {
        UpdateTarget();
        EXPECT_EQ(Target().width, expected[frame]) << frame;
        EXPECT_EQ(Target().height, expected[frame]) << frame;
        EXPECT_EQ(TargetState, uint32_t(frame + 1));
    }
    EXPECT_EQ(EffectLogCount, 0);
}

struct TriggerCase {
    const char* name;
    int32_t vx, vy; // target rests at (0, 400); the first pulse is 80 wide: -40..39 by 360..439
    bool fires;
};

class TargetTriggerTest : public TargetTest, public ::testing::WithParamInterface<TriggerCase> { };

const TriggerCase TriggerCases[] = {
    { "RightEdge", 39, 400, true },
    { "OneRightOfEdge", 40, 400, false },
    { "LeftEdge", -40, 400, true },
    { "OneLeftOfEdge", -41, 400, false },
    { "HighEdge", 0, 439, true },
    { "OneAboveHighEdge", 0, 440, false },
    { "FarAway", -5000, 8000, false },
};

TEST_P(TargetTriggerTest, FiresOnlyInsideTheNewSize)
{
    const TriggerCase& c = GetParam();
    PlaceViewer(c.vx, c.vy, 128, 0);
    UpdateTarget();
    if (c.fires) {
        EXPECT_EQ(TargetState, 0x8001u); // step 0 runs in the trigger frame
        EXPECT_EQ(Sounds(), std::vector<int> { 0 });
    } else {
        EXPECT_EQ(TargetState, 1u);
        EXPECT_EQ(EffectLogCount, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Target, TargetTriggerTest, ::testing::ValuesIn(TriggerCases),
    [](const ::testing::TestParamInfo<TriggerCase>& info) { return std::string(info.param.name); });

TEST_F(TargetTest, GrowingPulseCatchesAViewerStandingJustOutside)
{
    PlaceViewer(44, 400, 128, 0); // outside 80 (right edge 39), inside 96 (right edge 47)
    UpdateTarget();
    EXPECT_EQ(TargetState, 1u);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8001u);
    EXPECT_EQ(Target().width, 96);
    EXPECT_EQ(Sounds(), std::vector<int> { 0 });
}

TEST_F(TargetTest, WholeSequenceFrameByFrame)
{
    // The viewer stands 20 below the centre, so the target flies straight toward +y.
    PlaceViewer(0, 380, 128, 0);
    Frame();
    ASSERT_EQ(TargetState, 0x8001u);
    EXPECT_EQ(Target().dx, 0);
    EXPECT_EQ(Target().dy, 64);
    EXPECT_EQ(Target().z, 160);
    EXPECT_EQ(Target().width, 80);
    EXPECT_EQ(Sounds(), std::vector<int> { 0 });
    PlaceViewer(-3000, -3000, 128, 0); // out of the way for the rest

    struct ArcPoint {
        int32_t k, z;
    };
    const ArcPoint arc[] = { { 0, 160 }, { 30, 1847 }, { 60, 160 }, { 61, 46 }, { 62, -72 }, { 63, -194 } };
    int16_t highest = -32768;
    for (uint32_t s = 1; s <= 64; ++s) {
        Frame();
        ASSERT_EQ(TargetState, 0x8000u + s + 1);
        EXPECT_EQ(Target().y, 400 + 64 * int32_t(s)) << s;
        EXPECT_EQ(Target().x, 0);
        EXPECT_EQ(Target().bitmap, 31);
        EXPECT_EQ(Target().width, 80); // the pulse size of the trigger frame stays
        EXPECT_EQ(Target().dz, 0);
        if (Target().z > highest)
            highest = Target().z;
        for (const ArcPoint& p : arc) {
            if (p.k == int32_t(s) - 1) {
                EXPECT_EQ(Target().z, p.z) << "k=" << p.k;
            }
        }
    }
    EXPECT_EQ(highest, 1847);
    EXPECT_EQ(Sounds(), std::vector<int> { 0 });

    // Step 65: the explosion, after the 65th move.
    Frame();
    EXPECT_EQ(Target().y, 400 + 64 * 65);
    EXPECT_EQ(Target().bitmap, 24);
    EXPECT_EQ(Target().z, 300);
    EXPECT_EQ(Target().width, 726);
    EXPECT_EQ(Target().height, 630);
    EXPECT_EQ(Target().dx, 0);
    EXPECT_EQ(Target().dy, 0);
    EXPECT_EQ(Sounds(), (std::vector<int> { 0, 4 }));

    const int16_t pictures[] = { 24, 25, 25, 26, 26, 27, 27, 28, 28, 29, 29, 30, 30 }; // steps 66..78
    for (int16_t picture : pictures) {
        Frame();
        EXPECT_EQ(Target().bitmap, picture) << TargetState;
        EXPECT_EQ(Target().flags, 0);
    }
    EXPECT_EQ(TargetState, 0x8000u + 79);

    Frame(); // step 79
    EXPECT_EQ(Target().flags, ObjectHidden);
    for (uint32_t s = 80; s <= 199; ++s) {
        SceneObjectTable[0].flags |= ObjectVisible; // as if drawn: the step must clear it
        Frame();
        EXPECT_EQ(Target().flags, ObjectHidden) << s;
        EXPECT_EQ(TargetState, 0x8000u + s + 1);
    }
    EXPECT_EQ(Target().y, 400 + 64 * 65); // hidden, so never moved
    EXPECT_EQ(Target().bitmap, 30);
    EXPECT_EQ(Sounds(), (std::vector<int> { 0, 4 }));

    Frame(); // step 200: respawn
    EXPECT_EQ(TargetState, 0u);
    EXPECT_EQ(Target().flags, 0);
    EXPECT_EQ(Target().bitmap, 31);
    EXPECT_EQ(Target().width, 64);
    EXPECT_EQ(Target().height, 64);
    EXPECT_EQ(Target().z, 160);
    EXPECT_EQ(Target().x, 41);
    EXPECT_EQ(Target().y, 35);
    EXPECT_EQ(Sounds(), (std::vector<int> { 0, 4, 2 }));

    Frame(); // the pulse starts again from 0
    EXPECT_EQ(TargetState, 1u);
    EXPECT_EQ(Target().width, 80);
}

TEST_F(TargetTest, HiddenTargetIgnoresAViewerOnItsCentre)
{
    TargetState = 0x8000u + 100;
    Target().flags = ObjectHidden;
    PlaceViewer(Target().x, Target().y, 128, 0);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8000u + 101);
    EXPECT_EQ(EffectLogCount, 0);
}

TEST_F(TargetTest, FirstTwoRespawnPlacesAreFixed)
{
    PlaceViewer(5000, 5000, 128, 0);
    TargetState = 0x8000u + 200;
    UpdateTarget();
    EXPECT_EQ(Target().x, 41);
    EXPECT_EQ(Target().y, 35);
    TargetState = 0x8000u + 250; // any step from 200 on respawns
    UpdateTarget();
    EXPECT_EQ(Target().x, 190);
    EXPECT_EQ(Target().y, 900);
    EXPECT_EQ(Sounds(), (std::vector<int> { 2, 2 }));
}

struct RespawnCase {
    const char* name;
    int32_t vx, vy;
    int16_t x, y;
    int draws; // draws taken from the generator
};

class TargetRespawnTest : public TargetTest, public ::testing::WithParamInterface<RespawnCase> { };

const RespawnCase RespawnCases[] = {
    { "OntoTheViewerIsDrawnAgain", 41, 35, 190, 900, 4 },
    { "SameXOnlyIsAccepted", 41, 36, 41, 35, 2 },
    { "SameYOnlyIsAccepted", 40, 35, 41, 35, 2 },
};

TEST_P(TargetRespawnTest, AvoidsOnlyTheViewersExactSpot)
{
    const RespawnCase& c = GetParam();
    PlaceViewer(c.vx, c.vy, 128, 0);
    TargetState = 0x8000u + 200;
    UpdateTarget();
    EXPECT_EQ(Target().x, c.x);
    EXPECT_EQ(Target().y, c.y);

    // The generator is never reseeded: it must have advanced by exactly the draws taken.
    const uint32_t after = RandomState;
    RandomState = 1;
    for (int i = 0; i < c.draws; ++i)
        NextRandom();
    EXPECT_EQ(after, RandomState);
}

INSTANTIATE_TEST_SUITE_P(Target, TargetRespawnTest, ::testing::ValuesIn(RespawnCases),
    [](const ::testing::TestParamInfo<RespawnCase>& info) { return std::string(info.param.name); });

TEST_F(TargetTest, GeneratorFollowsItsRecurrence)
{
    EXPECT_EQ(NextRandom(), 41); // 1 * 214013 + 2531011 = 2745024, and 2745024 >> 16 = 41
    EXPECT_EQ(RandomState, 2745024u);
    EXPECT_EQ(NextRandom(), 18467);
}

TEST_F(TargetTest, CountingIntoTheFlagStartsASilentSequence)
{
    PlaceViewer(0, 1000, 128, 0); // never inside, so only the count can set the flag
    for (int frame = 0; frame < 32767; ++frame)
        UpdateTarget();
    ASSERT_EQ(TargetState, 0x7FFFu);
    EXPECT_EQ(EffectLogCount, 0);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8001u);
    EXPECT_EQ(Target().width, 64);
    EXPECT_EQ(Target().dx, 0);
    EXPECT_EQ(Target().dy, -64); // away from the viewer above it
    EXPECT_EQ(EffectLogCount, 0);
}

struct FlightCase {
    const char* name;
    int32_t offX, offY; // target centre minus viewer
    int16_t dx, dy;
};

class TargetFlightTest : public TargetTest, public ::testing::WithParamInterface<FlightCase> { };

const FlightCase FlightCases[] = {
    { "Right", 1, 0, 64, 0 },
    { "ThreeFourFive", 30, 40, 38, 51 }, // 480, 640: d = 800
    { "ThreeFourFiveNegative", -30, -40, -38, -51 }, // truncation toward zero
    { "Diagonal", 1, 1, 46, 46 }, // 16, 16: d = 22
    { "OnTheCentreFliesTowardPlusY", 0, 0, 0, 64 },
    // Only a sequence started by the wrapping count meets a viewer this far away.
    { "SquareWouldWrapToZero", 4096, 0, 64, 0 }, // (65536)^2 is 0 in 32 bits
    { "DiagonalOverflows", 8191, 8191, 45, 45 },
    { "HugeConfiguredPosition", 0, 2000000400, 0, 64 },
};

TEST_P(TargetFlightTest, FliesAwayFromTheViewer)
{
    const FlightCase& c = GetParam();
    PlaceViewer(Target().x - c.offX, Target().y - c.offY, 128, 0);
    TargetState = 0x8000; // step 0, however it was reached
    UpdateTarget();
    ASSERT_EQ(TargetState, 0x8001u);
    EXPECT_EQ(Target().dx, c.dx);
    EXPECT_EQ(Target().dy, c.dy);
}

INSTANTIATE_TEST_SUITE_P(Target, TargetFlightTest, ::testing::ValuesIn(FlightCases),
    [](const ::testing::TestParamInfo<FlightCase>& info) { return std::string(info.param.name); });

TEST_F(TargetTest, TriggerOnTheCentreFliesTowardPlusY)
{
    PlaceViewer(Target().x, Target().y, 128, 0);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8001u);
    EXPECT_EQ(Target().dx, 0);
    EXPECT_EQ(Target().dy, 64);
    EXPECT_EQ(Sounds(), std::vector<int> { 0 });
}

TEST(TargetIntSqrt, KnownValues)
{
    struct Row {
        uint32_t n, r;
    };
    const Row rows[] = { { 0, 0 }, { 1, 1 }, { 2, 1 }, { 3, 1 }, { 4, 2 }, { 8, 2 }, { 9, 3 }, { 65535, 255 },
        { 65536, 256 }, { 4294836224u, 65534 }, { 4294836225u, 65535 }, { 4294967295u, 65535 } };
    for (const Row& row : rows)
        EXPECT_EQ(IntSqrt(row.n), row.r) << row.n;
}

bool IsFloorRoot(uint32_t n, uint32_t r)
{
    const uint64_t r64 = r;
    return r64 * r64 <= n && (r64 + 1) * (r64 + 1) > n;
}

TEST(TargetIntSqrt, MatchesBruteForce)
{
    for (uint32_t n = 0; n < 300000; ++n)
        ASSERT_TRUE(IsFloorRoot(n, IntSqrt(n))) << n;
    // Around every square near the top, where the intermediate squares are largest.
    for (uint32_t r = 60000; r <= 65535; ++r) {
        const uint32_t sq = r * r;
        for (uint32_t n : { sq - 1, sq, sq + 1, sq + 2 * r })
            ASSERT_TRUE(IsFloorRoot(n, IntSqrt(n))) << n;
    }
}

} // namespace
