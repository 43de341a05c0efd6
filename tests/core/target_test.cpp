// The target's pulse, trigger, flight, respawn and silent start, and IntSqrt; the whole
// sequence frame by frame is the target golden replay's.
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

class TargetTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        ResetSceneObjects();
        ResetTarget();
        ViewPoint = {};
        PlaceViewer(0, 0, 128, 0);
        ClearEffectLog();
    }
};

// The target rests at (0, 400); the first pulse is 80 wide (-40..39 by 360..439), the second 96.
TEST_F(TargetTest, FiresOnlyInsideTheNewSize)
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
    TargetState = 0x8000u + 100; // hidden in its pause, the target ignores a viewer on its centre
    Target().flags = ObjectHidden;
    PlaceViewer(Target().x, Target().y, 128, 0);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8000u + 101);
    EXPECT_EQ(Sounds(), std::vector<int> { 0 });
}

TEST_F(TargetTest, FliesAwayFromTheViewer)
{
    const struct {
        int32_t offX, offY; // target centre minus viewer
        int16_t dx, dy;
    } cases[] = { { 1, 0, 64, 0 }, { 30, 40, 38, 51 }, { -30, -40, -38, -51 }, { 1, 1, 46, 46 },
        { 0, 0, 0, 64 }, { 4096, 0, 64, 0 }, { 8191, 8191, 45, 45 }, { 0, 2000000400, 0, 64 } };
    for (const auto& c : cases) {
        PlaceViewer(Target().x - c.offX, Target().y - c.offY, 128, 0);
        TargetState = 0x8000; // step 0, however it was reached
        UpdateTarget();
        ASSERT_EQ(TargetState, 0x8001u);
        EXPECT_EQ(Target().dx, c.dx) << c.offX << "," << c.offY;
        EXPECT_EQ(Target().dy, c.dy) << c.offX << "," << c.offY;
    }
}

// The first places drawn are (41, 35) and (190, 900); only the viewer's exact spot is drawn again.
TEST_F(TargetTest, RespawnAvoidsOnlyTheViewersExactSpot)
{
    const struct {
        int32_t vx, vy;
        int16_t x, y;
        int draws; // draws taken from the generator
    } cases[] = { { 41, 35, 190, 900, 4 }, { 41, 36, 41, 35, 2 }, { 40, 35, 41, 35, 2 } };
    for (const auto& c : cases) {
        SetUp();
        PlaceViewer(c.vx, c.vy, 128, 0);
        TargetState = 0x8000u + 200 + c.draws; // any step from 200 on respawns
        UpdateTarget();
        EXPECT_EQ((std::vector<int32_t> { Target().x, Target().y, Target().z, Target().bitmap, Target().flags,
                      int32_t(TargetState) }),
            (std::vector<int32_t> { c.x, c.y, 160, 31, 0, 0 }));
        EXPECT_EQ(Sounds(), std::vector<int> { 2 });
        const uint32_t after = RandomState; // never reseeded: advanced by exactly the draws taken
        RandomState = 1;
        for (int i = 0; i < c.draws; ++i)
            NextRandom();
        EXPECT_EQ(after, RandomState);
    }
    RandomState = 1;
    EXPECT_EQ(NextRandom(), 41); // 1 * 214013 + 2531011 = 2745024, and 2745024 >> 16 = 41
}

TEST_F(TargetTest, CountingIntoTheFlagStartsASilentSequence)
{
    PlaceViewer(0, 1000, 128, 0); // never inside, so only the count can set the flag
    for (int frame = 0; frame < 32767; ++frame)
        UpdateTarget();
    ASSERT_EQ(TargetState, 0x7FFFu);
    UpdateTarget();
    EXPECT_EQ(TargetState, 0x8001u);
    EXPECT_EQ(Target().width, 64);
    EXPECT_EQ(Target().dy, -64); // away from the viewer above it
    EXPECT_EQ(EffectLogCount, 0);
}

TEST(TargetIntSqrt, MatchesBruteForce)
{
    auto isFloorRoot = [](uint32_t n, uint64_t r) { return r * r <= n && (r + 1) * (r + 1) > n; };
    for (uint32_t n = 0; n < 300000; ++n)
        ASSERT_TRUE(isFloorRoot(n, IntSqrt(n))) << n;
    // Around every square near the top, where the intermediate squares are largest.
    for (uint32_t r = 60000; r <= 65535; ++r)
        for (uint32_t n : { r * r - 1, r * r, r * r + 1, r * r + 2 * r })
            ASSERT_TRUE(isFloorRoot(n, IntSqrt(n))) << n;
    EXPECT_EQ(IntSqrt(4294967295u), 65535u);
}

} // namespace
