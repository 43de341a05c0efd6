// The sound bank: loading the five effects, the interruption rule, and the release.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/alloc.h"
#include "sound/sound.h"
#include "win32/sound/win32_sound.h"

namespace {

// A player that fails a SND_NOSTOP request while another sound plays, as the platform's does; calls are
// logged as "try N" (SND_NOSTOP), "cut N" (without it) and "stop", N the slot of the image.
using Calls = std::vector<std::string>;
Calls Played;
const void* Playing = nullptr;
const DWORD Flags = SND_ASYNC | SND_NODEFAULT;

BOOL WINAPI FakePlay(LPCSTR sound, HMODULE, DWORD flags)
{
    int slot = 0;
    while (slot < 5 && SoundSlotImage(slot) != sound)
        ++slot;
    const bool tries = flags == (Flags | SND_MEMORY | SND_NOSTOP), cuts = flags == (Flags | SND_MEMORY);
    Played.push_back(!sound ? (flags == Flags ? "stop" : "odd flags")
            : tries || cuts ? (tries ? "try " : "cut ") + std::to_string(slot)
                            : "odd flags");
    return sound && tries && Playing ? FALSE : (Playing = sound, TRUE);
}

// In snd beside the test program, slots 0, 2, 3 and 4 have files of 100 + slot bytes; slot 1 has none.
class SoundBank : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = std::exchange(PlaySoundFunction, FakePlay);
        CreateDirectoryA("snd", nullptr);
        for (int slot : { 0, 2, 3, 4 }) {
            FILE* f = std::fopen(Name(slot).c_str(), "wb");
            for (int i = 0; i < 100 + slot; ++i)
                std::fputc(slot * 16 + (i & 15), f);
            std::fclose(f);
        }
        allocs = AllocCount, releases = ReleaseCount;
        ASSERT_EQ(LoadSoundBank(), 0);
        PlayEffect(-1); // every test starts from "nothing requested"
        Played.clear(), Playing = nullptr;
    }
    void TearDown() override
    {
        FreeSoundBank();
        for (int slot = 0; slot < 5; ++slot)
            DeleteFileA(Name(slot).c_str());
        RemoveDirectoryA("snd");
        PlaySoundFunction = saved;
    }
    static std::string Name(int slot) { return "snd\\qrvl0" + std::to_string(slot) + ".wav"; }
    BOOL(WINAPI* saved)(LPCSTR, HMODULE, DWORD);
    uint32_t allocs, releases;
};

// The bank's requests as PlaySoundA calls: a try fails while another effect plays, so a repeat is
// dropped and another effect is cut in after a stop (the rule itself: tests/core/sound_bank_test.cpp).
// Every file is loaded whole (k = 0) or, the k-th image refused its memory, all but that silent slot;
// the release stops playback first and gives every block back.
TEST_F(SoundBank, RequestsBecomeTheseCallsAndEveryImageButARefusedOneLoadsAndIsReleasedAfterAStop)
{
    for (int slot : { 3, 3, 0, -1 })
        PlayEffect(slot);
    EXPECT_EQ(Played, (Calls { "try 3", "try 3", "try 0", "stop", "cut 0", "stop" }));
    EXPECT_EQ(Playing, nullptr);
    const int files[] = { 0, 2, 3, 4 };
    for (int k = 0; k <= 4; ++k) {
        FreeSoundBank();
        FailAllocationAt(uint32_t(k));
        ASSERT_EQ(LoadSoundBank(), 0);
        FailAllocationAt(0);
        for (int slot = -1; slot <= 5; ++slot) {
            const auto* image = static_cast<const uint8_t*>(SoundSlotImage(slot));
            const bool loaded = (slot == 0 || (slot >= 2 && slot <= 4)) && (!k || slot != files[k - 1]);
            ASSERT_EQ(image != nullptr, loaded) << k << " " << slot;
            EXPECT_TRUE(
                !image || (image[0] == slot * 16 && image[99 + slot] == slot * 16 + ((99 + slot) & 15)));
        }
        PlayEffect(k ? files[k - 1] : 1);
        EXPECT_EQ(Playing, nullptr) << k;
    }
    PlayEffect(3); // slot 4 is the one left empty
    Played.clear();
    EXPECT_EQ(FreeSoundBank(), 0);
    EXPECT_EQ(Played, Calls { "stop" }); // nothing plays from an image about to go
    EXPECT_EQ(FreeSoundBank(), -1);
    EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
}

} // namespace
