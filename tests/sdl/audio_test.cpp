// The SDL2_mixer player under the sound bank, on SDL's dummy audio device (which plays in real
// time): a channel-finished hook counts every effect that ends, cut off or played out.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "sdl/audio.h"
#include "sound/sound.h"

namespace {

int Ended = 0;

TEST(SdlPlayer, PlaysCutsStopsAndReleasesWhatTheBankAsks)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "quarvel-sdl-player", previous = fs::current_path();
    ASSERT_EQ(std::system(("'" QUARVEL_TOOL "' mkdata '" + folder.string() + "' >/dev/null").c_str()), 0);
    fs::remove(folder / "snd/qrvl02.wav"); // slot 2 stays empty
    fs::current_path(folder);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    OpenAudio(false);
    ASSERT_NE(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "no dummy audio device";
    Mix_ChannelFinished([](int) { ++Ended; });
    LoadSoundBank();
    EXPECT_EQ(SoundSlotImage(2), nullptr);
    // slot requested; effects ended so far; whether one plays after it
    const int steps[][3]
        = { { 1, 0, 1 }, { 1, 0, 1 }, { 3, 1, 1 }, { 2, 2, 0 }, { 4, 2, 1 }, { -1, 3, 0 }, { 0, 3, 1 } };
    for (const auto& [slot, ended, playing] : steps) {
        PlayEffect(slot);
        EXPECT_EQ(Ended, ended) << "slot " << slot;
        EXPECT_EQ(Mix_Playing(0), playing) << "slot " << slot;
    }
    for (int wait = 0; wait < 300 && Mix_Playing(0); ++wait)
        SDL_Delay(10);
    ASSERT_EQ(Ended, 4) << "the trigger sound did not play out within 3 s";
    PlayEffect(0); // the same slot again, now that it has ended
    EXPECT_TRUE(Mix_Playing(0));
    FreeSoundBank(); // halts the channel before freeing what it plays
    EXPECT_EQ(Ended, 5);
    CloseAudio();
    fs::current_path(previous);
    fs::remove_all(folder);
}

} // namespace
