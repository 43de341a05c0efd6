// The recording PlayEffect of the tools and tests: requests are kept, nothing plays.
#include "sound/sound.h"

int EffectLog[EffectLogCapacity];
int EffectLogCount = 0;

static int CurrentSlot = -1;
static int SoundBankStatus = -1;

int PlayEffect(int slot)
{
    const int previous = CurrentSlot;
    CurrentSlot = slot;
    if (EffectLogCount < EffectLogCapacity)
        EffectLog[EffectLogCount++] = slot;
    return previous;
}

void ClearEffectLog()
{
    EffectLogCount = 0;
}

int LoadSoundBank()
{
    SoundBankStatus = 0;
    return 0;
}

int FreeSoundBank()
{
    if (SoundBankStatus != 0)
        return SoundBankStatus;
    SoundBankStatus = -1;
    return 0;
}
