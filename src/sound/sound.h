// The sound seam: five effect slots and the stop request.
#pragma once

// slot 0 trigger, 1 start-up, 2 respawn, 3 bump, 4 explosion; -1 stops every effect.
// Returns the previously requested slot.
int PlayEffect(int slot);

// Reads the five effects into memory; missing files leave empty slots. Returns 0.
int LoadSoundBank();

// Releases the effects; returns the status word when nothing is loaded.
int FreeSoundBank();

// The recording PlayEffect of the tools and tests (sound/effect_log.cpp) keeps the
// requests here, oldest first; the program's own PlayEffect plays them instead.
constexpr int EffectLogCapacity = 64;
extern int EffectLog[EffectLogCapacity];
extern int EffectLogCount;
void ClearEffectLog();
