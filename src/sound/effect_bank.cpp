// The sound bank every front end plays through: five effect slots and the one interruption rule.
#include "sound/sound.h"

#include <cstdio>

#include "sound/effect_player.h"

int EffectLog[EffectLogCapacity];
int EffectLogCount = 0;

namespace {

void* Slots[EffectSlotCount] = {};
int CurrentSlot = -1;
int SoundBankStatus = -1;

} // namespace

const void* SoundSlotImage(int slot)
{
    return slot >= 0 && slot < EffectSlotCount ? Slots[slot] : nullptr;
}

int LoadSoundBank()
{
    for (int i = 0; i < EffectSlotCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "snd\\qrvl%02d.wav", i);
        // A missing or unreadable file leaves the slot empty; its requests then only stop.
        Slots[i] = LoadEffect(name);
    }
    SoundBankStatus = 0;
    return 0;
}

int FreeSoundBank()
{
    if (SoundBankStatus != 0)
        return SoundBankStatus;
    // An effect may still be playing from one of the slots: stop it before they go.
    StopEffects();
    for (void*& slot : Slots) {
        if (slot)
            FreeEffect(slot);
        slot = nullptr;
    }
    SoundBankStatus = -1;
    return 0;
}

int PlayEffect(int slot)
{
    const void* effect = SoundSlotImage(slot);
    const int previous = CurrentSlot;
    CurrentSlot = slot;
    if (EffectLogCount < EffectLogCapacity)
        EffectLog[EffectLogCount++] = slot;
    if (!effect) {
        StopEffects();
        return previous;
    }
    // A repeated request for the effect that is playing is dropped; a request for another
    // one cuts it off.
    if (StartEffectIfIdle(effect))
        return previous;
    if (previous != slot)
        StartEffect(effect);
    return previous;
}

void ClearEffectLog()
{
    EffectLogCount = 0;
}
