// The native effect bank on SDL's dummy audio device, which plays in real time: which requests
// start, keep, cut off or stop an effect. A channel-finished hook counts every effect that ends.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "sdl/audio.h"
#include "sound/sound.h"

namespace {

namespace fs = std::filesystem;

int Ended = 0;
void OnEnded(int)
{
    ++Ended;
}

class SdlAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("quarvel-sdl-audio-" + std::to_string(getpid()));
        const std::string make
            = std::string("'") + QUARVEL_TOOL + "' mkdata '" + folder_.string() + "' >/dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0);
        fs::remove(folder_ / "snd/qrvl02.wav"); // slot 2 stays empty
        previous_ = fs::current_path();
        fs::current_path(folder_);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        OpenAudio(false);
        ASSERT_NE(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "no dummy audio device";
        Mix_ChannelFinished(OnEnded);
        LoadSoundBank();
        Ended = 0;
    }
    void TearDown() override
    {
        FreeSoundBank();
        CloseAudio();
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    fs::path folder_, previous_;
};

TEST_F(SdlAudio, RequestsKeepCutOrStopTheEffect)
{
    const struct {
        int slot;
        int previous; // what PlayEffect answers: the slot requested before
        int ended; // effects ended so far
        bool playing;
    } steps[] = {
        { 1, -1, 0, true }, // start-up sound
        { 1, 1, 0, true }, // the same again while it plays: it goes on, not from the start
        { 3, 1, 1, true }, // another cuts it off
        { 2, 3, 2, false }, // an empty slot only stops
        { 4, 2, 2, true },
        { 5, 4, 3, false }, // slots beyond the five are empty ones
        { 0, 5, 3, true },
        { -1, 0, 4, false }, // the stop request
        { -1, -1, 4, false },
    };
    for (const auto& s : steps) {
        EXPECT_EQ(PlayEffect(s.slot), s.previous) << "slot " << s.slot;
        EXPECT_EQ(Ended, s.ended) << "slot " << s.slot;
        EXPECT_EQ(Mix_Playing(0) != 0, s.playing) << "slot " << s.slot;
    }
}

TEST_F(SdlAudio, AnEffectThatHasEndedStartsAgain)
{
    PlayEffect(0);
    for (int wait = 0; wait < 300 && Mix_Playing(0); ++wait)
        SDL_Delay(10);
    ASSERT_EQ(Ended, 1) << "the trigger sound did not end within 3 s";
    PlayEffect(0);
    EXPECT_TRUE(Mix_Playing(0));
    FreeSoundBank(); // releasing the bank halts the channel before freeing what it plays
    EXPECT_EQ(Ended, 2);
    EXPECT_FALSE(Mix_Playing(0));
    EXPECT_EQ(FreeSoundBank(), -1);
}

} // namespace
