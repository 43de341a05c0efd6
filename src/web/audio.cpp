// Sound in the browser: the effect bank behind PlayEffect and the tune, over the page's Web Audio.
#include "web/audio.h"

#include <emscripten.h>

#include "sound/sound.h"

namespace {

constexpr int SlotCount = 5;
int SoundBankStatus = -1;
int CurrentSlot = -1;

// The page fetches and decodes snd/qrvl00.wav .. qrvl04.wav itself and plays them on one
// source, so that one effect can cut off another as on the other front ends.
EM_JS(int, PageAudioRunning, (), { return quarvelPage.audioRunning() ? 1 : 0; });
EM_JS(int, PageEffectLoaded, (int slot), { return quarvelPage.effectLoaded(slot) ? 1 : 0; });
EM_JS(int, PageEffectPlaying, (), { return quarvelPage.effectPlaying() ? 1 : 0; });
EM_JS(void, PageEffectStart, (int slot), { quarvelPage.effectStart(slot); });
EM_JS(void, PageEffectStop, (), { quarvelPage.effectStop(); });
EM_JS(void, PageMusic, (int play), { quarvelPage.music(play != 0); });

} // namespace

int LoadSoundBank()
{
    // The effects were decoded while the data folder was fetched; a missing one leaves its slot
    // empty on the page.
    SoundBankStatus = 0;
    return 0;
}

int FreeSoundBank()
{
    if (SoundBankStatus != 0)
        return SoundBankStatus;
    PageEffectStop();
    SoundBankStatus = -1;
    return 0;
}

int PlayEffect(int slot)
{
    const int previous = CurrentSlot;
    CurrentSlot = slot;
    // Before the first gesture the browser plays nothing: the request only moves the slot.
    if (!PageAudioRunning())
        return previous;
    if (slot < 0 || slot >= SlotCount || !PageEffectLoaded(slot)) {
        PageEffectStop();
        return previous;
    }
    // A request for another effect cuts off the playing one; a repeated request for the
    // effect that still plays is dropped.
    if (!PageEffectPlaying()) {
        PageEffectStart(slot);
    } else if (previous != slot) {
        PageEffectStop();
        PageEffectStart(slot);
    }
    return previous;
}

void StartMusic()
{
    PageMusic(1);
}

void StopMusic()
{
    PageMusic(0);
}
