// Sound on the native side: the audio device, the sound bank's player and the MIDI tune.
#include "sdl/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "sound/effect_player.h"

namespace {

// The effects' own format, so that they reach the device sample for sample.
constexpr int AudioRate = 22050;
constexpr int AudioChannels = 1;
constexpr int EffectChannel = 0; // every effect plays here, so one can cut off another

// Where Debian's sound font packages put a General MIDI font: the alternative any of them
// provides, then the small one the setup installs.
const char* const SoundFontPlaces[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

bool AudioOpen = false;
bool HaveSoundFont = false;
Mix_Music* Tune = nullptr;

// The first existing file of a list separated by ';', as SDL_SOUNDFONTS is.
bool AnyFileExists(const std::string& list)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string path = list.substr(start, end - start);
        if (!path.empty() && access(path.c_str(), R_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool FindSoundFont()
{
    const char* chosen = std::getenv("SDL_SOUNDFONTS");
    if (chosen && *chosen)
        return AnyFileExists(chosen) && Mix_SetSoundFonts(chosen);
    for (const char* place : SoundFontPlaces)
        if (access(place, R_OK) == 0)
            return Mix_SetSoundFonts(place) != 0;
    return false;
}

// True when the kernel knows no sound card. ALSA then fills the terminal with its own
// complaints as SDL opens it, before SDL can say in one line that there is no device.
bool NoSoundCard()
{
    FILE* cards = std::fopen("/proc/asound/cards", "r");
    if (!cards)
        return true;
    char line[128];
    const bool none = !std::fgets(line, sizeof line, cards) || std::strstr(line, "no soundcards");
    std::fclose(cards);
    return none;
}

} // namespace

void OpenAudio(bool mute)
{
    if (mute)
        return;
    // Without a card only a sound server can play; a driver the user names is still tried.
    if (!SDL_getenv("SDL_AUDIODRIVER") && NoSoundCard())
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire,pulseaudio");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0
        || Mix_OpenAudio(AudioRate, AUDIO_S16SYS, AudioChannels, 1024) != 0) {
        std::fprintf(stderr, "quarvel-sdl: no audio device (%s); running silently\n", SDL_GetError());
        if (SDL_WasInit(SDL_INIT_AUDIO))
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(1);
    AudioOpen = true;
    HaveSoundFont = FindSoundFont();
    if (!HaveSoundFont)
        std::fprintf(stderr,
            "quarvel-sdl: no General MIDI sound font (set SDL_SOUNDFONTS or install "
            "timgm6mb-soundfont); the music stays silent\n");
}

void CloseAudio()
{
    if (!AudioOpen)
        return;
    StopMusic();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    AudioOpen = false;
}

void* LoadEffect(const char* path)
{
    if (!AudioOpen)
        return nullptr;
    std::string name(path);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return Mix_LoadWAV(name.c_str());
}

void FreeEffect(void* effect)
{
    Mix_FreeChunk(static_cast<Mix_Chunk*>(effect));
}

bool StartEffectIfIdle(const void* effect)
{
    if (Mix_Playing(EffectChannel))
        return false;
    Mix_PlayChannel(EffectChannel, static_cast<Mix_Chunk*>(const_cast<void*>(effect)), 0);
    return true;
}

void StartEffect(const void* effect)
{
    Mix_HaltChannel(EffectChannel);
    Mix_PlayChannel(EffectChannel, static_cast<Mix_Chunk*>(const_cast<void*>(effect)), 0);
}

void StopEffects()
{
    if (AudioOpen)
        Mix_HaltChannel(EffectChannel);
}

void StartMusic()
{
    if (!AudioOpen || !HaveSoundFont)
        return;
    StopMusic();
    Tune = Mix_LoadMUS("mus/3d.mid");
    if (Tune)
        Mix_PlayMusic(Tune, 0);
}

void StopMusic()
{
    if (!Tune)
        return;
    Mix_HaltMusic();
    Mix_FreeMusic(Tune);
    Tune = nullptr;
}
