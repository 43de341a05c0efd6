// Sound in the browser: the sound bank's player over the page's Web Audio, and the tune.
#include "web/audio.h"

#include <emscripten.h>

#include <cstdint>
#include <cstdio>

#include "sound/effect_player.h"
#include "sound/sound.h"

namespace {

// The page fetches and decodes snd/qrvl00.wav .. qrvl04.wav itself and plays them on one
// source, so that one effect can cut off another as on the other front ends.
EM_JS(int, PageAudioRunning, (), { return quarvelPage.audioRunning() ? 1 : 0; });
EM_JS(int, PageEffectLoaded, (int slot), { return quarvelPage.effectLoaded(slot) ? 1 : 0; });
EM_JS(int, PageEffectPlaying, (), { return quarvelPage.effectPlaying() ? 1 : 0; });
EM_JS(void, PageEffectStart, (int slot), { quarvelPage.effectStart(slot); });
EM_JS(void, PageEffectStop, (), { quarvelPage.effectStop(); });
EM_JS(void, PageMusic, (int play), { quarvelPage.music(play != 0); });

// The bank holds slot n's effect as n + 1, so that an empty slot stays null.
int SlotOf(const void* effect)
{
    return int(reinterpret_cast<intptr_t>(effect)) - 1;
}

} // namespace

void* LoadEffect(const char* path)
{
    int slot = -1;
    if (std::sscanf(path, "snd\\qrvl%2d.wav", &slot) != 1 || slot < 0 || slot >= EffectSlotCount
        || !PageEffectLoaded(slot))
        return nullptr;
    return reinterpret_cast<void*>(intptr_t(slot + 1));
}

void FreeEffect(void*) { }

// Before the first click or key the browser plays nothing: a request then only moves the slot.
bool StartEffectIfIdle(const void* effect)
{
    if (!PageAudioRunning())
        return true;
    if (PageEffectPlaying())
        return false;
    PageEffectStart(SlotOf(effect));
    return true;
}

void StartEffect(const void* effect)
{
    if (!PageAudioRunning())
        return;
    PageEffectStop();
    PageEffectStart(SlotOf(effect));
}

void StopEffects()
{
    PageEffectStop();
}

void StartMusic()
{
    PageMusic(1);
}

void StopMusic()
{
    PageMusic(0);
}
