// The sound bank over a player that plays one effect at a time, as the platforms' players do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/effect_player.h"
#include "sound/sound.h"

// The core tests' player, the seam's one implementation here: effects are the slot numbers of the
// files named (slot 1 has none); calls are logged as "try N" (only if idle), "cut N", "free N", "stop".
static std::vector<std::string> Played;
static int Effects[5] = { 0, 1, 2, 3, 4 };
static const void* Playing = nullptr;
static std::string Slot(const void* effect)
{
    return std::to_string(static_cast<const int*>(effect) - Effects);
}

void* LoadEffect(const char* path)
{
    const int slot = std::string(path).rfind("snd\\qrvl0", 0) == 0 ? path[9] - '0' : -1;
    return slot >= 0 && slot < 5 && slot != 1 ? &Effects[slot] : nullptr;
}
void FreeEffect(void* effect)
{
    Played.push_back("free " + Slot(effect));
}
bool StartEffectIfIdle(const void* effect)
{
    return Played.push_back("try " + Slot(effect)), Playing ? false : (Playing = effect, true);
}
void StartEffect(const void* effect)
{
    Played.push_back("cut " + Slot(effect)), Playing = effect;
}
void StopEffects()
{
    Played.push_back("stop"), Playing = nullptr;
}

using Calls = std::vector<std::string>;

namespace {

// A repeat of the playing effect is dropped; another effect cuts it off; a stop or an empty slot
// stops it, after which the same slot counts as a new effect. -2 stands for a sound from elsewhere.
TEST(SoundBank, TheInterruptionRuleAndTheRelease)
{
    ASSERT_EQ(LoadSoundBank(), 0);
    // calls: of the last request; previous: its result; playing: the slot playing after it (-1: none)
    const struct {
        std::vector<int> requests;
        Calls calls;
        int previous, playing;
    } cases[] = { { { 3, 3, 3 }, { "try 3" }, 3, 3 }, { { 3, 0 }, { "try 0", "cut 0" }, 3, 0 },
        { { 4, -1 }, { "stop" }, 4, -1 }, { { 2, 1 }, { "stop" }, 2, -1 },
        { { 3, -1, -2, 3 }, { "try 3", "cut 3" }, -1, 3 }, { { 5 }, { "stop" }, -1, -1 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.requests));
        PlayEffect(-1);
        int previous = 0;
        for (int request : c.requests) {
            Played.clear();
            if (request == -2)
                Playing = SoundSlotImage(0);
            else
                previous = PlayEffect(request);
        }
        EXPECT_EQ(Played, c.calls);
        EXPECT_TRUE(previous == c.previous && Playing == SoundSlotImage(c.playing)) << previous;
    }
    ClearEffectLog(); // the log keeps the first 64 requests
    for (int i = 0; i < 70; ++i)
        PlayEffect(i % 5);
    EXPECT_TRUE(EffectLogCount == EffectLogCapacity && EffectLog[EffectLogCapacity - 1] == 3)
        << EffectLogCount;
    Played.clear();
    EXPECT_EQ(FreeSoundBank(), 0);
    EXPECT_EQ(Played, (Calls { "stop", "free 0", "free 2", "free 3", "free 4" })); // stopped before they go
    EXPECT_EQ(FreeSoundBank(), -1);
    EXPECT_EQ(SoundSlotImage(0), nullptr);
}

} // namespace
