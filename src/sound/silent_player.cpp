// The player of the tools and tests: no effect is ever loaded, so nothing plays.
#include "sound/effect_player.h"

void* LoadEffect(const char*)
{
    return nullptr;
}

void FreeEffect(void*) { }

bool StartEffectIfIdle(const void*)
{
    return true;
}

void StartEffect(const void*) { }

void StopEffects() { }
