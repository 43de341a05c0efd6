// The sound bank: loading the five effects, the interruption rule, and the release.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "sound/sound.h"
#include "win32/sound/win32_sound.h"

namespace {

// A player that behaves as the platform's does with SND_NOSTOP: a request fails while
// another sound is playing. "Playing" lasts until a stop or a new sound.
struct Call {
    const void* image;
    DWORD flags;
};
std::vector<Call> Calls;
const void* Playing = nullptr;

BOOL WINAPI FakePlay(LPCSTR sound, HMODULE, DWORD flags)
{
    Calls.push_back({sound, flags});
    if (!sound) {
        Playing = nullptr;
        return TRUE;
    }
    if ((flags & SND_NOSTOP) && Playing)
        return FALSE;
    Playing = sound;
    return TRUE;
}

constexpr DWORD Stop = SND_ASYNC | SND_NODEFAULT;
constexpr DWORD TryPlay = SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_NOSTOP;
constexpr DWORD CutIn = SND_ASYNC | SND_NODEFAULT | SND_MEMORY;

class SoundBank : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = PlaySoundFunction;
        PlaySoundFunction = FakePlay;
        GetCurrentDirectoryA(MAX_PATH, previous);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quarvel-sound-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        SetCurrentDirectoryA(dir.c_str());
        CreateDirectoryA("snd", nullptr);
        // Slots 0, 2, 3 and 4 have files; slot 1 is missing.
        for (int slot : {0, 2, 3, 4})
            WriteEffect(slot, 100 + slot);
        allocs = AllocCount;
        releases = ReleaseCount;
        ASSERT_EQ(LoadSoundBank(), 0);
        PlayEffect(-1); // start every test from "nothing requested"
        Calls.clear();
        Playing = nullptr;
    }
    void TearDown() override
    {
        FreeSoundBank();
        for (int slot = 0; slot < 5; ++slot)
            DeleteFileA(Name(slot).c_str());
        RemoveDirectoryA("snd");
        SetCurrentDirectoryA(previous);
        RemoveDirectoryA(dir.c_str());
        PlaySoundFunction = saved;
    }
    static std::string Name(int slot)
    {
        char name[32];
        std::snprintf(name, sizeof name, "snd\\qrvl%02d.wav", slot);
        return name;
    }
    static void WriteEffect(int slot, int size)
    {
        FILE* f = std::fopen(Name(slot).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (int i = 0; i < size; ++i)
            std::fputc(slot * 16 + (i & 15), f);
        std::fclose(f);
    }
    BOOL(WINAPI* saved)(LPCSTR, HMODULE, DWORD);
    char previous[MAX_PATH];
    std::string dir;
    uint32_t allocs, releases;
};

TEST_F(SoundBank, LoadsEveryFileThatExistsAndLeavesTheRestEmpty)
{
    EXPECT_EQ(AllocCount - allocs, 4u);
    EXPECT_EQ(SoundSlotImage(1), nullptr);
    for (int slot : {0, 2, 3, 4}) {
        const auto* image = static_cast<const uint8_t*>(SoundSlotImage(slot));
        ASSERT_NE(image, nullptr) << slot;
        EXPECT_EQ(image[0], slot * 16);
        EXPECT_EQ(image[99 + slot], slot * 16 + ((99 + slot) & 15));
    }
    EXPECT_EQ(SoundSlotImage(5), nullptr);
    EXPECT_EQ(SoundSlotImage(-1), nullptr);
}

TEST_F(SoundBank, ARepeatedRequestWhilePlayingIsDropped)
{
    for (int i = 0; i < 5; ++i)
        PlayEffect(3);
    // The first plays; each repeat fails against the playing sound and is not retried.
    ASSERT_EQ(Calls.size(), 5u);
    EXPECT_EQ(Calls[0].image, SoundSlotImage(3));
    for (const Call& c : Calls)
        EXPECT_EQ(c.flags, TryPlay);
    EXPECT_EQ(Playing, SoundSlotImage(3));
}

TEST_F(SoundBank, AnotherEffectCutsThePlayingOneOff)
{
    PlayEffect(3);
    Calls.clear();
    EXPECT_EQ(PlayEffect(0), 3);
    ASSERT_EQ(Calls.size(), 3u);
    EXPECT_EQ(Calls[0].flags, TryPlay);
    EXPECT_EQ(Calls[1].image, nullptr);
    EXPECT_EQ(Calls[1].flags, Stop);
    EXPECT_EQ(Calls[2].image, SoundSlotImage(0));
    EXPECT_EQ(Calls[2].flags, CutIn);
    EXPECT_EQ(Playing, SoundSlotImage(0));
}

TEST_F(SoundBank, StopAndEmptySlotsStopWhatPlays)
{
    PlayEffect(4);
    EXPECT_EQ(PlayEffect(-1), 4);
    EXPECT_EQ(Playing, nullptr);
    PlayEffect(2);
    EXPECT_EQ(PlayEffect(1), 2); // slot 1 has no file: its request stops the effect
    EXPECT_EQ(Playing, nullptr);
    EXPECT_EQ(Calls.back().image, nullptr);
    EXPECT_EQ(Calls.back().flags, Stop);
}

TEST_F(SoundBank, AfterAStopTheSameSlotCountsAsANewEffect)
{
    PlayEffect(3);
    PlayEffect(-1);
    Playing = SoundSlotImage(0); // something else still sounds
    Calls.clear();
    EXPECT_EQ(PlayEffect(3), -1);
    ASSERT_EQ(Calls.size(), 3u); // failed try, stop, cut in: -1 differs from 3
    EXPECT_EQ(Playing, SoundSlotImage(3));
}

TEST_F(SoundBank, ReleaseStopsPlaybackFirstAndBalancesTheBlocks)
{
    PlayEffect(4);
    Calls.clear();
    EXPECT_EQ(FreeSoundBank(), 0);
    ASSERT_FALSE(Calls.empty());
    EXPECT_EQ(Calls[0].image, nullptr); // nothing plays from an image about to be released
    EXPECT_EQ(ReleaseCount - releases, 4u);
    EXPECT_EQ(SoundSlotImage(4), nullptr);
    EXPECT_EQ(FreeSoundBank(), -1);
    EXPECT_EQ(ReleaseCount - releases, 4u);
}

} // namespace

// Each image refused its memory in turn: that slot stays empty and silent, the others load.
TEST_F(SoundBank, ARefusedImageLeavesOnlyItsSlotEmpty)
{
    const int files[] = {0, 2, 3, 4};
    for (int k = 1; k <= 4; ++k) {
        FreeSoundBank();
        FailAllocationAt(uint32_t(k));
        ASSERT_EQ(LoadSoundBank(), 0);
        FailAllocationAt(0);
        for (const int slot : files)
            EXPECT_EQ(SoundSlotImage(slot) == nullptr, slot == files[k - 1]) << k << " " << slot;
        Calls.clear();
        PlayEffect(files[k - 1]);
        EXPECT_TRUE(Playing == nullptr) << k;
    }
    FreeSoundBank();
    EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
}
